#include "session/session_start.h"

#include "session/monitor_shows.h"
#include "session/session_lifecycle.h"
#include "session/show_music.h"
#include "session/worker_thread.h"

namespace {

DWORD WINAPI StarterThread(void* parameter) {
  auto& session = *static_cast<SlideshowSession*>(parameter);
  const HRESULT result = PrepareSession(session);
  PostMessageW(session.window, kSessionStartedMessage, static_cast<WPARAM>(result), 0);
  return 0;
}

}  // namespace

HRESULT BeginSessionInBackground(HWND window, bool fullScreen, SlideshowSession& session) {
  if (session.workersLeftRunning || session.starterThread) return kWorkerStillRunning;
  if (session.sessionInitialised) return S_OK;
  session.window = window;
  session.startFullScreen = fullScreen;
  session.starterThread.reset(CreateThread(nullptr, 0, StarterThread, &session, 0, nullptr));
  if (!session.starterThread) {
    StarterThread(&session);
  } else if (fullScreen) {
    // The screen stays black until it is done: the window thread's equal.
    SetThreadPriority(session.starterThread.get(), THREAD_PRIORITY_ABOVE_NORMAL);
  }
  return S_OK;
}

void FinishStart(SlideshowSession& session, HRESULT prepared) {
  // The thread posted its notice as its last step.
  if (session.starterThread) WaitForSingleObject(session.starterThread.get(), kRenderStopWaitMs);
  session.starterThread.reset();
  if (prepared == S_OK) StartSession(session.startFullScreen, session.window, session);
  StartOtherMonitorShows(session);
  if (session.sessionInitialised && session.listsReady) StartMusic(session);
}

bool StartInProgress(const SlideshowSession& session) {
  return session.starterThread && WaitForSingleObject(session.starterThread.get(), 0) == WAIT_TIMEOUT;
}

void LetStartFinish(const SlideshowSession& session, DWORD waitMs) {
  if (StartInProgress(session)) WaitForSingleObject(session.starterThread.get(), waitMs);
}
