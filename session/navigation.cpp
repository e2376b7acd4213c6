#include "session/navigation.h"

#include "music/music_player.h"
#include "render/slide_clock.h"
#include "session/playlist_rules.h"

namespace {

// Never waits: the render thread takes the step over once the loader is free
// and shows the photo asked for when it is ready; meanwhile the window keeps
// answering and every key keeps working.
HRESULT StepPhoto(SlideshowSession& session, int step) {
  if (!session.showRunning || session.paused) return S_OK;
  session.pendingSteps += step;
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

HRESULT NextPhoto(SlideshowSession& session) { return StepPhoto(session, +1); }
HRESULT PreviousPhoto(SlideshowSession& session) { return StepPhoto(session, -1); }
