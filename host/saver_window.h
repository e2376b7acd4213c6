#pragma once
// The saver window's own message handling and the rules by which input ends
// the saver, with the 9x platform's password check before closing.

#include <windows.h>

#include "host/ending_rules.h"
#include "ownership/scoped_handle.h"
#include "session/screen_saver_proc.h"

using VerifyScreenSavePwdFn = BOOL(WINAPI*)(HWND);
using ImmAssociateContextFn = HANDLE(WINAPI*)(HWND, HANDLE);

// The host's flags for one saver window, with the session's link in front.
// RunSaver makes it before the window and passes it as the creation
// parameter; SaverWindowProc attaches it at WM_NCCREATE.
struct SaverWindowState : SessionWindowLink {
  BOOL previewMode = FALSE;
  BOOL closeAllowed = FALSE;
  BOOL checkingPassword = FALSE;
  DWORD lastPasswordCheck = kNeverChecked;
  // Where the cursor was when the saver started (or a refused password
  // was asked for); movement is measured from here.
  POINT mouseOrigin = {0, 0};
  // "QueryCancelAutoPlay" on the 9x platform, else 0.
  UINT autoPlayMessage = 0;
  // The 9x password check, loaded before the window exists.
  AutoLibrary passwordLibrary;
  VerifyScreenSavePwdFn verifyPasswordProc = nullptr;
  // The input method detached while the saver runs.
  ImmAssociateContextFn immAssociateContext = nullptr;
  HANDLE savedInputContext = nullptr;
};

// Null before WM_NCCREATE and on windows of other procedures.
SaverWindowState* SaverStateOf(HWND window);

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK DefaultSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL VerifyPassword(HWND window);
void LoadPasswordVerifier(SaverWindowState& state);
void UnloadPasswordVerifier(SaverWindowState& state);
