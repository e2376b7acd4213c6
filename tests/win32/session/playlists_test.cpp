#include "session/playlists.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "media/media_expand.h"
#include "settings/settings_store.h"
#include "tests/win32/media/photo_test_support.h"

namespace {

using phototest::Fixture;
using Paths = std::vector<std::wstring>;

template <typename List>
Paths Listed(const List& list) {
  return {list.begin(), list.end()};
}

void SetEntries(MediaList& list, const Paths& paths) {
  list.Clear();
  for (const auto& p : paths) list.Append(p);
}

class BuildPlaylistsTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(Fixture().empty()) << "BRINDORA_PHOTO_FIXTURES is not set";
    saved_ = saverSettings;
    savedPhotos_ = Listed(photoEntries);
    savedMusic_ = Listed(musicEntries);
    saverSettings = SaverSettings{};
    saverSettings.slideTime = 7000;
    saverSettings.photoIncludeSubDir = true;
    SetEntries(photoEntries, {Fixture(L"tree"), L"", Fixture(L"tree\\a.jpg")});
    SetEntries(musicEntries, {Fixture(L"tree")});
  }
  void TearDown() override {
    saverSettings = saved_;
    SetEntries(photoEntries, savedPhotos_);
    SetEntries(musicEntries, savedMusic_);
  }

  // What the expansion alone gives for the configured entries, in order.
  Paths Expanded(const MediaList& entries, bool subDirs) {
    MediaList list;
    for (const auto& e : entries) ExpandEntry(list, e.c_str(), subDirs);
    return Listed(list);
  }

  SaverSettings saved_{};
  Paths savedPhotos_, savedMusic_;
};

TEST_F(BuildPlaylistsTest, InOrderTheListsAreTheEntriesExpanded) {
  SlideshowSession session;
  session.photoFiles.Append(L"left over");
  session.photoIndex = 5;
  session.music.musicIndex = 3;
  BuildPlaylists(session, saverSettings, photoEntries, musicEntries);

  EXPECT_EQ(session.sessionSettings, saverSettings);
  EXPECT_EQ(Listed(session.photoFiles), Expanded(photoEntries, true));
  EXPECT_EQ(session.photoFiles.Count(), 9u);  // eight in the tree, a.jpg again, the empty entry nothing
  EXPECT_EQ(Listed(session.music.musicFiles), Expanded(musicEntries, false));
  EXPECT_EQ(session.music.musicFiles.Count(), 3u);
  EXPECT_EQ(session.photoIndex, 0u);
  EXPECT_EQ(session.music.musicIndex, 0u);
}

TEST_F(BuildPlaylistsTest, RandomOrderShufflesWithoutLosingAnything) {
  saverSettings.photoRandom = true;
  saverSettings.musicRandom = true;
  const Paths inOrder = Expanded(photoEntries, true);
  Paths sortedInOrder = inOrder;
  std::sort(sortedInOrder.begin(), sortedInOrder.end());

  bool reordered = false;
  for (int build = 0; build < 3 && !reordered; ++build) {
    SlideshowSession session;
    BuildPlaylists(session, saverSettings, photoEntries, musicEntries);
    Paths got = Listed(session.photoFiles);
    reordered = got != inOrder;
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, sortedInOrder);
    EXPECT_EQ(session.music.musicFiles.Count(), 3u);
    Sleep(20);
  }
  // Nine entries stay in order with a chance of 1 in 362880 per build.
  EXPECT_TRUE(reordered);
}

TEST_F(BuildPlaylistsTest, NoEntriesGiveEmptyLists) {
  photoEntries.Clear();
  musicEntries.Clear();
  saverSettings.photoRandom = true;
  SlideshowSession session;
  BuildPlaylists(session, saverSettings, photoEntries, musicEntries);
  EXPECT_TRUE(session.photoFiles.Empty());
  EXPECT_TRUE(session.music.musicFiles.Empty());
}

}  // namespace
