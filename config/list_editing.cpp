#include "config/list_editing.h"

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <vector>

#include "ownership/com_ref.h"
#include "ownership/gdi_holders.h"
#include "ownership/scoped_handle.h"

std::optional<std::wstring> ListItemText(HWND list, int index) {
  const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == LB_ERR || length < 0) return std::nullopt;
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT copied =
      SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  if (copied == LB_ERR) return std::nullopt;
  text.resize(static_cast<size_t>(std::clamp<LRESULT>(copied, 0, length)));
  return text;
}

bool AddListPath(HWND list, const std::wstring& path) {
  if (path.empty() || !FitsListItem(path.size())) return false;
  const LRESULT added = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(path.c_str()));
  return added != LB_ERR && added != LB_ERRSPACE;
}

void FitListExtent(HWND list) {
  const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  ScopedGetDC dc(list);
  if (!dc) return;
  ScopedSelectObject font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(list, WM_GETFONT, 0, 0)));
  LONG widest = 0;
  for (int i = 0; i < count; ++i) {
    auto text = ListItemText(list, i);
    SIZE size = {};
    if (text && GetTextExtentPoint32W(dc.get(), text->c_str(), static_cast<int>(text->size()), &size))
      widest = std::max(widest, size.cx);
  }
  TEXTMETRICW metrics = {};
  GetTextMetricsW(dc.get(), &metrics);
  SendMessageW(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + 2 * metrics.tmAveCharWidth), 0);
}

void MoveListSelection(MoveDirection direction, HWND list) {
  const LRESULT selected = SendMessageW(list, LB_GETCURSEL, 0, 0);
  const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  if (selected == LB_ERR || count == LB_ERR) return;
  const auto target = MoveTarget(static_cast<int>(selected), static_cast<int>(count), direction);
  if (!target) return;
  const auto text = ListItemText(list, static_cast<int>(selected));
  if (!text) return;
  const LRESULT data = SendMessageW(list, LB_GETITEMDATA, static_cast<WPARAM>(selected), 0);
  SendMessageW(list, LB_DELETESTRING, static_cast<WPARAM>(selected), 0);
  SendMessageW(list, LB_INSERTSTRING, static_cast<WPARAM>(*target), reinterpret_cast<LPARAM>(text->c_str()));
  SendMessageW(list, LB_SETITEMDATA, static_cast<WPARAM>(*target), data);
  SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(*target), 0);
}

void DeleteListSelection(HWND list) {
  const LRESULT selected = SendMessageW(list, LB_GETCURSEL, 0, 0);
  if (selected == LB_ERR) return;
  SendMessageW(list, LB_DELETESTRING, static_cast<WPARAM>(selected), 0);
  SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  FitListExtent(list);
}

void ClearListBox(HWND list) {
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  FitListExtent(list);
}

bool IsFolderOrEmpty(const wchar_t* path) {
  WIN32_FIND_DATAW found;
  AutoFindHandle find(FindFirstFileW(path, &found));
  if (!find) return false;
  return found.nFileSizeHigh == 0 && found.nFileSizeLow == 0;
}

bool ResolveShortcutInPlace(wchar_t* path) {
  if (!path || IsFolderOrEmpty(path)) return false;
  ComRef<IShellLinkW> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(link.put()))))
    return false;
  ComRef<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.put())))) return false;
  if (FAILED(file->Load(path, STGM_READ))) return false;
  // Resolved apart from the path, so that a failure or a shortcut without a
  // file-system target (S_FALSE, empty) leaves the dropped path as it was.
  wchar_t target[kDroppedPathChars] = {};
  if (link->GetPath(target, static_cast<int>(std::size(target)), nullptr, SLGP_UNCPRIORITY) != S_OK ||
      target[0] == L'\0')
    return false;
  target[kDroppedPathChars - 1] = L'\0';
  std::copy(std::begin(target), std::end(target), path);
  return true;
}

void AddDroppedItems(HDROP drop, HWND list) {
  ScopedComInit com;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    // A path that does not fit the buffer would come out cut short: a
    // different path, so it is not added.
    if (DragQueryFileW(drop, i, nullptr, 0) >= kDroppedPathChars) continue;
    wchar_t path[kDroppedPathChars] = {};
    if (DragQueryFileW(drop, i, path, kDroppedPathChars) == 0) continue;
    ResolveShortcutInPlace(path);
    AddListPath(list, path);
  }
}

LRESULT AddDropTip(HWND list) {
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(list, GWLP_HINSTANCE));
  HWND tip =
      CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, list, nullptr, instance, nullptr);
  if (!tip) return 0;
  SetWindowPos(tip, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  TOOLINFOW tool = {};
  tool.cbSize = TTTOOLINFOW_V1_SIZE;
  tool.uFlags = TTF_SUBCLASS;
  tool.hwnd = list;
  tool.uId = 0;
  GetClientRect(list, &tool.rect);
  tool.hinst = instance;
  tool.lpszText = const_cast<LPWSTR>(kDropTipText);
  return SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}
