#include "host/saver_window.h"

#include "host/saver_host.h"
#include "host/system_library.h"
#include "ownership/scoped_handle.h"

namespace {

void HideCursor(const SaverWindowState& state) {
  if (!state.previewMode) SetCursor(nullptr);
}

// The input method is detached while the saver runs, so typing cannot pop up
// a composition window over it. IMM32 is only used if already loaded.
void DetachInputMethod(HWND window, SaverWindowState& state) {
  HMODULE imm = GetModuleHandleW(L"IMM32.DLL");
  if (!imm) return;
  state.immAssociateContext =
      reinterpret_cast<ImmAssociateContextFn>(reinterpret_cast<void*>(GetProcAddress(imm, "ImmAssociateContext")));
  if (state.immAssociateContext) state.savedInputContext = state.immAssociateContext(window, nullptr);
}

void ReattachInputMethod(HWND window, const SaverWindowState& state) {
  if (state.immAssociateContext && state.savedInputContext) state.immAssociateContext(window, state.savedInputContext);
}

void PostClose(HWND window) { PostMessageW(window, WM_CLOSE, 0, 0); }

LRESULT OnSysCommand(HWND window, const SaverWindowState& state, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!state.previewMode) {
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
bool ApplyEndingRules(HWND window, SaverWindowState& state, UINT message, WPARAM wParam, LRESULT& result) {
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
      if (GetCursorPos(&cursor) && MovedBeyondThreshold(state.mouseOrigin.x, state.mouseOrigin.y, cursor.x, cursor.y)) {
        PostClose(window);
        state.mouseOrigin = cursor;
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
      if (wParam) HideCursor(state);
      break;
    case WM_SETCURSOR:
      HideCursor(state);
      result = 1;
      return true;
  }
  return false;
}

}  // namespace

SaverWindowState* SaverStateOf(HWND window) { return static_cast<SaverWindowState*>(SessionLinkOf(window)); }

// Every message of the saver window starts here. A key goes on to
// ScreenSaverProcW (session/screen_saver_proc.cpp), which keeps the six
// control keys and, with leave-by-Esc-only, every other key but Esc; what it
// passes on reaches DefaultSaverProc below, whose ending rules decide that
// the key ends the saver.
LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* state = static_cast<SaverWindowState*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    // The session's view of the window follows the host's flags.
    if (state) {
      state->fullScreen = !state->previewMode;
      state->next = DefaultSaverProc;
    }
    AttachSessionLink(window, state);
  }
  SaverWindowState* state = SaverStateOf(window);
  if (!state) return DefWindowProcW(window, message, wParam, lParam);
  switch (message) {
    case WM_CREATE:
      DetachInputMethod(window, *state);
      GetCursorPos(&state->mouseOrigin);
      HideCursor(*state);
      break;
    case WM_DESTROY:
      ReattachInputMethod(window, *state);
      PostQuitMessage(0);
      break;
    case WM_SETTEXT:
      return 0;
    case WM_PAINT:
      if (state->closeAllowed) return DefWindowProcW(window, message, wParam, lParam);
      HideCursor(*state);
      break;
    case WM_HELP:
    case WM_CONTEXTMENU:
      if (state->previewMode) return ForwardToParent(window, message, lParam);
      break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (state->closeAllowed) return DefWindowProcW(window, message, wParam, lParam);
      break;
    case WM_SYSCOMMAND:
      return OnSysCommand(window, *state, message, wParam, lParam);
    case WM_TIMER:
      if (state->closeAllowed) return 0;
      Sleep(0);
      break;
  }
  return ScreenSaverProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK DefaultSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  SaverWindowState* state = SaverStateOf(window);
  if (!state) return DefWindowProcW(window, message, wParam, lParam);
  if (!state->previewMode && !state->closeAllowed) {
    if (message == WM_CLOSE) {
      if (isWin9x && !VerifyPassword(window)) {
        GetCursorPos(&state->mouseOrigin);
        return 0;
      }
    } else if (message == WM_APP && isWin9x) {
      return state->verifyPasswordProc ? state->verifyPasswordProc(window) : 1;
    } else if (message != WM_APP && !state->checkingPassword) {
      LRESULT result = 0;
      if (ApplyEndingRules(window, *state, message, wParam, result)) return result;
    }
  }
  if (state->autoPlayMessage != 0 && message == state->autoPlayMessage) {
    PostClose(window);
    return state->verifyPasswordProc ? 1 : 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

BOOL VerifyPassword(HWND window) {
  SaverWindowState* state = SaverStateOf(window);
  if (!state || state->checkingPassword || state->closeAllowed) return FALSE;
  if (!state->verifyPasswordProc) {
    state->closeAllowed = TRUE;
    return TRUE;
  }
  if (PasswordCheckTooSoon(state->lastPasswordCheck, GetTickCount())) return state->closeAllowed;

  state->checkingPassword = TRUE;
  // Timer messages queued while the dialog was coming up would otherwise
  // arrive in a burst after it.
  MSG pending;
  for (int i = 0; i < 2; ++i) PeekMessageW(&pending, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
  state->closeAllowed = SendMessageW(window, WM_APP, 0, 0) != 0;
  state->checkingPassword = FALSE;

  if (!state->closeAllowed) HideCursor(*state);
  state->lastPasswordCheck = GetTickCount();
  return state->closeAllowed;
}

void LoadPasswordVerifier(SaverWindowState& state) {
  if (!isWin9x) return;
  if (state.passwordLibrary) UnloadPasswordVerifier(state);
  AutoRegKey desktop;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, KEY_QUERY_VALUE, desktop.put()) != ERROR_SUCCESS) {
    return;
  }
  BYTE value[4] = {};
  DWORD size = sizeof(value);
  const bool usePassword =
      RegQueryValueExW(desktop.get(), L"ScreenSaveUsePassword", nullptr, nullptr, value, &size) == ERROR_SUCCESS &&
      (value[0] | value[1] | value[2] | value[3]) != 0;
  desktop.reset();
  if (!usePassword) return;

  state.passwordLibrary.reset(LoadSystemLibrary(L"PASSWORD.CPL"));
  if (!state.passwordLibrary) return;
  state.verifyPasswordProc = reinterpret_cast<VerifyScreenSavePwdFn>(
      reinterpret_cast<void*>(GetProcAddress(state.passwordLibrary.get(), "VerifyScreenSavePwd")));
  if (state.verifyPasswordProc) {
    SetSaverRunning(TRUE);
  } else {
    UnloadPasswordVerifier(state);
  }
}

void UnloadPasswordVerifier(SaverWindowState& state) {
  if (!isWin9x || !state.passwordLibrary) return;
  state.passwordLibrary.reset();
  if (state.verifyPasswordProc) {
    state.verifyPasswordProc = nullptr;
    SetSaverRunning(FALSE);
  }
}
