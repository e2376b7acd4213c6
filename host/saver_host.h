#pragma once
// The process's screen-saver host: picks the mode from the command line and,
// for the two running modes, makes the saver window and runs the message loop.

#include <windows.h>

#include <string_view>

extern HINSTANCE moduleInstance;
// Set where the platform reports the 9x family; tests set it to reach the
// password paths.
extern BOOL isWin9x;
extern BOOL previewMode;
extern HWND saverWindow;
extern UINT autoPlayMessage;

int SaverMain(HINSTANCE instance, std::wstring_view commandTail);
int RunSaver(HWND parent);
void ChangePassword(HWND parent);
void SetSaverRunning(BOOL running);
