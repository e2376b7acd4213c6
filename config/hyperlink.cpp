#include "config/hyperlink.h"

#include <shellapi.h>
#include <windowsx.h>

#include "ownership/gdi_holders.h"

namespace {

void OpenWithShell(const wchar_t* url) { ShellExecuteW(nullptr, L"open", url, nullptr, nullptr, SW_SHOWNORMAL); }

LinkOpener linkOpener = OpenWithShell;

HFONT PropFont(HWND control, const wchar_t* name) { return static_cast<HFONT>(GetPropW(control, name)); }

void ShowFont(HWND control, HFONT font) {
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  InvalidateRect(control, nullptr, FALSE);
}

// Drawn by inverting: the same call draws the rectangle and takes it away.
void ToggleFocusRect(HWND control) {
  HWND parent = GetParent(control);
  if (!parent) return;
  RECT rect;
  GetWindowRect(control, &rect);
  InflateRect(&rect, 1, 1);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  ScopedGetDC dc(parent);
  if (dc) DrawFocusRect(dc.get(), &rect);
}

void OpenTarget(HWND control) {
  if (const auto* url = static_cast<const wchar_t*>(GetPropW(control, kLinkUrl))) linkOpener(url);
}

void Unlink(HWND control, WNDPROC oldProc) {
  SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(oldProc));
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(PropFont(control, kLinkOldFont)), FALSE);
  if (HFONT highlight = PropFont(control, kLinkHighlightFont)) DeleteObject(highlight);
  for (const wchar_t* name : {kLinkOldProc, kLinkOldFont, kLinkHighlightFont, kLinkUrl}) RemovePropW(control, name);
}

void OnMouseMove(HWND control, LPARAM lParam) {
  if (GetCapture() == control) {
    RECT client;
    GetClientRect(control, &client);
    const POINT at = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    // Losing the capture brings the plain font back (WM_CAPTURECHANGED).
    if (!PtInRect(&client, at)) ReleaseCapture();
    return;
  }
  ShowFont(control, PropFont(control, kLinkHighlightFont));
  SetCapture(control);
}

}  // namespace

void SetLinkOpenerForTesting(LinkOpener open) { linkOpener = open ? open : OpenWithShell; }

void MakeHyperlink(HWND control, const wchar_t* url) {
  SetWindowLongPtrW(control, GWL_STYLE, GetWindowLongPtrW(control, GWL_STYLE) | SS_NOTIFY);
  // The old procedure is stored before the new one can run.
  SetPropW(control, kLinkOldProc, reinterpret_cast<HANDLE>(GetWindowLongPtrW(control, GWLP_WNDPROC)));
  SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(HyperlinkProc));

  auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  SetPropW(control, kLinkOldFont, font);
  LOGFONTW description = {};
  // A control without a font of its own draws in the system font.
  if (GetObjectW(font ? static_cast<HGDIOBJ>(font) : GetStockObject(SYSTEM_FONT), sizeof(description), &description)) {
    description.lfUnderline = TRUE;
    SetPropW(control, kLinkHighlightFont, CreateFontIndirectW(&description));
  }
  SetPropW(control, kLinkUrl, const_cast<wchar_t*>(url));
}

LRESULT CALLBACK HyperlinkProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto oldProc = reinterpret_cast<WNDPROC>(GetPropW(control, kLinkOldProc));
  auto passOn = [&] {
    return oldProc ? CallWindowProcW(oldProc, control, message, wParam, lParam)
                   : DefWindowProcW(control, message, wParam, lParam);
  };
  switch (message) {
    case WM_DESTROY:
      Unlink(control, oldProc);
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      ToggleFocusRect(control);
      break;
    case WM_SETCURSOR:
      SetCursor(LoadCursorW(nullptr, IDC_HAND));
      return TRUE;
    case WM_KEYUP:
      if (wParam == VK_SPACE) OpenTarget(control);
      break;
    case WM_LBUTTONUP:
      OpenTarget(control);
      break;
    case WM_MOUSEMOVE:
      OnMouseMove(control, lParam);
      break;
    case WM_CAPTURECHANGED:
      ShowFont(control, PropFont(control, kLinkOldFont));
      break;
  }
  return passOn();
}
