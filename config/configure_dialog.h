#pragma once
// The configuration dialog (template 2003): shows the settings, lets the
// user edit them, and on OK writes them to the settings file.

#include <windows.h>

extern "C" {
// Exported under this exact name. A dialog procedure answers pointer-sized
// results (brushes for colour requests).
__declspec(dllexport) INT_PTR WINAPI
    ScreenSaverConfigureDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
}

// Puts saverSettings and the two entry lists into the controls.
void ShowSettingsInDialog(HWND dialog);
// Rebuilds saverSettings and the two entry lists from the controls.
void TakeSettingsFromDialog(HWND dialog);
