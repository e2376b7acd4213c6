#include "session/render_thread.h"

#include <cstdlib>
#include <exception>

#include "render/render_frame.h"
#include "render/slide_clock.h"
#include "render/slide_motion.h"
#include "session/frame_pacing.h"
#include "session/monitor_shows.h"
#include "session/playlist_rules.h"
#include "session/playlists.h"
#include "session/staging_surface.h"
#include "session/worker_thread.h"

void BeginSlideChoices(SlideshowSession& session) {
  const SlidePhoto photo{session.staged.orientation, session.staged.fitMode, session.staged.landscape};
  session.slide = ChooseSlide(photo, session.sessionSettings, [] { return std::rand(); });
}

namespace {

// The photo the loader staged last: the one before photoIndex.
uint32_t StagedIndex(const SlideshowSession& session) {
  return session.photoIndex == 0 ? static_cast<uint32_t>(session.photoFiles.Count() - 1) : session.photoIndex - 1;
}

// The slide change: the loader's completion has been consumed, and until the
// next request is signalled (after this frame) this thread owns the staging
// surface.
void BeginSlide(SlideshowSession& session, uint32_t now) {
  session.navigating = false;
  session.shownIndex = StagedIndex(session);
  ClaimShown(session);
  session.slideAdjustMs = SlideAdjustOnThisMonitor(session, now);
  BeginSlideChoices(session);
  TakeStagingFromLoader(session);
  BeginSlideOnDevice(session.renderer, session.slide.effectCode, session.frame);
  session.slideStart = now;
  session.nextPhotoDue = true;
}

// Once the card has taken the slide's photo over (a frame after the change at
// the earliest, however short the slide), the request for the photo after
// it. Asked earlier, the loader's hold on the staging texture would make the
// frames wait for the copy.
void AskForNextPhoto(SlideshowSession& session) {
  if (!session.nextPhotoDue || session.renderer.StagingInUse()) return;
  session.nextPhotoDue = false;
  // Without the lock the loader fails the step, and the slide after this one
  // shows this photo again rather than nothing.
  HandStagingToLoader(session);
  SetEvent(session.loadPhotoEvent.get());
}

// Left or Right pressed since the last look. The photo asked for is shown at
// once when it is the one staged (Right, mostly); otherwise the loader is
// sent to it. Holding the completion, this thread owns the list and the
// index. True when the staged photo is the one.
bool Retarget(SlideshowSession& session, int steps) {
  const uint32_t from = session.navigating ? session.navigationTarget : session.shownIndex.load();
  session.navigationTarget = SteppedPhotoIndex(from, steps, session.photoFiles.Count());
  if (session.navigationTarget == StagedIndex(session)) return true;
  session.navigating = true;
  session.photoIndex = session.navigationTarget;
  SetEvent(session.loadPhotoEvent.get());
  return false;
}

// True when a new slide began. The loader's completion is taken only when the
// slide is over or a step was asked for; without one the slide goes on.
bool TakeStagedPhoto(SlideshowSession& session, uint32_t now) {
  if (WaitForSingleObject(session.loadCompleteEvent.get(), 0) != WAIT_OBJECT_0) return false;
  if (session.photoFiles.Empty()) return false;
  if (const int steps = session.pendingSteps.exchange(0); steps != 0 && !Retarget(session, steps)) return false;
  BeginSlide(session, now);
  return true;
}

}  // namespace

HRESULT RenderFrame(SlideshowSession& session) {
  if (!session.showRunning || session.paused || session.renderer.FramesQueued()) return S_OK;
  const bool firstFrame = session.firstFrame;
  const int32_t slideTime = session.sessionSettings.slideTime + session.slideAdjustMs;
  const uint32_t now = SlideClockNow();
  const bool over = SlideIsOver(now, session.slideStart, slideTime, firstFrame);
  const bool stepAsked = session.pendingSteps.load() != 0 || session.navigating;
  bool began = false;
  if (over || stepAsked) {
    began = TakeStagedPhoto(session, now);
    // Nothing new to show yet: the last frame stays on the screen.
    if (!began && over) {
      AskForNextPhoto(session);
      return E_FAIL;
    }
  }
  if (!began) session.frame.slideProgress = SlideProgressAt(now, session.slideStart, slideTime);
  // A frame the device refuses is simply not seen; the next one tries again.
  DrawSlideFrame(session.renderer, session.slide, session.frame, firstFrame);
  session.firstFrame = false;
  if (!began) AskForNextPhoto(session);
  return S_OK;
}

HRESULT RunRenderer(SlideshowSession& session) {
  if (!session.stopRenderEvent) return E_INVALIDARG;
  // RenderFrame draws each slide's random choices on this thread.
  SeedThreadRand();
  const HANDLE waitOn[2] = {session.stopRenderEvent.get(), session.repaintEvent.get()};
  const DWORD events = session.repaintEvent ? 2 : 1;
  DWORD timeout = session.frameInterval;
  for (;;) {
    const DWORD woke = WaitForMultipleObjects(events, waitOn, FALSE, timeout);
    if (woke == WAIT_OBJECT_0 || woke == WAIT_FAILED) break;
    if (woke == WAIT_OBJECT_0 + 1) {
      // The window was uncovered while paused: the frame on hold, again.
      if (session.paused && !session.firstFrame) session.renderer.DrawFrame();
      continue;
    }
    if (woke != WAIT_TIMEOUT) continue;
    // A frame that throws (memory refused) is a frame skipped, not the end.
    try {
      RenderFrame(session);
    } catch (const std::exception&) {
    }
    // Until the first photo is on screen every frame counts: the black
    // screen waits for it, so the thread looks at each frame's time.
    timeout = RenderWaitMs(session.frameInterval, session.showRunning || session.firstFrame, session.paused);
  }
  return S_OK;
}

DWORD WINAPI RenderThread(void* session) {
  RunRenderer(*static_cast<SlideshowSession*>(session));
  return 0;
}

HRESULT StartRenderThread(SlideshowSession& session) {
  session.stopRenderEvent.reset(
      CreateEventW(nullptr, FALSE, FALSE, SessionEventName(session, L"BrindoraPro_StopThRefresh")));
  if (!session.stopRenderEvent) return E_FAIL;
  session.repaintEvent.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  if (!session.repaintEvent) return E_FAIL;
  session.renderThread.reset(CreateThread(nullptr, 0, RenderThread, &session, 0, nullptr));
  if (!session.renderThread) return E_FAIL;
  // The primary monitor's frames keep to one core; another monitor's
  // thread is free to run beside it.
  if (session.monitorNumber == 0) SetThreadAffinityMask(session.renderThread.get(), 1);
  SetThreadPriority(session.renderThread.get(), THREAD_PRIORITY_TIME_CRITICAL);
  return S_OK;
}

bool StopRenderThread(SlideshowSession& session) {
  return StopWorkerThread(session.renderThread, session.stopRenderEvent, kRenderStopWaitMs);
}

void RequestRepaint(SlideshowSession& session) {
  if (session.repaintEvent) SetEvent(session.repaintEvent.get());
}
