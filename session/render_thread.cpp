#include "session/render_thread.h"

#include <cstdlib>

#include "render/render_frame.h"
#include "session/frame_pacing.h"
#include "session/loader_thread.h"

HRESULT RunRenderer(SlideshowSession& session) {
  if (!session.stopRenderEvent) return E_INVALIDARG;
  // RenderFrame draws each slide's random choices on this thread.
  srand(GetTickCount());
  DWORD timeout = session.frameInterval;
  for (;;) {
    const DWORD woke = WaitForSingleObject(session.stopRenderEvent.get(), timeout);
    if (woke == WAIT_OBJECT_0 || woke == WAIT_FAILED) break;
    if (woke != WAIT_TIMEOUT) continue;
    RenderFrame(session);
    timeout = RenderWaitMs(session.frameInterval, session.showRunning, session.paused);
  }
  return S_OK;
}

DWORD WINAPI RenderThread(void* session) {
  RunRenderer(*static_cast<SlideshowSession*>(session));
  return 0;
}

HRESULT StartRenderThread(SlideshowSession& session) {
  session.stopRenderEvent.reset(CreateEventW(nullptr, FALSE, FALSE, L"BrindoraPro_StopThRefresh"));
  if (!session.stopRenderEvent) return E_FAIL;
  session.renderThread.reset(CreateThread(nullptr, 0, RenderThread, &session, 0, nullptr));
  if (!session.renderThread) return E_FAIL;
  SetThreadAffinityMask(session.renderThread.get(), 1);
  SetThreadPriority(session.renderThread.get(), THREAD_PRIORITY_TIME_CRITICAL);
  return S_OK;
}

void StopRenderThread(SlideshowSession& session) {
  if (!session.renderThread) return;
  if (session.stopRenderEvent) SetEvent(session.stopRenderEvent.get());
  if (WaitForSingleObject(session.renderThread.get(), kWorkerStopTimeoutMs) != WAIT_OBJECT_0) {
    TerminateThread(session.renderThread.get(), 0);
  }
  session.renderThread.reset();
}
