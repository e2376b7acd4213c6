#include "host/exports.h"

// Placeholder until the slideshow session exists: the saver window behaves as
// a plain window.
LRESULT WINAPI ScreenSaverProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}
