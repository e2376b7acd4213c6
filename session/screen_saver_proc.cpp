#include "host/exports.h"
#include "host/saver_window.h"

// Placeholder until the slideshow session exists: every message goes to the
// ending rules.
LRESULT WINAPI ScreenSaverProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefaultSaverProc(window, message, wParam, lParam);
}
