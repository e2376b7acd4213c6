// Plays the display-settings dialog for the preview test: makes a parent
// window, starts the saver with "/p <handle>", reports what the saver made
// inside it, tries input on it, then closes the parent and reports the saver's
// exit code. Usage: preview_host <saver.scr>
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

HWND FindPreview(HWND parent) { return FindWindowExW(parent, nullptr, L"WindowsScreenSaverClass", nullptr); }

void Pump(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < milliseconds) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    Sleep(10);
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  HWND parent = CreateWindowExW(0, L"STATIC", L"Display Settings", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 400, 300,
                                nullptr, nullptr, nullptr, nullptr);
  RECT client;
  GetClientRect(parent, &client);
  std::wstring command = L"\"" + std::wstring(argv[1]) + L"\" /p " + std::to_wstring(reinterpret_cast<uintptr_t>(parent));
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    return 3;
  }
  HWND preview = nullptr;
  for (int i = 0; i < 500 && !preview; ++i) {
    Pump(10);
    preview = FindPreview(parent);
  }
  if (preview) {
    // The window shows once its creation, which starts the slideshow, is done.
    for (int i = 0; i < 500 && !(GetWindowLongW(preview, GWL_STYLE) & WS_VISIBLE); ++i) Pump(10);
    wchar_t title[64] = {};
    GetWindowTextW(preview, title, 64);
    RECT area;
    GetClientRect(preview, &area);
    const LONG style = GetWindowLongW(preview, GWL_STYLE);
    std::printf("title=%ls\nsize=%ldx%ld\nparent-size=%ldx%ld\nchild=%d\nvisible=%d\n", title, area.right, area.bottom,
                client.right, client.bottom, (style & WS_CHILD) != 0, (style & WS_VISIBLE) != 0);
    // A preview is never ended by input.
    PostMessageW(preview, WM_KEYDOWN, 'B', 0);
    PostMessageW(preview, WM_LBUTTONDOWN, 0, 0);
    Pump(1000);
    std::printf("alive-after-input=%d\n", IsWindow(preview) ? 1 : 0);
  } else {
    std::printf("no-preview\n");
  }
  // The settings dialog closing takes the preview with it.
  DestroyWindow(parent);
  DWORD code = 0;
  if (WaitForSingleObject(process.hProcess, 10000) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process.hProcess, &code);
    std::printf("exit=%lu\n", code);
  } else {
    TerminateProcess(process.hProcess, 1);
    std::printf("exit=timeout\n");
  }
  std::fflush(stdout);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return 0;
}
