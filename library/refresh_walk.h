#pragma once
// The walk over a photo folder tree against what the index remembers: a
// folder whose last-write time is what the index holds is not listed again
// (a folder's time changes when an entry is added, removed or renamed in it),
// its files come from the index; a new or changed folder is listed. No
// platform calls: the file system comes in as callbacks.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

// What the index holds of one folder: its time when last listed and its
// sub-folders, in the order the listing gave them.
struct KnownFolder {
  int64_t lastWrite = 0;
  std::vector<std::wstring> subFolders;
};
using KnownFolders = std::unordered_map<std::wstring, KnownFolder>;

struct SubFolderSeen {
  std::wstring path;
  int64_t lastWrite = 0;
};

struct RefreshProbe {
  // The folder's last-write time now; nullopt when it is gone or unreadable.
  std::function<std::optional<int64_t>(const std::wstring& folder)> lastWrite;
  // Lists the folder afresh (its files are the caller's to keep) and gives
  // back its sub-folders with their times, in listing order.
  std::function<std::vector<SubFolderSeen>(const std::wstring& folder, int64_t lastWrite)> enumerate;
  // The folder is unchanged: its files are taken from the index.
  std::function<void(const std::wstring& folder)> fromIndex;
  // Asked between folders: true ends the walk early.
  std::function<bool()> stopped;
};

struct RefreshOutcome {
  std::vector<std::wstring> reached;  // every folder walked, in walk order
  size_t enumerated = 0;              // of those, how many were listed afresh
  bool complete = false;              // false when stopped or the root is gone
};

// True when the folder must be listed: unknown to the index, or its time moved.
bool NeedsListing(const KnownFolders& known, const std::wstring& folder, int64_t lastWrite);

// Walks from `root` depth first, each folder's files before its sub-folders,
// in the order a full listing gives, so a show in sequential order sees the
// order it always had. A folder reached twice is walked once.
RefreshOutcome RefreshFolders(const KnownFolders& known, const std::wstring& root, bool includeSubDirs,
                              const RefreshProbe& probe);

// The folders the index holds that complete walks from every root did not
// reach: gone from the disk or from the settings, they leave the index.
std::vector<std::wstring> FoldersNotReached(const KnownFolders& known, const std::vector<std::wstring>& reached);
