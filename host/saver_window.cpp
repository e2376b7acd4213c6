#include "host/saver_window.h"

#include "host/ending_rules.h"
#include "host/exports.h"
#include "host/saver_host.h"
#include "host/scoped_win.h"
#include "host/system_library.h"

POINT mouseOrigin = {0, 0};
BOOL closeAllowed = FALSE;
BOOL checkingPassword = FALSE;
DWORD lastPasswordCheck = kNeverChecked;
VerifyScreenSavePwdFn verifyPasswordProc = nullptr;

namespace {

AutoLibrary passwordLibrary;

// The input method is detached while the saver runs, so typing cannot pop up
// a composition window over it. IMM32 is only used if already loaded.
using ImmAssociateContextFn = HANDLE(WINAPI*)(HWND, HANDLE);
ImmAssociateContextFn immAssociateContext = nullptr;
HANDLE savedInputContext = nullptr;

void HideCursor() {
  if (!previewMode) SetCursor(nullptr);
}

void DetachInputMethod(HWND window) {
  HMODULE imm = GetModuleHandleW(L"IMM32.DLL");
  if (!imm) return;
  immAssociateContext =
      reinterpret_cast<ImmAssociateContextFn>(reinterpret_cast<void*>(GetProcAddress(imm, "ImmAssociateContext")));
  if (immAssociateContext) savedInputContext = immAssociateContext(window, nullptr);
}

void ReattachInputMethod(HWND window) {
  if (immAssociateContext && savedInputContext) immAssociateContext(window, savedInputContext);
}

void PostClose(HWND window) { PostMessageW(window, WM_CLOSE, 0, 0); }

LRESULT OnSysCommand(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!previewMode) {
    switch (wParam & 0xFFF0) {
      case SC_NEXTWINDOW:
      case SC_PREVWINDOW:
      case SC_SCREENSAVE:
        return 0;
      case SC_MONITORPOWER:
        PostClose(window);
        break;
    }
  }
  return ScreenSaverProcW(window, message, wParam, lParam);
}

// In the preview, help belongs to the display-settings window around it.
LRESULT ForwardToParent(HWND window, UINT message, LPARAM lParam) {
  HWND parent = GetParent(window);
  if (parent && IsWindow(parent)) PostMessageW(parent, message, reinterpret_cast<WPARAM>(parent), lParam);
  return 1;
}

// The ending rules; true when the message was fully answered (result set).
bool ApplyEndingRules(HWND window, UINT message, WPARAM wParam, LRESULT& result) {
  switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      PostClose(window);
      break;
    case WM_MOUSEMOVE: {
      // The cursor position, not lParam: the first move message after
      // creation can report a stale position.
      POINT cursor;
      if (GetCursorPos(&cursor) && MovedBeyondThreshold(mouseOrigin.x, mouseOrigin.y, cursor.x, cursor.y)) {
        PostClose(window);
        mouseOrigin = cursor;
      }
      break;
    }
    case WM_ACTIVATEAPP:
      if (wParam == 0) PostClose(window);
      break;
    case WM_POWER:
      if (wParam == PWR_CRITICALRESUME) PostClose(window);
      break;
    case WM_SHOWWINDOW:
      if (wParam) HideCursor();
      break;
    case WM_SETCURSOR:
      HideCursor();
      result = 1;
      return true;
  }
  return false;
}

}  // namespace

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      DetachInputMethod(window);
      GetCursorPos(&mouseOrigin);
      HideCursor();
      break;
    case WM_DESTROY:
      ReattachInputMethod(window);
      PostQuitMessage(0);
      break;
    case WM_SETTEXT:
      return 0;
    case WM_PAINT:
      if (closeAllowed) return DefWindowProcW(window, message, wParam, lParam);
      HideCursor();
      break;
    case WM_HELP:
    case WM_CONTEXTMENU:
      if (previewMode) return ForwardToParent(window, message, lParam);
      break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (closeAllowed) return DefWindowProcW(window, message, wParam, lParam);
      break;
    case WM_SYSCOMMAND:
      return OnSysCommand(window, message, wParam, lParam);
    case WM_TIMER:
      if (closeAllowed) return 0;
      Sleep(0);
      break;
  }
  return ScreenSaverProcW(window, message, wParam, lParam);
}

LRESULT DefaultSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!previewMode && !closeAllowed) {
    if (message == WM_CLOSE) {
      if (isWin9x && !VerifyPassword(window)) {
        GetCursorPos(&mouseOrigin);
        return 0;
      }
    } else if (message == WM_APP && isWin9x) {
      return verifyPasswordProc ? verifyPasswordProc(window) : 1;
    } else if (message != WM_APP && !checkingPassword) {
      LRESULT result = 0;
      if (ApplyEndingRules(window, message, wParam, result)) return result;
    }
  }
  if (autoPlayMessage != 0 && message == autoPlayMessage) {
    PostClose(window);
    return verifyPasswordProc ? 1 : 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

BOOL VerifyPassword(HWND window) {
  if (checkingPassword || closeAllowed) return FALSE;
  if (!verifyPasswordProc) {
    closeAllowed = TRUE;
    return TRUE;
  }
  if (PasswordCheckTooSoon(lastPasswordCheck, GetTickCount())) return closeAllowed;

  checkingPassword = TRUE;
  // Timer messages queued while the dialog was coming up would otherwise
  // arrive in a burst after it.
  MSG pending;
  for (int i = 0; i < 2; ++i) PeekMessageW(&pending, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
  closeAllowed = SendMessageW(window, WM_APP, 0, 0) != 0;
  checkingPassword = FALSE;

  if (!closeAllowed) HideCursor();
  lastPasswordCheck = GetTickCount();
  return closeAllowed;
}

void LoadPasswordVerifier() {
  if (!isWin9x) return;
  if (passwordLibrary) UnloadPasswordVerifier();
  HKEY desktop = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, KEY_QUERY_VALUE, &desktop) != ERROR_SUCCESS) {
    return;
  }
  BYTE value[4] = {};
  DWORD size = sizeof(value);
  const bool usePassword =
      RegQueryValueExW(desktop, L"ScreenSaveUsePassword", nullptr, nullptr, value, &size) == ERROR_SUCCESS &&
      (value[0] | value[1] | value[2] | value[3]) != 0;
  RegCloseKey(desktop);
  if (!usePassword) return;

  passwordLibrary.reset(LoadSystemLibrary(L"PASSWORD.CPL"));
  if (!passwordLibrary) return;
  verifyPasswordProc = reinterpret_cast<VerifyScreenSavePwdFn>(
      reinterpret_cast<void*>(GetProcAddress(passwordLibrary.get(), "VerifyScreenSavePwd")));
  if (verifyPasswordProc) {
    SetSaverRunning(TRUE);
  } else {
    UnloadPasswordVerifier();
  }
}

void UnloadPasswordVerifier() {
  if (!isWin9x || !passwordLibrary) return;
  passwordLibrary.reset();
  if (verifyPasswordProc) {
    verifyPasswordProc = nullptr;
    SetSaverRunning(FALSE);
  }
}
