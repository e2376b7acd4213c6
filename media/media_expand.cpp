#include "media/media_expand.h"

#include <optional>
#include <set>
#include <tuple>

#include "host/scoped_win.h"

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

class FolderWalk {
 public:
  FolderWalk(MediaList& target, const wchar_t* pattern, bool includeSubDirs)
      : target_(target), pattern_(pattern), includeSubDirs_(includeSubDirs) {}

  void Scan(std::wstring folder) {
    if (folder.empty() || folder.back() != L'\\') folder += L'\\';
    // A link back to an ancestor would otherwise repeat the tree until the
    // path grows too long for the platform.
    if (includeSubDirs_) {
      if (auto id = IdentifyFolder(folder); id && !visited_.insert(*id).second) return;
    }
    ListFiles(folder);
    if (includeSubDirs_) WalkSubFolders(folder);
  }

 private:
  void ListFiles(const std::wstring& folder) {
    WIN32_FIND_DATAW item;
    AutoFindHandle find(FindFirstFileW((folder + pattern_).c_str(), &item));
    if (!find) return;
    do {
      if (!IsFolder(item)) target_.Append(folder + item.cFileName);
    } while (FindNextFileW(find.get(), &item));
  }

  void WalkSubFolders(const std::wstring& folder) {
    WIN32_FIND_DATAW item;
    AutoFindHandle find(FindFirstFileW((folder + L"*").c_str(), &item));
    if (!find) return;
    do {
      if (IsFolder(item) && !IsDotOrDotDot(item.cFileName)) Scan(folder + item.cFileName);
    } while (FindNextFileW(find.get(), &item));
  }

  MediaList& target_;
  const wchar_t* pattern_;
  bool includeSubDirs_;
  std::set<FolderId> visited_;
};

}  // namespace

void ScanFolder(MediaList& target, std::wstring folder, const wchar_t* pattern, bool includeSubDirs) {
  FolderWalk(target, pattern, includeSubDirs).Scan(std::move(folder));
}

HRESULT ExpandEntry(MediaList& target, const wchar_t* entry, bool includeSubDirs) {
  if (!entry || entry[0] == L'\0') return E_INVALIDARG;
  WIN32_FIND_DATAW item;
  {
    AutoFindHandle probe(FindFirstFileW(entry, &item));
    if (probe && !IsFolder(item)) {
      target.Append(entry);
      return S_OK;
    }
  }
  ScanFolder(target, entry, L"*.*", includeSubDirs);
  return S_OK;
}

HRESULT ExpandPhotoEntry(const wchar_t* entry, SlideshowSession& session) {
  return ExpandEntry(session.photoFiles, entry, session.sessionSettings.photoIncludeSubDir);
}

HRESULT ExpandMusicEntry(const wchar_t* entry, SlideshowSession& session) {
  return ExpandEntry(session.musicFiles, entry, session.sessionSettings.musicIncludeSubDir);
}
