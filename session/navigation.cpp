#include "session/navigation.h"

#include "music/music_player.h"
#include "render/slide_clock.h"
#include "session/playlist_rules.h"

namespace {

// The render thread leaves slideStart alone while paused is set, so the
// UI thread may read, change and write it back then.
void EndPause(SlideshowSession& session) {
  session.slideStart = SlideStartAfterPause(session.slideStart, session.pauseStart, SlideClockNow());
  session.paused = false;
}

enum class Step { kNext, kPrevious };

HRESULT StepPhoto(SlideshowSession& session, Step step) {
  if (!session.showRunning || session.paused) return S_OK;
  session.pauseStart = SlideClockNow();
  session.paused = true;

  // Consuming the completion here makes the UI thread the owner of the list
  // and the index until it requests again.
  if (!session.loadCompleteEvent ||
      WaitForSingleObject(session.loadCompleteEvent.get(), kNavigationWaitMs) != WAIT_OBJECT_0 ||
      session.photoFiles.Empty()) {
    EndPause(session);
    return E_FAIL;
  }
  const size_t count = session.photoFiles.Count();
  session.photoIndex =
      step == Step::kNext ? NextPhotoIndex(session.shownIndex, count) : PreviousPhotoIndex(session.shownIndex, count);
  ResetEvent(session.loadCompleteEvent.get());
  SetEvent(session.loadPhotoEvent.get());

  session.slideStart = SlideStartExpired(session.slideStart, session.sessionSettings.slideTime);
  EndPause(session);
  return S_OK;
}

}  // namespace

HRESULT PauseShow(SlideshowSession& session) {
  if (session.paused || !session.showRunning) return S_OK;
  session.pauseStart = SlideClockNow();
  if (session.music.musicActive) PauseMusic();
  session.paused = true;
  return S_OK;
}

HRESULT ResumeShow(SlideshowSession& session) {
  if (!session.paused || !session.showRunning) return S_OK;
  session.slideStart = SlideStartAfterPause(session.slideStart, session.pauseStart, SlideClockNow());
  if (session.music.musicActive) ResumeMusic();
  session.paused = false;
  return S_OK;
}

HRESULT NextPhoto(SlideshowSession& session) { return StepPhoto(session, Step::kNext); }
HRESULT PreviousPhoto(SlideshowSession& session) { return StepPhoto(session, Step::kPrevious); }
