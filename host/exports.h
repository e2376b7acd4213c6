#pragma once
// The two entry points a screen saver exports under these exact names.

#include <windows.h>

extern "C" {
__declspec(dllexport) LRESULT WINAPI ScreenSaverProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// A dialog procedure answers pointer-sized results (brushes for colour requests).
__declspec(dllexport) INT_PTR WINAPI ScreenSaverConfigureDialog(HWND dialog, UINT message, WPARAM wParam,
                                                                LPARAM lParam);
}
