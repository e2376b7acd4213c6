#include "config/pickers.h"

#include <shlobj.h>

#include <new>

#include "config/dialog_rules.h"
#include "config/list_editing.h"
#include "ownership/com_ref.h"

namespace {

constexpr wchar_t kRequestProperty[] = L"OFN";

}  // namespace

BOOL PickFolder(HWND owner, wchar_t* path) {
  if (!owner || !path) return FALSE;
  ScopedComInit com;
  BROWSEINFOW browse = {};
  browse.hwndOwner = owner;
  PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&browse);
  if (!item) return FALSE;
  const BOOL found = SHGetPathFromIDListW(item, path);
  CoTaskMemFree(item);
  return found;
}

void AddPickedFolder(HWND list) {
  wchar_t path[kPathChars] = {};
  if (!PickFolder(list, path)) return;
  AddListPath(list, path);
  FitListExtent(list);
}

std::unique_ptr<wchar_t[]> AllocateNames(size_t chars) {
  try {
    return std::make_unique<wchar_t[]>(chars);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

void GrowNameBuffer(FilePickRequest& request, int specLength, int folderLength, NameAllocator allocate) {
  const auto size = GrownNameBufferSize(specLength, folderLength, request.ofn.nMaxFile);
  if (!size) return;
  auto larger = allocate(*size);
  if (!larger) return;
  larger[0] = L'\0';
  request.names = std::move(larger);
  request.ofn.lpstrFile = request.names.get();
  request.ofn.nMaxFile = *size;
}

UINT_PTR CALLBACK PickFilesHook(HWND hook, UINT message, WPARAM, LPARAM lParam) {
  HWND picker = GetParent(hook);
  switch (message) {
    case WM_INITDIALOG: {
      // lParam may be a copy of the request; its custom data is the original.
      const auto* ofn = reinterpret_cast<const OPENFILENAMEW*>(lParam);
      if (ofn) SetPropW(picker, kRequestProperty, reinterpret_cast<HANDLE>(ofn->lCustData));
      break;
    }
    case WM_NOTIFY: {
      const auto* notice = reinterpret_cast<const OFNOTIFYW*>(lParam);
      if (notice->hdr.code != CDN_SELCHANGE) break;
      auto* request = static_cast<FilePickRequest*>(GetPropW(picker, kRequestProperty));
      if (!request) break;
      const int specLength = static_cast<int>(SendMessageW(picker, CDM_GETSPEC, 0, 0));
      const int folderLength = static_cast<int>(SendMessageW(picker, CDM_GETFOLDERPATH, 0, 0));
      GrowNameBuffer(*request, specLength, folderLength);
      break;
    }
    case WM_DESTROY:
      RemovePropW(picker, kRequestProperty);
      break;
  }
  return 0;
}

std::optional<PickedNames> PickFiles(HWND owner, const wchar_t* filter) {
  FilePickRequest request = {};
  request.names = AllocateNames(kInitialNameChars);
  if (!request.names) return std::nullopt;
  OPENFILENAMEW& ofn = request.ofn;
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter;
  ofn.lpstrFile = request.names.get();
  ofn.nMaxFile = kInitialNameChars;
  ofn.Flags =
      OFN_EXPLORER | OFN_ENABLESIZING | OFN_ALLOWMULTISELECT | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_ENABLEHOOK;
  ofn.lpfnHook = PickFilesHook;
  ofn.lCustData = reinterpret_cast<LPARAM>(&request);
  if (!GetOpenFileNameW(&ofn)) return std::nullopt;
  return PickedNames{std::move(request.names), ofn.nMaxFile};
}

void AddPickedFiles(HWND list, const wchar_t* filter) {
  auto picked = PickFiles(list, filter);
  if (!picked || !picked->buffer) return;
  for (const auto& path : PathsFromPickedNames(picked->buffer.get(), picked->size)) AddListPath(list, path);
  FitListExtent(list);
}
