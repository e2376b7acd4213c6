// The session's window procedure: starts and stops the show with the saver
// window, turns the control keys into slideshow and volume commands, filters
// input for leave-by-Esc-only, and passes the rest to the ending rules.
#include "session/screen_saver_proc.h"

#include <mmsystem.h>

#include "music/music_player.h"
#include "music/music_rules.h"
#include "music/volume.h"
#include "session/loader_thread.h"
#include "session/monitor_shows.h"
#include "session/navigation.h"
#include "session/render_thread.h"
#include "session/session_lifecycle.h"
#include "session/session_start.h"
#include "session/show_music.h"
#include "settings/settings_store.h"

namespace {

// Posted by WM_CREATE: the start waits until the window is up, and runs on a
// thread of its own, so that input reaches the window from its first moment.
constexpr UINT kStartShowMessage = WM_APP + 2;

// The leave-by-Esc-only switch holds from the window's first message: the
// settings file is read here, the whole start comes later.
void OnCreate(SlideshowSession& session) {
  if (session.workersLeftRunning || session.sessionInitialised) return;
  ReadSettingsFile();
  session.sessionSettings.exitByEscOnly = saverSettings.exitByEscOnly;
}

void OnStartShow(HWND window, bool fullScreen, SlideshowSession& session) {
  UpdateWindow(window);  // black, before anything slow
  BeginSessionInBackground(window, fullScreen, session);
}

void OnDestroy(const SessionWindowLink* link, SlideshowSession& session) {
  StopMusic(session);
  // A start still making the device is left to finish on its own, as a
  // worker deep in a decode is.
  if (StartInProgress(session)) {
    session.workersLeftRunning = true;
    return;
  }
  StopSession(session, !(link && link->processEndsWithWindow));
}

void OnPaint(HWND window, SlideshowSession& session) {
  PAINTSTRUCT paint;
  BeginPaint(window, &paint);
  // While paused the render thread draws nothing unless asked: the last frame again.
  if (session.paused) RequestRepaint(session);
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
      ForEachShow(session, pause ? PauseShow : ResumeShow);
      return true;
    }
    case VK_LEFT:
      ForEachShow(session, PreviousPhoto);
      return true;
    case VK_UP:
      AdjustVolume(+1);
      return true;
    case VK_RIGHT:
      ForEachShow(session, NextPhoto);
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
      OnCreate(session);
      PostMessageW(window, kStartShowMessage, link ? link->fullScreen : true, 0);
      break;
    case kStartShowMessage:
      OnStartShow(window, wParam != 0, session);
      return 0;
    case kSessionStartedMessage:
      FinishStart(session, static_cast<HRESULT>(wParam));
      return 0;
    case WM_DESTROY:
      OnDestroy(link, session);
      break;
    case WM_PAINT:
      OnPaint(window, session);
      break;
    case WM_ERASEBKGND:
      // Black from the class brush until the show draws; then never, as the
      // device presents every frame.
      if (!session.sessionInitialised) break;
      return 0;
    case WM_DISPLAYCHANGE:
      DestroyWindow(window);
      break;
    case WM_KEYDOWN:
      if (OnControlKey(wParam, session)) return 0;
      if (session.sessionSettings.exitByEscOnly && wParam != VK_ESCAPE) return 0;
      break;
    case WM_TIMER:
      if (wParam == kFadeTimerId) FadeStep(session.music);
      break;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_MOUSEWHEEL:
      if (session.sessionSettings.exitByEscOnly) return 0;
      break;
    case WM_POWERBROADCAST:
      return OnPowerBroadcast(window, wParam);
    case MM_MCINOTIFY:
      OnMusicNotify(wParam, session);
      break;
    case kListsReadyMessage:
      StartMusic(session);
      return 0;
  }
  return link && link->next ? link->next(window, message, wParam, lParam)
                            : DefWindowProcW(window, message, wParam, lParam);
}
