#include "host/monitor_covers.h"

#include <vector>

namespace {

constexpr wchar_t kCoverClass[] = L"BrindoraProMonitorCover";

LRESULT CALLBACK CoverProc(HWND cover, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MOUSEACTIVATE:
      // The saver window keeps the focus (and the device its full screen):
      // a click here only ends the saver, through the saver window.
      return MA_NOACTIVATE;
    case WM_SETCURSOR:
      SetCursor(nullptr);
      return TRUE;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (HWND saver = GetWindow(cover, GW_OWNER)) PostMessageW(saver, message, wParam, lParam);
      return 0;
  }
  return DefWindowProcW(cover, message, wParam, lParam);
}

BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, RECT*, LPARAM found) {
  MONITORINFO info = {};
  info.cbSize = sizeof(info);
  if (GetMonitorInfoW(monitor, &info) && !(info.dwFlags & MONITORINFOF_PRIMARY)) {
    reinterpret_cast<std::vector<RECT>*>(found)->push_back(info.rcMonitor);
  }
  return TRUE;
}

}  // namespace

int CoverOtherMonitors(HWND saver, HINSTANCE instance) {
  std::vector<RECT> others;
  EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&others));
  if (others.empty()) return 0;

  WNDCLASSW coverClass = {};
  coverClass.lpfnWndProc = CoverProc;
  coverClass.hInstance = instance;
  coverClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  coverClass.lpszClassName = kCoverClass;
  if (!RegisterClassW(&coverClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return 0;

  int covered = 0;
  for (const RECT& area : others) {
    // Owned by the saver window: destroyed with it and kept above it.
    HWND cover = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kCoverClass, L"", WS_POPUP,
                                 area.left, area.top, area.right - area.left, area.bottom - area.top, saver, nullptr,
                                 instance, nullptr);
    if (!cover) continue;
    ShowWindow(cover, SW_SHOWNOACTIVATE);
    ++covered;
  }
  return covered;
}
