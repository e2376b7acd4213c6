#include "library/refresh_walk.h"

#include <gtest/gtest.h>

#include <map>

namespace {

// A folder tree on a pretend disk: each folder's time and sub-folders.
struct DiskFolder {
  int64_t lastWrite;
  std::vector<std::wstring> subFolders;
};
using Disk = std::map<std::wstring, DiskFolder>;

// The tree every case starts from, as the index stored it after a first walk.
Disk Tree() {
  return {{L"R\\", {10, {L"R\\a\\", L"R\\b\\"}}},
          {L"R\\a\\", {20, {L"R\\a\\x\\"}}},
          {L"R\\a\\x\\", {30, {}}},
          {L"R\\b\\", {40, {}}}};
}

KnownFolders Known(const Disk& disk) {
  KnownFolders known;
  for (const auto& [path, folder] : disk) known[path] = {folder.lastWrite, folder.subFolders};
  return known;
}

struct Walked {
  RefreshOutcome outcome;
  std::vector<std::wstring> listed, fromIndex;
};

Walked Walk(const KnownFolders& known, const Disk& disk, bool includeSubDirs, size_t stopAfter = SIZE_MAX) {
  Walked walked;
  RefreshProbe probe{
      .lastWrite = [&](const std::wstring& folder) -> std::optional<int64_t> {
        auto found = disk.find(folder);
        if (found == disk.end()) return std::nullopt;
        return found->second.lastWrite;
      },
      .enumerate =
          [&](const std::wstring& folder, int64_t) {
            walked.listed.push_back(folder);
            std::vector<SubFolderSeen> subs;
            for (const std::wstring& sub : disk.at(folder).subFolders) subs.push_back({sub, disk.at(sub).lastWrite});
            return subs;
          },
      .fromIndex = [&](const std::wstring& folder) { walked.fromIndex.push_back(folder); },
      .stopped = [&] { return walked.listed.size() + walked.fromIndex.size() >= stopAfter; },
  };
  walked.outcome = RefreshFolders(known, L"R\\", includeSubDirs, probe);
  return walked;
}

using Paths = std::vector<std::wstring>;

struct RefreshCase {
  const char* name;
  bool firstRun;                    // the index is empty
  std::function<void(Disk&)> edit;  // what changed on disk since the index was written
  bool includeSubDirs;
  Paths listed, fromIndex, notReached;
};

const Paths kWalkOrder{L"R\\", L"R\\a\\", L"R\\a\\x\\", L"R\\b\\"};

TEST(RefreshFolders, ListsOnlyNewAndChangedFoldersInWalkOrder) {
  const RefreshCase cases[] = {
      {"first run lists everything", true, [](Disk&) {}, true, kWalkOrder, {}, {}},
      {"unchanged lists nothing", false, [](Disk&) {}, true, {}, kWalkOrder, {}},
      {"a photo added deep down",
       false,
       [](Disk& d) { d[L"R\\a\\x\\"].lastWrite = 31; },
       true,
       {L"R\\a\\x\\"},
       {L"R\\", L"R\\a\\", L"R\\b\\"},
       {}},
      {"a new sub-folder",
       false,
       [](Disk& d) {
         d[L"R\\b\\"] = {41, {L"R\\b\\new\\"}};
         d[L"R\\b\\new\\"] = {50, {}};
       },
       true,
       {L"R\\b\\", L"R\\b\\new\\"},
       {L"R\\", L"R\\a\\", L"R\\a\\x\\"},
       {}},
      {"a removed sub-folder",
       false,
       [](Disk& d) {
         d.erase(L"R\\a\\x\\");
         d[L"R\\a\\"] = {21, {}};
       },
       true,
       {L"R\\a\\"},
       {L"R\\", L"R\\b\\"},
       {L"R\\a\\x\\"}},
      {"sub-folders off",
       false,
       [](Disk& d) { d[L"R\\"].lastWrite = 11; },
       false,
       {L"R\\"},
       {},
       {L"R\\a\\", L"R\\a\\x\\", L"R\\b\\"}},
  };
  for (const RefreshCase& c : cases) {
    Disk disk = Tree();
    const KnownFolders known = c.firstRun ? KnownFolders{} : Known(disk);
    c.edit(disk);
    const Walked walked = Walk(known, disk, c.includeSubDirs);
    EXPECT_EQ(walked.listed, c.listed) << c.name;
    EXPECT_EQ(walked.fromIndex, c.fromIndex) << c.name;
    EXPECT_EQ(walked.outcome.enumerated, c.listed.size()) << c.name;
    EXPECT_TRUE(walked.outcome.complete) << c.name;
    Paths notReached = FoldersNotReached(known, walked.outcome.reached);
    std::sort(notReached.begin(), notReached.end());
    EXPECT_EQ(notReached, c.notReached) << c.name;
  }
}

TEST(RefreshFolders, StopMissingRootAndAFolderReachedTwice) {
  const Walked stopped = Walk({}, Tree(), true, 2);
  EXPECT_EQ(stopped.listed, (Paths{L"R\\", L"R\\a\\"}));
  EXPECT_FALSE(stopped.outcome.complete);
  EXPECT_FALSE(Walk({}, Disk{}, true).outcome.complete);
  Disk looped = Tree();
  looped[L"R\\b\\"].subFolders = {L"R\\a\\"};  // as a link back would give
  EXPECT_EQ(Walk({}, looped, true).listed, kWalkOrder);
}

}  // namespace
