#pragma once
// The configuration dialog (template 2003): shows the settings, lets the
// user edit them, and on OK writes them to the settings file.
// ScreenSaverConfigureDialog itself is declared in host/exports.h.

#include <windows.h>

// Puts saverSettings and the two entry lists into the controls.
void ShowSettingsInDialog(HWND dialog);
// Rebuilds saverSettings and the two entry lists from the controls.
void TakeSettingsFromDialog(HWND dialog);
