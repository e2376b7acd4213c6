#pragma once
// The process's screen-saver host: picks the mode from the command line and,
// for the two running modes, makes the saver window and runs the message loop.

#include <windows.h>

#include <string_view>

// Set where the platform reports the 9x family; tests set it to reach the
// password paths. Process-wide: the password-change mode and the exception
// filter need it where no window exists.
extern BOOL isWin9x;

int SaverMain(HINSTANCE instance, std::wstring_view commandTail);
int RunSaver(HINSTANCE instance, HWND parent);
void ChangePassword(HWND parent);
void SetSaverRunning(BOOL running);
