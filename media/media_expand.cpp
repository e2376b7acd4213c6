#include "media/media_expand.h"

#include <cstdint>
#include <optional>
#include <set>
#include <tuple>
#include <vector>

#include <cwchar>

#include "ownership/scoped_handle.h"

namespace {

bool IsFolder(const WIN32_FIND_DATAW& item) { return (item.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

bool IsDotOrDotDot(const wchar_t* name) {
  return (name[0] == L'.' && name[1] == L'\0') || (name[0] == L'.' && name[1] == L'.' && name[2] == L'\0');
}

// What a folder is on disk, whatever path or link led to it.
using FolderId = std::tuple<DWORD, DWORD, DWORD>;  // volume serial, file index high, low

// Links (symlinks, junctions) are followed on open, so a link and its target
// give the same id. Nullopt when the folder cannot be opened: such a folder
// cannot be listed either, so nothing is lost by not remembering it.
std::optional<FolderId> IdentifyFolder(const std::wstring& folder) {
  AutoFile handle(CreateFileW(folder.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(handle.get(), &info)) return std::nullopt;
  return FolderId{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

// Without links a folder tree has no cycles and no folder twice, so the walk
// identifies folders only once it has met a link (a reparse point: symlink or
// junction; Wine shows a Linux symlink as one). From then on every folder is
// identified, those walked before the link included, and a real folder
// already walked is passed over. A link back to an ancestor would otherwise
// repeat the tree until the path grows too long for the platform.
class FolderWalk {
 public:
  FolderWalk(MediaList& target, const wchar_t* pattern, bool includeSubDirs, const WalkStopAsked& stopAsked)
      : target_(target), pattern_(pattern), includeSubDirs_(includeSubDirs), stopAsked_(stopAsked) {}

  void Scan(std::wstring folder, bool isLink) {
    if (Stopped()) return;
    if (folder.empty() || folder.back() != L'\\') folder += L'\\';
    if (includeSubDirs_ && !FirstVisit(folder, isLink)) return;
    ListFolder(folder);
  }

 private:
  struct SubFolder {
    std::wstring path;
    bool isLink;
  };

  bool Stopped() {
    stopped_ = stopped_ || (stopAsked_ && stopAsked_());
    return stopped_;
  }

  bool FirstVisit(const std::wstring& folder, bool isLink) {
    linkSeen_ = linkSeen_ || isLink;
    if (!linkSeen_) {
      walkedBeforeLink_.push_back(folder);
      return true;
    }
    for (const std::wstring& walked : walkedBeforeLink_) {
      if (auto id = IdentifyFolder(walked)) visited_.insert(*id);
    }
    walkedBeforeLink_.clear();
    const std::optional<FolderId> id = IdentifyFolder(folder);
    return !id || visited_.insert(*id).second;
  }

  // "*.*" matches every name, so one enumeration serves both passes: files
  // are appended as they come, sub-folders are walked after the last file.
  void ListFolder(const std::wstring& folder) {
    std::vector<SubFolder> subFolders;
    const bool onePass = includeSubDirs_ && std::wcscmp(pattern_, L"*.*") == 0;
    auto keepSubFolder = [&](const WIN32_FIND_DATAW& item) {
      if (IsFolder(item) && !IsDotOrDotDot(item.cFileName)) {
        subFolders.push_back({folder + item.cFileName, (item.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0});
      }
    };
    Enumerate(folder + pattern_, [&](const WIN32_FIND_DATAW& item) {
      if (!IsFolder(item)) {
        target_.Append(folder + item.cFileName);
      } else if (onePass) {
        keepSubFolder(item);
      }
    });
    if (!includeSubDirs_ || stopped_) return;
    if (!onePass) Enumerate(folder + L"*", keepSubFolder);
    for (SubFolder& sub : subFolders) Scan(std::move(sub.path), sub.isLink);
  }

  // Basic information only: no short 8.3 names, which cost a lookup per item.
  // A folder of a hundred thousand names takes seconds: the stop is asked
  // for every few hundred.
  template <typename OnItem>
  void Enumerate(const std::wstring& search, OnItem&& onItem) {
    WIN32_FIND_DATAW item;
    AutoFindHandle find(FindFirstFileExW(search.c_str(), FindExInfoBasic, &item, FindExSearchNameMatch, nullptr,
                                         FIND_FIRST_EX_LARGE_FETCH));
    if (!find) return;
    uint32_t count = 0;
    do {
      onItem(item);
      if (++count % 256 == 0 && Stopped()) return;
    } while (FindNextFileW(find.get(), &item));
  }

  MediaList& target_;
  const wchar_t* pattern_;
  bool includeSubDirs_;
  const WalkStopAsked& stopAsked_;
  bool stopped_ = false;
  bool linkSeen_ = false;
  std::vector<std::wstring> walkedBeforeLink_;
  std::set<FolderId> visited_;
};

}  // namespace

void ScanFolder(MediaList& target, std::wstring folder, const wchar_t* pattern, bool includeSubDirs,
                const WalkStopAsked& stopAsked) {
  FolderWalk(target, pattern, includeSubDirs, stopAsked).Scan(std::move(folder), false);
}

HRESULT ExpandEntry(MediaList& target, const wchar_t* entry, bool includeSubDirs, const WalkStopAsked& stopAsked) {
  if (!entry || entry[0] == L'\0') return E_INVALIDARG;
  // One look at the entry's attributes: a list of thousands of photos is
  // checked entry by entry before the first one shows, and a search opened
  // for each cost several times as much (a fifth of a millisecond an entry
  // under Wine).
  const DWORD attributes = GetFileAttributesW(entry);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    target.Append(entry);
    return S_OK;
  }
  ScanFolder(target, entry, L"*.*", includeSubDirs, stopAsked);
  return S_OK;
}
