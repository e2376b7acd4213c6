#include "session/render_thread.h"

#include <cstdlib>

#include "render/render_frame.h"
#include "render/slide_clock.h"
#include "render/slide_motion.h"
#include "session/frame_pacing.h"
#include "session/loader_thread.h"
#include "session/playlists.h"

void BeginSlideChoices(SlideshowSession& session) {
  const SlidePhoto photo{session.staged.orientation, session.staged.fitMode, session.staged.landscape};
  session.slide = ChooseSlide(photo, session.sessionSettings, [] { return std::rand(); });
}

namespace {

// The slide change: the loader's completion is consumed here, and until the
// next request is signalled this thread owns the staging surface.
HRESULT BeginSlide(SlideshowSession& session) {
  if (WaitForSingleObject(session.loadCompleteEvent.get(), 0) != WAIT_OBJECT_0) return E_FAIL;
  if (session.photoFiles.Empty()) return E_FAIL;
  session.shownIndex =
      session.photoIndex == 0 ? static_cast<uint32_t>(session.photoFiles.Count() - 1) : session.photoIndex - 1;
  BeginSlideChoices(session);
  BeginSlideOnDevice(session.renderer, session.stagingDC.get(), session.slide.effectCode, session.frame);
  session.slideStart = SlideClockNow();
  SetEvent(session.loadPhotoEvent.get());
  return S_OK;
}

}  // namespace

HRESULT RenderFrame(SlideshowSession& session) {
  if (!session.showRunning || session.paused) return S_OK;
  const bool firstFrame = session.firstFrame;
  const int32_t slideTime = session.sessionSettings.slideTime;
  const uint32_t now = SlideClockNow();
  if (SlideIsOver(now, session.slideStart, slideTime, firstFrame)) {
    if (HRESULT hr = BeginSlide(session); FAILED(hr)) return hr;
  } else {
    session.frame.slideProgress = SlideProgressAt(now, session.slideStart, slideTime);
  }
  // A frame the device refuses is simply not seen; the next one tries again.
  DrawSlideFrame(session.renderer, session.slide, session.frame, firstFrame);
  session.firstFrame = false;
  return S_OK;
}

HRESULT RunRenderer(SlideshowSession& session) {
  if (!session.stopRenderEvent) return E_INVALIDARG;
  // RenderFrame draws each slide's random choices on this thread.
  SeedThreadRand();
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

void StopRenderThread(SlideshowSession& session) { StopWorkerThread(session.renderThread, session.stopRenderEvent); }
