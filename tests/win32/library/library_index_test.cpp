#include "library/library_walk.h"
#include "library/photo_index.h"
#include "media/media_expand.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "tests/win32/test_folders.h"

namespace {

using Paths = std::vector<std::wstring>;

void WriteFile(const std::wstring& path, const std::string& bytes) {
  std::ofstream(std::filesystem::path(path), std::ios::binary | std::ios::trunc) << bytes;
}

std::string ReadFile(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Walked {
  std::vector<LibraryPhoto> photos;
  std::map<std::wstring, LibraryPhoto> byPath;
  LibraryWalkOutcome outcome;
};

Walked Walk(PhotoIndex* index, const std::wstring& root) {
  Walked walked;
  walked.outcome = WalkLibrary(index, {root}, true, nullptr, [&](PhotoBatch&& photos) {
    for (size_t k = 0; k < photos.Count(); ++k) {
      const LibraryPhoto photo{photos.Id(k), photos.Path(k), photos.Failed(k)};
      walked.byPath[photo.path] = walked.photos.emplace_back(photo);
    }
  });
  return walked;
}

Paths PathsOf(const std::vector<LibraryPhoto>& photos) {
  Paths paths;
  for (const LibraryPhoto& photo : photos) paths.push_back(photo.path);
  return paths;
}

Paths PathsOf(const PhotoBatch& photos) {
  Paths paths;
  for (size_t k = 0; k < photos.Count(); ++k) paths.push_back(photos.Path(k));
  return paths;
}

// The walk a show without an index does: the order a sequential show keeps.
Paths PlainWalk(const std::wstring& root) {
  MediaList list;
  ExpandEntry(list, root.c_str(), true);
  return {list.begin(), list.end()};
}

class LibraryIndex : public testing::Test {
 protected:
  void SetUp() override {
    scratch_ = UniqueTempFolder(L"brindora-library-");
    ASSERT_TRUE(CreateDirectoryW(scratch_.c_str(), nullptr));
    root_ = scratch_ + L"\\photos";
    for (const wchar_t* folder : {L"", L"\\sub", L"\\sub\\deep", L"\\other"}) {
      CreateDirectoryW((root_ + folder).c_str(), nullptr);
    }
    for (const wchar_t* file : {L"\\a.jpg", L"\\b.jpg", L"\\sub\\c.jpg", L"\\sub\\deep\\d.jpg", L"\\other\\e.jpg"}) {
      WriteFile(root_ + file, "photo");
    }
    indexFile_ = scratch_ + L"\\library.db";
  }
  void TearDown() override {
    SetFileAttributesW(indexFile_.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveTree(scratch_);
  }

  std::wstring scratch_, root_, indexFile_;
};

TEST_F(LibraryIndex, SecondWalkListsOnlyChangedFoldersAndKeepsTheWalkOrder) {
  auto index = PhotoIndex::Open(indexFile_);
  ASSERT_TRUE(index);
  const Walked first = Walk(index.get(), root_);
  EXPECT_EQ(PathsOf(first.photos), PlainWalk(root_));
  EXPECT_EQ(first.outcome.foldersListed, 4u);
  EXPECT_TRUE(first.outcome.complete);
  EXPECT_EQ(PathsOf(IndexedPhotos(*index, {root_}, true)), PlainWalk(root_));

  const Walked second = Walk(index.get(), root_);
  EXPECT_EQ(PathsOf(second.photos), PlainWalk(root_));
  EXPECT_EQ(second.outcome.foldersListed, 0u);

  // Added, deleted, replaced in place, a new sub-folder, a folder gone.
  const auto& before = first.byPath;
  index->MarkFailed(before.at(root_ + L"\\b.jpg").id);
  index->MarkFailed(before.at(root_ + L"\\sub\\c.jpg").id);
  WriteFile(root_ + L"\\sub\\deep\\new.jpg", "photo");
  DeleteFileW((root_ + L"\\a.jpg").c_str());
  WriteFile(root_ + L"\\b.jpg", "a bigger photo");
  CreateDirectoryW((root_ + L"\\sub\\fresh").c_str(), nullptr);
  WriteFile(root_ + L"\\sub\\fresh\\f.jpg", "photo");
  DeleteFileW((root_ + L"\\other\\e.jpg").c_str());
  RemoveDirectoryW((root_ + L"\\other").c_str());

  auto reopened = PhotoIndex::Open(indexFile_);
  index.reset();
  ASSERT_TRUE(reopened);
  const Walked third = Walk(reopened.get(), root_);
  EXPECT_EQ(PathsOf(third.photos), PlainWalk(root_));
  EXPECT_EQ(third.outcome.foldersListed, 4u);  // the root, sub, deep and fresh; never other again
  const auto& after = third.byPath;
  EXPECT_EQ(after.at(root_ + L"\\sub\\c.jpg").id, before.at(root_ + L"\\sub\\c.jpg").id);
  EXPECT_TRUE(after.at(root_ + L"\\sub\\c.jpg").failed);
  EXPECT_FALSE(after.at(root_ + L"\\b.jpg").failed) << "a changed file gets another try";
  EXPECT_EQ(reopened->FailedByExtension(), (std::vector<std::pair<std::wstring, int>>{{L".jpg", 1}}));
  EXPECT_TRUE(reopened->Folders().count(root_ + L"\\other\\") == 0);
  EXPECT_EQ(PathsOf(IndexedPhotos(*reopened, {root_}, true)), PlainWalk(root_));
}

TEST_F(LibraryIndex, DeckSurvivesTheConnection) {
  auto index = PhotoIndex::Open(indexFile_);
  ASSERT_TRUE(index);
  std::vector<Card> present;
  for (const LibraryPhoto& photo : Walk(index.get(), root_).photos) present.push_back({photo.id, false, false});
  const RandomBelow first = [](size_t) { return 0; };
  Deck deck;
  deck.Sync(present, [](size_t bound) { return bound - 1; });
  deck.MarkShown(deck.Next(first).value());
  ASSERT_TRUE(index->SaveDeck(deck));
  ASSERT_TRUE(index->MarkFailed(deck.Next(first).value()));
  std::vector<Card> expected = deck.Cards();
  expected[1].failed = true;
  EXPECT_EQ(index->LoadDeck().Cards(), expected);
  EXPECT_EQ(index->LoadDeck().LastShown(), expected[0].id);
}

TEST_F(LibraryIndex, FirstPhotoIsTheDecksNextCardOrTheFirstInWalkOrder) {
  auto index = PhotoIndex::Open(indexFile_);
  ASSERT_TRUE(index);
  const Walked walked = Walk(index.get(), root_);
  EXPECT_EQ(PathsOf(IndexedPhotos(*index, {root_}, true, 2)), PathsOf({walked.photos[0], walked.photos[1]}));
  std::vector<Card> present;
  for (const LibraryPhoto& photo : walked.photos) present.push_back({photo.id, false, false});
  // The deck in walk order, its first card (a) on screen.
  Deck deck;
  deck.Sync(present, [](size_t bound) { return bound - 1; });
  deck.MarkShown(deck.Next([](size_t) { return 0; }).value());
  ASSERT_TRUE(index->SaveDeck(deck));
  struct Case {
    const wchar_t* failed;   // marked in the index
    const wchar_t* deleted;  // from the disk only
    const wchar_t* root;
    bool subDirs, random;
    const wchar_t* expected;  // nullptr: none
  } cases[] = {
      {nullptr, nullptr, L"", true, false, L"\\a.jpg"},
      {nullptr, nullptr, L"", true, true, L"\\b.jpg"},
      {nullptr, nullptr, L"\\sub", true, false, L"\\sub\\c.jpg"},
      {L"\\b.jpg", nullptr, L"", false, true, nullptr},
      {nullptr, nullptr, L"\\sub", true, true, L"\\sub\\c.jpg"},
      {nullptr, L"\\sub\\c.jpg", L"\\sub", true, true, L"\\sub\\deep\\d.jpg"},
      {nullptr, nullptr, L"\\sub", false, true, nullptr},
  };
  for (const Case& c : cases) {
    if (c.failed) index->MarkFailed(walked.byPath.at(root_ + c.failed).id);
    if (c.deleted) DeleteFileW((root_ + c.deleted).c_str());
    auto first = FirstKnownPhoto(*index, {root_ + c.root}, c.subDirs, c.random);
    EXPECT_EQ(first ? first->path : L"-", c.expected ? root_ + c.expected : L"-") << c.root << c.random;
    EXPECT_TRUE(!first || first->id == walked.byPath.at(first->path).id);
  }
}

// Whatever lies at the index's place, the saver gets an index it can use or
// none at all; the file is made afresh only when it may be written.
TEST_F(LibraryIndex, BadFilesAreRebuiltOrLeftAlone) {
  {
    auto index = PhotoIndex::Open(indexFile_);
    ASSERT_TRUE(index);
    Walk(index.get(), root_);
  }
  const std::string sound = ReadFile(indexFile_);
  ASSERT_GT(sound.size(), 4096u);

  struct BadCase {
    const char* name;
    std::string bytes;
    bool readOnly;
    bool writable;
  };
  const BadCase cases[] = {
      {"corrupt", std::string(8192, '\x5a'), false, true},
      {"truncated", sound.substr(0, sound.size() / 2), false, true},
      {"foreign header", "SQLite format 3" + std::string(1, '\0') + std::string(4080, '\x01'), false, true},
      {"empty", "", false, true},
      {"read-only", sound, true, false},
  };
  for (const BadCase& c : cases) {
    SetFileAttributesW(indexFile_.c_str(), FILE_ATTRIBUTE_NORMAL);
    WriteFile(indexFile_, c.bytes);
    if (c.readOnly) SetFileAttributesW(indexFile_.c_str(), FILE_ATTRIBUTE_READONLY);
    auto index = PhotoIndex::Open(indexFile_);
    // Wine run by root writes a read-only file all the same; Windows opens
    // it read-only, and then the saver runs without an index.
    if (c.writable) {
      EXPECT_NE(index, nullptr) << c.name;
    }
    if (!index) {
      EXPECT_EQ(ReadFile(indexFile_), c.bytes) << c.name << ": left as it was";
    }
    EXPECT_EQ(PathsOf(Walk(index.get(), root_).photos), PlainWalk(root_)) << c.name;
  }

  SetFileAttributesW(indexFile_.c_str(), FILE_ATTRIBUTE_NORMAL);
  AutoFile locked(CreateFileW(indexFile_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(locked);
  EXPECT_EQ(PhotoIndex::Open(indexFile_), nullptr) << "locked by another program";
  EXPECT_EQ(PhotoIndex::Open(scratch_ + L"\\no such folder\\library.db"), nullptr);
  // Without an index the walk is the plain walk.
  EXPECT_EQ(PathsOf(Walk(nullptr, root_).photos), PlainWalk(root_));
}

}  // namespace
