#include "host/monitor_windows.h"

namespace {

constexpr wchar_t kMonitorClass[] = L"BrindoraProMonitorShow";

LRESULT CALLBACK MonitorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE:
      AttachSessionLink(window,
                        static_cast<SessionWindowLink*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
      break;
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
      if (HWND saver = GetWindow(window, GW_OWNER)) PostMessageW(saver, message, wParam, lParam);
      return 0;
    case WM_PAINT:
    case WM_ERASEBKGND:
    case WM_DESTROY:
      // The show's own painting and stop; its start comes from the primary's.
      if (SessionLinkOf(window)) return ScreenSaverProcW(window, message, wParam, lParam);
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
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

int ShowOnOtherMonitors(HWND saver, HINSTANCE instance, SlideshowSession& primary, MonitorWindows& windows) {
  std::vector<RECT> others;
  EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&others));
  if (others.empty()) return 0;

  WNDCLASSW monitorClass = {};
  monitorClass.style = CS_OWNDC;
  monitorClass.lpfnWndProc = MonitorWindowProc;
  monitorClass.hInstance = instance;
  monitorClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  monitorClass.lpszClassName = kMonitorClass;
  if (!RegisterClassW(&monitorClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return 0;

  windows.shared.shows.push_back(&primary);
  for (const RECT& area : others) {
    auto session = std::make_unique<SlideshowSession>();
    auto link = std::make_unique<SessionWindowLink>();
    link->session = session.get();
    link->fullScreen = false;
    link->processEndsWithWindow = true;
    // Owned by the saver window: destroyed with it and kept above it.
    HWND window =
        CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kMonitorClass, L"", WS_POPUP, area.left,
                        area.top, area.right - area.left, area.bottom - area.top, saver, nullptr, instance, link.get());
    if (!window) continue;
    session->window = window;
    session->monitors = &windows.shared;
    session->monitorNumber = static_cast<uint32_t>(windows.shared.shows.size());
    windows.shared.shows.push_back(session.get());
    ShowWindow(window, SW_SHOWNOACTIVATE);
    windows.sessions.push_back(std::move(session));
    windows.links.push_back(std::move(link));
  }
  const auto monitors = windows.sessions.size();
  if (monitors == 0) {
    windows.shared.shows.clear();
    return 0;
  }
  windows.shared.claims.resize(monitors + 1);
  primary.monitors = &windows.shared;
  return static_cast<int>(monitors);
}
