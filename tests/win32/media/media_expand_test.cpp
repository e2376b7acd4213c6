#include "media/media_expand.h"
#include "session/playlists.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "tests/win32/media/photo_test_support.h"
#include "tests/win32/test_folders.h"

namespace {

using phototest::Fixture;
using Paths = std::vector<std::wstring>;

template <typename List>
Paths Listed(const List& list) {
  return {list.begin(), list.end()};
}

Paths Sorted(Paths p) {
  std::sort(p.begin(), p.end());
  return p;
}

Paths Under(const std::wstring& root, std::initializer_list<const wchar_t*> relative) {
  Paths p;
  for (const wchar_t* r : relative) p.push_back(root + L"\\" + r);
  return p;
}

// The walk is depth first and pre-order, in whatever order the platform
// lists a folder: a folder's own files first, then each sub-folder's whole
// contents as one unbroken run. No particular order within a level is assumed.
void ExpectPreOrder(const Paths& paths, size_t begin, size_t end, const std::wstring& folder) {
  const std::wstring prefix = folder + L"\\";
  size_t i = begin;
  for (; i < end; ++i) {
    ASSERT_EQ(paths[i].compare(0, prefix.size(), prefix), 0) << testing::PrintToString(paths[i]);
    if (paths[i].find(L'\\', prefix.size()) != std::wstring::npos) break;  // first sub-folder item
  }
  std::map<std::wstring, int> runs;
  while (i < end) {
    const std::wstring sub = paths[i].substr(0, paths[i].find(L'\\', prefix.size()));
    ASSERT_EQ(++runs[sub], 1) << "contents of " << testing::PrintToString(sub) << " are split";
    size_t j = i;
    while (j < end && paths[j].compare(0, sub.size() + 1, sub + L"\\") == 0) ++j;
    ExpectPreOrder(paths, i, j, sub);
    i = j;
  }
}

TEST(ExpandEntry, AFolderGivesItsFilesThenEachSubFolderDepthFirst) {
  const std::wstring tree = Fixture(L"tree");
  MediaList list;
  ASSERT_EQ(ExpandEntry(list, tree.c_str(), true), S_OK);
  const Paths got = Listed(list);
  EXPECT_EQ(Sorted(got), Sorted(Under(tree, {L"a.jpg", L"notes.txt", L"noext", L"x\\c.png", L"x\\deeper\\d.jpg",
                                             L"..x\\e.jpg", L".hidden\\f.jpg", L"onlydirs\\sub\\g.jpg"})));
  ExpectPreOrder(got, 0, got.size(), tree);
}

TEST(ExpandEntry, WithoutSubFoldersOnlyTheTopFiles) {
  const std::wstring tree = Fixture(L"tree");
  MediaList list;
  ASSERT_EQ(ExpandEntry(list, tree.c_str(), false), S_OK);
  EXPECT_EQ(Sorted(Listed(list)), Sorted(Under(tree, {L"a.jpg", L"notes.txt", L"noext"})));

  MediaList onlyFolders;
  ASSERT_EQ(ExpandEntry(onlyFolders, Fixture(L"tree\\onlydirs").c_str(), false), S_OK);
  EXPECT_TRUE(onlyFolders.Empty());
}

TEST(ExpandEntry, ATrailingBackslashGivesTheSamePaths) {
  MediaList plain, trailing;
  ASSERT_EQ(ExpandEntry(plain, Fixture(L"tree").c_str(), true), S_OK);
  ASSERT_EQ(ExpandEntry(trailing, (Fixture(L"tree") + L"\\").c_str(), true), S_OK);
  EXPECT_EQ(Listed(trailing), Listed(plain));
  for (const auto& p : Listed(trailing)) EXPECT_EQ(p.find(L"\\\\"), std::wstring::npos);
}

TEST(ExpandEntry, AFileIsTakenAsWrittenWhateverItsType) {
  // Case differs from the disk: the entry is kept exactly as configured.
  const std::wstring upper = Fixture(L"tree\\NOTES.TXT");
  const std::wstring noext = Fixture(L"tree\\noext");
  MediaList list;
  ASSERT_EQ(ExpandEntry(list, upper.c_str(), true), S_OK);
  ASSERT_EQ(ExpandEntry(list, noext.c_str(), true), S_OK);
  EXPECT_EQ(Listed(list), (Paths{upper, noext}));
}

TEST(ExpandEntry, EmptyAndMissingEntriesAddNothing) {
  MediaList list;
  list.Append(L"kept");
  EXPECT_EQ(ExpandEntry(list, nullptr, true), E_INVALIDARG);
  EXPECT_EQ(ExpandEntry(list, L"", true), E_INVALIDARG);
  EXPECT_EQ(ExpandEntry(list, Fixture(L"no such folder").c_str(), true), S_OK);
  EXPECT_EQ(ExpandEntry(list, Fixture(L"tree\\empty").c_str(), true), S_OK);
  EXPECT_EQ(Listed(list), (Paths{L"kept"}));
}

TEST(ExpandEntry, ALinkBackToAnAncestorIsWalkedOnce) {
  // loop\inner\back -> .. and loop\self -> . (Linux links Wine shows as folders).
  const std::wstring loop = Fixture(L"loop");
  MediaList list;
  ASSERT_EQ(ExpandEntry(list, loop.c_str(), true), S_OK);
  EXPECT_EQ(Sorted(Listed(list)), Sorted(Under(loop, {L"p.jpg", L"inner\\q.jpg"})));

  // Once per entry: a second entry walks it again.
  ASSERT_EQ(ExpandEntry(list, loop.c_str(), true), S_OK);
  EXPECT_EQ(list.Count(), 4u);
}

TEST(ExpandEntry, TwoNamesForOneFolderListItOnce) {
  MediaList list;
  ASSERT_EQ(ExpandEntry(list, Fixture(L"links").c_str(), true), S_OK);
  ASSERT_EQ(list.Count(), 1u);
  const std::wstring& only = list[0];
  EXPECT_TRUE(only == Fixture(L"links\\real\\r.jpg") || only == Fixture(L"links\\alias\\r.jpg"))
      << testing::PrintToString(only);
}

TEST(ExpandEntry, AFolderThatVanishesLeavesItsPathsForTheLoaderToDrop) {
  const std::wstring folder = UniqueTempFolder(L"brindora-vanish-");
  ASSERT_FALSE(folder.empty());
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring file = folder + L"\\gone.jpg";
  HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);

  MediaList list;
  ASSERT_EQ(ExpandEntry(list, folder.c_str(), true), S_OK);
  ASSERT_TRUE(DeleteFileW(file.c_str()));
  ASSERT_TRUE(RemoveDirectoryW(folder.c_str()));
  EXPECT_EQ(Listed(list), (Paths{file}));
  // Expanding again now finds nothing and does not fail.
  MediaList again;
  EXPECT_EQ(ExpandEntry(again, folder.c_str(), true), S_OK);
  EXPECT_TRUE(again.Empty());
}

TEST(ExpandPhotoAndMusicEntry, EachBindsItsOwnListAndSwitch) {
  SlideshowSession session;
  session.sessionSettings.photoIncludeSubDir = true;
  session.sessionSettings.musicIncludeSubDir = false;
  const std::wstring tree = Fixture(L"tree");
  const std::wstring a = Fixture(L"tree\\a.jpg");

  ASSERT_EQ(ExpandMusicEntry(tree.c_str(), session), S_OK);
  EXPECT_EQ(session.music.musicFiles.Count(), 3u);
  EXPECT_TRUE(session.photoFiles.Empty());

  // Overlapping entries: the folder and a file inside it give that file twice.
  ASSERT_EQ(ExpandPhotoEntry(tree.c_str(), session), S_OK);
  ASSERT_EQ(ExpandPhotoEntry(a.c_str(), session), S_OK);
  const Paths photos = Listed(session.photoFiles);
  EXPECT_EQ(photos.size(), 9u);
  EXPECT_EQ(std::count(photos.begin(), photos.end(), a), 2);
  EXPECT_EQ(photos.back(), a);
  EXPECT_EQ(session.music.musicFiles.Count(), 3u);
}

}  // namespace
