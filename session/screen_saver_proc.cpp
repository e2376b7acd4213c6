// The session's window procedure: starts and stops the show with the saver
// window, turns the control keys into slideshow and volume commands, filters
// input for leave-by-Esc-only, and passes the rest to the ending rules.
#include <windows.h>

#include <mmsystem.h>

#include "host/exports.h"
#include "host/saver_window.h"
#include "music/music_player.h"
#include "music/music_rules.h"
#include "music/volume.h"
#include "session/navigation.h"
#include "session/session_lifecycle.h"
#include "settings/settings_store.h"

namespace {

// Space alternates pause and resume; it flips even when the show is not
// running, so the next press does the opposite.
bool spaceToggle = true;

void OnPaint(HWND window) {
  PAINTSTRUCT paint;
  BeginPaint(window, &paint);
  // While paused the render thread draws nothing: show the last frame again.
  if (slideshowSession.paused && slideshowSession.renderer.device) {
    slideshowSession.renderer.device->Present(nullptr, nullptr, nullptr, nullptr);
  }
  EndPaint(window, &paint);
}

// The six control keys never end the saver; true when the key was one of them.
bool OnControlKey(WPARAM key) {
  switch (key) {
    case VK_RETURN:
      AdjustVolume(0);
      return true;
    case VK_SPACE: {
      const bool pause = spaceToggle;
      spaceToggle = !spaceToggle;
      if (pause) {
        PauseShow();
      } else {
        ResumeShow();
      }
      return true;
    }
    case VK_LEFT:
      PreviousPhoto();
      return true;
    case VK_UP:
      AdjustVolume(+1);
      return true;
    case VK_RIGHT:
      NextPhoto();
      return true;
    case VK_DOWN:
      AdjustVolume(-1);
      return true;
  }
  return false;
}

LRESULT OnPowerBroadcast(HWND window, WPARAM event) {
  if (event == PBT_APMQUERYSUSPEND || event == PBT_APMSUSPEND) DestroyWindow(window);
  return TRUE;
}

}  // namespace

LRESULT WINAPI ScreenSaverProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      BeginSession(window);
      break;
    case WM_DESTROY:
      StopMusic();
      StopSession();
      break;
    case WM_PAINT:
      OnPaint(window);
      break;
    case WM_ERASEBKGND:
      return 0;
    case WM_DISPLAYCHANGE:
      DestroyWindow(window);
      break;
    case WM_KEYDOWN:
      if (OnControlKey(wParam)) return 0;
      if (saverSettings.exitByEscOnly && wParam != VK_ESCAPE) return 0;
      break;
    case WM_TIMER:
      if (wParam == kFadeTimerId) FadeStep();
      break;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_MOUSEWHEEL:
      if (saverSettings.exitByEscOnly) return 0;
      break;
    case WM_POWERBROADCAST:
      return OnPowerBroadcast(window, wParam);
    case MM_MCINOTIFY:
      OnMusicNotify(wParam);
      break;
  }
  return DefaultSaverProc(window, message, wParam, lParam);
}
