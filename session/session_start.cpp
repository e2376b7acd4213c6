#include "session/session_start.h"

#include "session/monitor_shows.h"
#include "session/session_lifecycle.h"
#include "session/show_music.h"
#include "session/worker_thread.h"

namespace {

DWORD WINAPI Direct3DThread(void* parameter) {
  static_cast<SlideshowSession*>(parameter)->renderer.CreateDirect3D();
  return 0;
}

bool Running(const AutoHandle& thread) { return thread && WaitForSingleObject(thread.get(), 0) == WAIT_TIMEOUT; }

DWORD WINAPI StarterThread(void* parameter) {
  auto& session = *static_cast<SlideshowSession*>(parameter);
  // One Direct3D object: the early one, once it is made.
  if (session.direct3DThread) WaitForSingleObject(session.direct3DThread.get(), INFINITE);
  const HRESULT result = PrepareSession(session);
  PostMessageW(session.window, kSessionStartedMessage, static_cast<WPARAM>(result), 0);
  return 0;
}

}  // namespace

void BeginDirect3DEarly(SlideshowSession& session) {
  if (session.direct3DThread || session.renderer.d3d) return;
  session.direct3DThread.reset(CreateThread(nullptr, 0, Direct3DThread, &session, 0, nullptr));
  // The screen stays black until it is made, as for the start below.
  if (session.direct3DThread) SetThreadPriority(session.direct3DThread.get(), THREAD_PRIORITY_ABOVE_NORMAL);
}

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
  return Running(session.starterThread) || Running(session.direct3DThread);
}

void LetStartFinish(const SlideshowSession& session, DWORD waitMs) {
  // The starter waits for the early thread, so the later of the two to
  // finish is the one that matters.
  const AutoHandle& last = Running(session.starterThread) ? session.starterThread : session.direct3DThread;
  if (Running(last)) WaitForSingleObject(last.get(), waitMs);
}
