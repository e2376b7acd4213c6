// Prints the layout of a top-level window that another process shows, in real
// screen pixels: the window's DPI, its client area and every visible child
// control with the width its text needs in the dialog's font at that DPI.
//   layout_probe <window title> <font face> <font points>
#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using SetProcessDpiAwarenessContextFn = BOOL(WINAPI*)(HANDLE);

template <typename Fn>
Fn User32(const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

struct Probe {
  HDC dc;
};

BOOL CALLBACK PrintControl(HWND control, LPARAM context) {
  if (!IsWindowVisible(control)) return TRUE;
  auto probe = reinterpret_cast<Probe*>(context);
  wchar_t kind[64] = L"", text[256] = L"";
  GetClassNameW(control, kind, 64);
  GetWindowTextW(control, text, 256);
  RECT box;
  GetWindowRect(control, &box);
  // What the control's text needs on one line, mnemonic ampersands handled as
  // the control draws them.
  RECT needed = {0, 0, 0, 0};
  if (text[0]) DrawTextW(probe->dc, text, -1, &needed, DT_CALCRECT | DT_SINGLELINE);
  std::wprintf(L"control id=%d class=%ls style=%08lx rect=%ld,%ld,%ld,%ld text_width=%ld text=%ls\n",
               GetDlgCtrlID(control), kind, static_cast<unsigned long>(GetWindowLongW(control, GWL_STYLE)), box.left,
               box.top, box.right, box.bottom, needed.right, text);
  return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) return 2;
  // Aware ourselves, so that the rectangles read are not scaled for a 96-DPI reader.
  if (auto aware = User32<SetProcessDpiAwarenessContextFn>("SetProcessDpiAwarenessContext")) {
    aware(reinterpret_cast<HANDLE>(-4));  // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
  }
  HWND window = FindWindowW(nullptr, argv[1]);
  if (!window) return 1;
  auto dpiForWindow = User32<GetDpiForWindowFn>("GetDpiForWindow");
  UINT dpi = dpiForWindow ? dpiForWindow(window) : 0;

  RECT client, frame;
  GetClientRect(window, &client);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
  GetWindowRect(window, &frame);
  std::wprintf(L"window dpi=%u client=%ld,%ld,%ld,%ld frame=%ld,%ld,%ld,%ld\n", dpi, client.left, client.top,
               client.right, client.bottom, frame.left, frame.top, frame.right, frame.bottom);

  Probe probe{GetDC(nullptr)};
  LOGFONTW face = {};
  face.lfHeight = -MulDiv(_wtoi(argv[3]), static_cast<int>(dpi ? dpi : 96), 72);
  face.lfCharSet = DEFAULT_CHARSET;
  wcsncpy(face.lfFaceName, argv[2], LF_FACESIZE - 1);
  HFONT font = CreateFontIndirectW(&face);
  HGDIOBJ old = SelectObject(probe.dc, font);
  EnumChildWindows(window, PrintControl, reinterpret_cast<LPARAM>(&probe));
  SelectObject(probe.dc, old);
  DeleteObject(font);
  ReleaseDC(nullptr, probe.dc);
  return 0;
}
