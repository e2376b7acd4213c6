#include "host/saver_host.h"

#include <commctrl.h>

#include <memory>

#include "host/command_line.h"
#include "host/configure_mode.h"
#include "host/monitor_windows.h"
#include "host/saver_window.h"
#include "host/system_library.h"
#include "ownership/gdi_holders.h"
#include "ownership/scoped_handle.h"
#include "resources/resource_ids.h"
#include "session/session_start.h"
#include "session/slideshow_session.h"

BOOL isWin9x = FALSE;

namespace {

constexpr wchar_t kSaverClass[] = L"WindowsScreenSaverClass";
constexpr wchar_t kFullScreenTitle[] = L"Screen Saver";
// Long enough for a Direct3D object nearly made; short enough that a key
// still ends the saver within half a second.
constexpr DWORD kStartFinishWaitMs = 400;

HWND ValidWindow(uintptr_t handle) {
  HWND window = reinterpret_cast<HWND>(handle);
  return handle != 0 && IsWindow(window) ? window : nullptr;
}

bool ReportsWin9x() {
  OSVERSIONINFOW version = {};
  version.dwOSVersionInfoSize = sizeof(version);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  const bool known = GetVersionExW(&version);
#pragma GCC diagnostic pop
  return known && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

// An exception that nothing handled: let the platform's filter decide; when
// it hands the exception back to us, leave quietly with -1. Process-wide: the
// filter has no other way to reach it.
LPTOP_LEVEL_EXCEPTION_FILTER platformFilter = nullptr;

LONG WINAPI SaverExceptionFilter(EXCEPTION_POINTERS* exception) {
  LONG verdict = platformFilter ? platformFilter(exception) : EXCEPTION_EXECUTE_HANDLER;
  if (verdict != EXCEPTION_EXECUTE_HANDLER) return verdict;
  SetSaverRunning(FALSE);
  ExitProcess(static_cast<UINT>(-1));
}

int RunCommand(HINSTANCE instance, const SaverCommand& command) {
  switch (command.mode) {
    case SaverMode::ConfigureNoParent:
      return static_cast<int>(ShowConfigureDialog(nullptr));
    case SaverMode::Configure: {
      HWND parent = ValidWindow(command.window);
      return static_cast<int>(ShowConfigureDialog(parent ? parent : GetForegroundWindow()));
    }
    case SaverMode::FullScreen:
      return RunSaver(instance, nullptr);
    case SaverMode::Preview: {
      HWND parent = ValidWindow(command.window);
      return parent ? RunSaver(instance, parent) : -1;
    }
    case SaverMode::ChangePassword: {
      if (!isWin9x) return -1;
      HWND parent = ValidWindow(command.window);
      ChangePassword(parent ? parent : GetForegroundWindow());
      return 0;
    }
    case SaverMode::Invalid:
      break;
  }
  return -1;
}

}  // namespace

int SaverMain(HINSTANCE instance, std::wstring_view commandTail) {
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_TAB_CLASSES};
  InitCommonControlsEx(&controls);
  isWin9x = ReportsWin9x();
  platformFilter = SetUnhandledExceptionFilter(SaverExceptionFilter);
  return RunCommand(instance, ParseSaverCommand(commandTail));
}

int RunSaver(HINSTANCE instance, HWND parent) {
  WNDCLASSW windowClass = {};
  windowClass.style = CS_OWNDC | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = SaverWindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_BRINDORA));
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = kSaverClass;

  // The window's state and its show live until the message loop has ended.
  auto session = std::make_unique<SlideshowSession>();
  SaverWindowState state;
  state.session = session.get();
  state.previewMode = parent != nullptr;
  state.processEndsWithWindow = true;

  RECT area = {};
  DWORD style = 0;
  DWORD exStyle = 0;
  const wchar_t* title = nullptr;
  if (parent) {
    GetClientRect(parent, &area);
    style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
    title = L"Preview";
  } else {
    area.left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    area.top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    area.right = area.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
    area.bottom = area.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (area.right == area.left || area.bottom == area.top) {
      ScopedGetDC screen(nullptr);
      GetClipBox(screen.get(), &area);
    }
    style = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    exStyle = WS_EX_TOPMOST;
    title = kFullScreenTitle;

    // A second full-screen saver hands over to the first.
    HWND running = FindWindowW(kSaverClass, kFullScreenTitle);
    if (running && IsWindow(running)) {
      SetForegroundWindow(running);
      return 0;
    }
    LoadPasswordVerifier(state);
    // The key that ends the show and the start that makes the device run on
    // this thread; a busy machine must delay neither (Windows lifts a
    // foreground thread on input in the same spirit). It waits for messages
    // the rest of the time.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_ABOVE_NORMAL);
  }
  state.autoPlayMessage = isWin9x ? RegisterWindowMessageW(L"QueryCancelAutoPlay") : 0;

  // The slowest step of the start needs no window: it runs while the window
  // is made and shown.
  BeginDirect3DEarly(*session);

  int result = 0;
  HWND saverWindow = nullptr;
  MonitorWindows monitorWindows;
  if (RegisterClassW(&windowClass)) {
    // WM_CREATE posts the start of the slideshow: the window is in front
    // and answering before the slow steps begin.
    saverWindow = CreateWindowExW(exStyle, kSaverClass, title, style, area.left, area.top, area.right - area.left,
                                  area.bottom - area.top, parent, nullptr, instance, &state);
  }
  if (saverWindow) {
    if (!parent) {
      SetForegroundWindow(saverWindow);
      ShowOnOtherMonitors(saverWindow, instance, *session, monitorWindows);
    }
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    result = static_cast<int>(message.wParam);
  }
  UnloadPasswordVerifier(state);
  // The process ends with the window, without the destructors: a worker may
  // still be deep in a decode (or the start in making the device) and draw
  // on what they would free, and the process's end releases the device and
  // GDI+ at once where releasing them ourselves takes a second. It is ended
  // outright, without the libraries' detach: a graphics driver detaching
  // under a device nobody released can crash on the way out (seen under
  // Wine as a heap error at exit). Settings are written as they change, so
  // nothing is left unsaved.
  LetStartFinish(*session, kStartFinishWaitMs);
  TerminateProcess(GetCurrentProcess(), static_cast<UINT>(result));
  return result;
}

void ChangePassword(HWND parent) {
  using PwdChangePasswordFn = DWORD(WINAPI*)(LPCWSTR, HWND, DWORD, void*);
  AutoLibrary library(LoadSystemLibrary(L"MPR.DLL"));
  if (!library) return;
  auto change = reinterpret_cast<PwdChangePasswordFn>(
      reinterpret_cast<void*>(GetProcAddress(library.get(), "PwdChangePasswordW")));
  if (change) change(L"SCRSAVE", parent, 0, nullptr);
}

void SetSaverRunning(BOOL running) {
  if (!isWin9x) return;
  BOOL previous = FALSE;
  SystemParametersInfoW(SPI_SCREENSAVERRUNNING, running, &previous, 0);
}
