// The session's window procedure: starts and stops the show with the saver
// window, turns the control keys into slideshow and volume commands, filters
// input for leave-by-Esc-only, and passes the rest to the ending rules.
#include "session/screen_saver_proc.h"

#include <mmsystem.h>

#include "music/music_player.h"
#include "music/music_rules.h"
#include "music/volume.h"
#include "session/navigation.h"
#include "session/session_lifecycle.h"
#include "session/show_music.h"
#include "settings/settings_store.h"

namespace {

void OnPaint(HWND window, SlideshowSession& session) {
  PAINTSTRUCT paint;
  BeginPaint(window, &paint);
  // While paused the render thread draws nothing: show the last frame again.
  if (session.paused && session.renderer.device) {
    session.renderer.device->Present(nullptr, nullptr, nullptr, nullptr);
  }
  EndPaint(window, &paint);
}

// The six control keys never end the saver; true when the key was one of them.
bool OnControlKey(WPARAM key, SlideshowSession& session) {
  switch (key) {
    case VK_RETURN:
      AdjustVolume(0);
      return true;
    case VK_SPACE: {
      // Space alternates pause and resume; it flips even when the show is
      // not running, so the next press does the opposite.
      const bool pause = session.spaceToggle;
      session.spaceToggle = !session.spaceToggle;
      if (pause) {
        PauseShow(session);
      } else {
        ResumeShow(session);
      }
      return true;
    }
    case VK_LEFT:
      PreviousPhoto(session);
      return true;
    case VK_UP:
      AdjustVolume(+1);
      return true;
    case VK_RIGHT:
      NextPhoto(session);
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

void AttachSessionLink(HWND window, SessionWindowLink* link) {
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(link));
}

SessionWindowLink* SessionLinkOf(HWND window) {
  return reinterpret_cast<SessionWindowLink*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

LRESULT WINAPI ScreenSaverProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const SessionWindowLink* link = SessionLinkOf(window);
  SlideshowSession& session = link && link->session ? *link->session : slideshowSession;
  switch (message) {
    case WM_CREATE:
      BeginSession(window, link ? link->fullScreen : true, session);
      break;
    case WM_DESTROY:
      StopMusic(session);
      StopSession(session);
      break;
    case WM_PAINT:
      OnPaint(window, session);
      break;
    case WM_ERASEBKGND:
      return 0;
    case WM_DISPLAYCHANGE:
      DestroyWindow(window);
      break;
    case WM_KEYDOWN:
      if (OnControlKey(wParam, session)) return 0;
      if (saverSettings.exitByEscOnly && wParam != VK_ESCAPE) return 0;
      break;
    case WM_TIMER:
      if (wParam == kFadeTimerId) FadeStep(session.music);
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
      OnMusicNotify(wParam, session);
      break;
  }
  return link && link->next ? link->next(window, message, wParam, lParam)
                            : DefWindowProcW(window, message, wParam, lParam);
}
