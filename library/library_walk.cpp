#include "library/library_walk.h"

#include <optional>
#include <set>
#include <tuple>

#include "ownership/scoped_handle.h"

namespace {

int64_t Ticks(const FILETIME& time) {
  return static_cast<int64_t>((static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

int64_t Size(DWORD high, DWORD low) { return static_cast<int64_t>((static_cast<uint64_t>(high) << 32) | low); }

std::optional<WIN32_FILE_ATTRIBUTE_DATA> Attributes(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  return data;
}

// A folder's own time, never the copy in its parent's listing: a file
// system may update that copy late, and a stale copy would hide a change.
std::optional<int64_t> FolderTime(const std::wstring& folder) {
  auto data = Attributes(folder);
  if (!data || (data->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return std::nullopt;
  return Ticks(data->ftLastWriteTime);
}

std::wstring AsFolder(std::wstring path) {
  if (path.empty() || path.back() != L'\\') path += L'\\';
  return path;
}

bool IsDotOrDotDot(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

// What a folder is on disk, whatever path or link led to it.
using FolderId = std::tuple<DWORD, DWORD, DWORD>;  // volume serial, file index high, low

std::optional<FolderId> IdentifyFolder(const std::wstring& folder) {
  AutoFile handle(CreateFileW(folder.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(handle.get(), &info)) return std::nullopt;
  return FolderId{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

// Without links a tree has no folder twice, so folders are identified only
// once a link (symlink, junction) has been met; from then on a link to a
// folder already walked is passed over, as a loop back to an ancestor would
// otherwise repeat the tree until the path is too long.
class LinkGuard {
 public:
  void Walked(const std::wstring& folder) {
    if (!linkSeen_) {
      walked_.push_back(folder);
    } else if (auto id = IdentifyFolder(folder)) {
      ids_.insert(*id);
    }
  }
  bool Follow(const std::wstring& link) {
    if (!linkSeen_) {
      linkSeen_ = true;
      for (const std::wstring& folder : walked_) {
        if (auto id = IdentifyFolder(folder)) ids_.insert(*id);
      }
      walked_.clear();
    }
    auto id = IdentifyFolder(link);
    return !id || !ids_.contains(*id);
  }

 private:
  bool linkSeen_ = false;
  std::vector<std::wstring> walked_;
  std::set<FolderId> ids_;
};

class Walker {
 public:
  Walker(PhotoIndex* index, KnownFolders known, HANDLE stopEvent, const OnFolderPhotos& onFolder)
      : index_(index), known_(std::move(known)), stopEvent_(stopEvent), onFolder_(onFolder) {}

  RefreshOutcome Walk(const std::wstring& root, bool includeSubDirs) {
    const RefreshProbe probe{
        .lastWrite = FolderTime,
        .enumerate = [this, includeSubDirs](const std::wstring& folder,
                                            int64_t lastWrite) { return List(folder, lastWrite, includeSubDirs); },
        .fromIndex = [this](const std::wstring& folder) { FromIndex(folder); },
        .stopped = [this] { return stopEvent_ && WaitForSingleObject(stopEvent_, 0) == WAIT_OBJECT_0; },
    };
    return RefreshFolders(known_, root, includeSubDirs, probe);
  }

  const KnownFolders& Known() const { return known_; }

 private:
  std::vector<SubFolderSeen> List(const std::wstring& folder, int64_t lastWrite, bool includeSubDirs) {
    links_.Walked(folder);
    std::vector<ListedFile> files;
    std::vector<SubFolderSeen> subFolders;
    WIN32_FIND_DATAW item;
    // Basic information only (no 8.3 names) and large reads: far fewer calls
    // on a big folder or a network share.
    AutoFindHandle find(FindFirstFileExW((folder + L"*").c_str(), FindExInfoBasic, &item, FindExSearchNameMatch,
                                         nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (find) {
      do {
        if ((item.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
          files.push_back({item.cFileName, Size(item.nFileSizeHigh, item.nFileSizeLow), Ticks(item.ftLastWriteTime)});
        } else if (includeSubDirs && !IsDotOrDotDot(item.cFileName)) {
          std::wstring sub = folder + item.cFileName + L'\\';
          if ((item.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && !links_.Follow(sub)) continue;
          if (auto time = FolderTime(sub)) subFolders.push_back({std::move(sub), *time});
        }
      } while (FindNextFileW(find.get(), &item));
    }
    PhotoBatch photos;
    if (index_) {
      std::vector<std::wstring> subPaths;
      for (const SubFolderSeen& sub : subFolders) subPaths.push_back(sub.path);
      // Listed without its sub-folders, a folder gets no time: a later walk
      // that includes them lists it again instead of trusting an empty list.
      index_->StoreFolder(folder, includeSubDirs ? lastWrite : 0, files, subPaths);
      // The ids come from the index, and with them the failed marks kept.
      for (const IndexedFile& file : index_->FilesOf(folder)) photos.Add(folder, file.name, file.id, file.failed);
    } else {
      for (const ListedFile& file : files) photos.Add(folder, file.name, 0, false);
    }
    onFolder_(std::move(photos));
    return subFolders;
  }

  void FromIndex(const std::wstring& folder) {
    links_.Walked(folder);
    PhotoBatch photos;
    for (IndexedFile& file : index_->FilesOf(folder)) {
      if (file.failed) {
        // Replaced in place leaves the folder's time alone: the file's own
        // size and time say whether it is worth another try.
        auto data = Attributes(folder + file.name);
        if (data) {
          const int64_t size = Size(data->nFileSizeHigh, data->nFileSizeLow);
          const int64_t time = Ticks(data->ftLastWriteTime);
          if (size != file.size || time != file.lastWrite) {
            index_->UpdateFile(file.id, size, time);
            file.failed = false;
          }
        }
      }
      photos.Add(folder, file.name, file.id, file.failed);
    }
    onFolder_(std::move(photos));
  }

  PhotoIndex* index_;
  KnownFolders known_;
  HANDLE stopEvent_;
  const OnFolderPhotos& onFolder_;
  LinkGuard links_;
};

}  // namespace

PhotoBatch IndexedPhotos(PhotoIndex& index, const std::vector<std::wstring>& roots, bool includeSubDirs,
                         size_t enough) {
  const KnownFolders known = index.Folders();
  PhotoBatch photos;
  size_t playable = 0;
  const RefreshProbe probe{
      // Every folder as the index last saw it, so none is listed.
      .lastWrite = [&known](const std::wstring& folder) -> std::optional<int64_t> {
        auto found = known.find(folder);
        if (found == known.end()) return std::nullopt;
        return found->second.lastWrite;
      },
      .enumerate = [](const std::wstring&, int64_t) { return std::vector<SubFolderSeen>{}; },
      .fromIndex =
          [&](const std::wstring& folder) {
            for (const IndexedFile& file : index.FilesOf(folder)) {
              playable += !file.failed;
              photos.Add(folder, file.name, file.id, file.failed);
            }
          },
      .stopped = [&playable, enough] { return playable >= enough; },
  };
  for (const std::wstring& root : roots) {
    if (playable >= enough) break;
    RefreshFolders(known, AsFolder(root), includeSubDirs, probe);
  }
  return photos;
}

namespace {

bool OnDisk(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool UnderRoots(const std::wstring& folder, const std::vector<std::wstring>& roots, bool includeSubDirs) {
  for (const std::wstring& root : roots) {
    const std::wstring base = AsFolder(root);
    if (includeSubDirs ? folder.starts_with(base) : folder == base) return true;
  }
  return false;
}

// Cards looked at from one starting place: the next one is nearly always
// the first; past this many the whole deck is read anyway.
constexpr size_t kDeckProbes = 64;

std::optional<LibraryPhoto> NextOfDeck(PhotoIndex& index, const std::vector<std::wstring>& roots, bool includeSubDirs) {
  PhotoId lastShown = 0;
  const std::vector<PhotoId> order = index.DeckOrder(lastShown);
  // The cards before the one shown last were handed out in this pass.
  size_t from = 0;
  for (size_t k = 0; k < order.size(); ++k) {
    if (order[k] == lastShown) from = k + 1;
  }
  for (size_t start : {from, size_t{0}}) {
    for (size_t k = start; k < order.size() && k < start + kDeckProbes; ++k) {
      auto file = index.File(order[k]);
      if (!file || file->failed || file->shown || !UnderRoots(file->folder, roots, includeSubDirs)) continue;
      std::wstring path = file->folder + file->name;
      if (OnDisk(path)) return LibraryPhoto{order[k], std::move(path), false};
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<LibraryPhoto> FirstKnownPhoto(PhotoIndex& index, const std::vector<std::wstring>& roots,
                                            bool includeSubDirs, bool random) {
  if (random) return NextOfDeck(index, roots, includeSubDirs);
  const PhotoBatch known = IndexedPhotos(index, roots, includeSubDirs, 1);
  for (size_t k = 0; k < known.Count(); ++k) {
    if (known.Failed(k)) continue;
    std::wstring path = known.Path(k);
    if (OnDisk(path)) return LibraryPhoto{known.Id(k), std::move(path), false};
  }
  return std::nullopt;
}

LibraryWalkOutcome WalkLibrary(PhotoIndex* index, const std::vector<std::wstring>& roots, bool includeSubDirs,
                               HANDLE stopEvent, const OnFolderPhotos& onFolder) {
  Walker walker(index, index ? index->Folders() : KnownFolders{}, stopEvent, onFolder);
  LibraryWalkOutcome outcome{.complete = true};
  std::vector<std::wstring> reached;
  for (const std::wstring& root : roots) {
    RefreshOutcome walked = walker.Walk(AsFolder(root), includeSubDirs);
    outcome.foldersReached += walked.reached.size();
    outcome.foldersListed += walked.enumerated;
    if (!walked.complete) {
      // Stopped, or a root missing for now (a network drive not connected
      // yet): nothing is forgotten on a walk that did not see everything.
      outcome.complete = false;
      if (stopEvent && WaitForSingleObject(stopEvent, 0) == WAIT_OBJECT_0) break;
    }
    reached.insert(reached.end(), walked.reached.begin(), walked.reached.end());
  }
  if (index && outcome.complete) index->ForgetFolders(FoldersNotReached(walker.Known(), reached));
  return outcome;
}
