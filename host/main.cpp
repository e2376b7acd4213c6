// Process entry. Placeholder host until the saver host is built: "/s" shows a
// black full-screen saver window that any key or click closes; "/c" and an
// empty command line show the configuration dialog; every other command line
// exits with -1.
#include <windows.h>

#include "host/configure_mode.h"
#include "host/exports.h"
#include "resources/resource_ids.h"

namespace {

LRESULT CALLBACK PlaceholderWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return ScreenSaverProcW(window, message, wParam, lParam);
}

int RunPlaceholderSaver(HINSTANCE instance) {
  WNDCLASSW windowClass = {};
  windowClass.style = CS_OWNDC | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = PlaceholderWindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_BRINDORA));
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = L"WindowsScreenSaverClass";
  if (!RegisterClassW(&windowClass)) return 0;
  HWND window = CreateWindowExW(
      WS_EX_TOPMOST, windowClass.lpszClassName, L"Screen Saver",
      WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, GetSystemMetrics(SM_XVIRTUALSCREEN),
      GetSystemMetrics(SM_YVIRTUALSCREEN), GetSystemMetrics(SM_CXVIRTUALSCREEN),
      GetSystemMetrics(SM_CYVIRTUALSCREEN), nullptr, nullptr, instance, nullptr);
  if (!window) return 0;
  SetForegroundWindow(window);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandTail, int) {
  const wchar_t* option = commandTail;
  while (*option == L'/' || *option == L'-' || *option == L' ') ++option;
  if (*option == L'\0') return static_cast<int>(ShowConfigureDialog(nullptr));
  if (*option == L's' || *option == L'S') return RunPlaceholderSaver(instance);
  if (*option == L'c' || *option == L'C') return static_cast<int>(ShowConfigureDialog(ConfigureParent(option + 1)));
  return -1;
}
