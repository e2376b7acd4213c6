#pragma once
// The saver window's own message handling and the rules by which input ends
// the saver, with the 9x platform's password check before closing.

#include <windows.h>

extern POINT mouseOrigin;
extern BOOL closeAllowed;
extern BOOL checkingPassword;
extern DWORD lastPasswordCheck;

using VerifyScreenSavePwdFn = BOOL(WINAPI*)(HWND);
extern VerifyScreenSavePwdFn verifyPasswordProc;

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT DefaultSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL VerifyPassword(HWND window);
void LoadPasswordVerifier();
void UnloadPasswordVerifier();
