#include "library/refresh_walk.h"

#include <unordered_set>

bool NeedsListing(const KnownFolders& known, const std::wstring& folder, int64_t lastWrite) {
  auto found = known.find(folder);
  return found == known.end() || found->second.lastWrite != lastWrite;
}

RefreshOutcome RefreshFolders(const KnownFolders& known, const std::wstring& root, bool includeSubDirs,
                              const RefreshProbe& probe) {
  RefreshOutcome outcome;
  const std::optional<int64_t> rootTime = probe.lastWrite(root);
  if (!rootTime) return outcome;
  std::unordered_set<std::wstring> walked;
  // Depth first with an explicit stack (deep trees must not exhaust the
  // thread's stack); sub-folders are pushed last first so they pop in order.
  std::vector<SubFolderSeen> pending{{root, *rootTime}};
  while (!pending.empty()) {
    if (probe.stopped()) return outcome;
    SubFolderSeen folder = std::move(pending.back());
    pending.pop_back();
    if (!walked.insert(folder.path).second) continue;
    outcome.reached.push_back(folder.path);

    std::vector<SubFolderSeen> subFolders;
    if (NeedsListing(known, folder.path, folder.lastWrite)) {
      subFolders = probe.enumerate(folder.path, folder.lastWrite);
      ++outcome.enumerated;
    } else {
      probe.fromIndex(folder.path);
      for (const std::wstring& sub : known.at(folder.path).subFolders) {
        // Gone since: its parent's time would have moved, but a racing
        // removal must not stop the walk.
        if (auto time = probe.lastWrite(sub)) subFolders.push_back({sub, *time});
      }
    }
    if (!includeSubDirs) continue;
    for (auto it = subFolders.rbegin(); it != subFolders.rend(); ++it) pending.push_back(std::move(*it));
  }
  outcome.complete = true;
  return outcome;
}

std::vector<std::wstring> FoldersNotReached(const KnownFolders& known, const std::vector<std::wstring>& reached) {
  const std::unordered_set<std::wstring> seen(reached.begin(), reached.end());
  std::vector<std::wstring> gone;
  for (const auto& [path, folder] : known) {
    if (!seen.contains(path)) gone.push_back(path);
  }
  return gone;
}
