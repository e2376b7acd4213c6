#pragma once
// The background music of the running show: the tracks of musicFiles, one at
// a time under the alias currentMusic, the first fading in from silence over
// ten seconds, failing files dropped, the list wrapping around (reshuffled
// when musicRandom is set). Everything runs on the saver window's thread: the
// window procedure forwards WM_TIMER kFadeTimerId to FadeStep and
// MM_MCINOTIFY to OnMusicNotify.

#include <windows.h>

#include "session/slideshow_session.h"

// Starts the first playable track and the fade timer; sets showRunning.
// E_INVALIDARG before the session is initialised; S_OK without effect when the
// show already runs; E_FAIL when no entry plays (the show then runs silently).
HRESULT StartMusic(SlideshowSession& session = slideshowSession);
// Closes the track, stops the fade, clears showRunning and paused. Always S_OK.
HRESULT StopMusic(SlideshowSession& session = slideshowSession);
// One tick of the fade-in timer.
void FadeStep(SlideshowSession& session = slideshowSession);
// Opens and plays the entry at musicIndex, dropping entries that fail until
// one plays; E_FAIL once the list is empty.
HRESULT PlayNextTrack(SlideshowSession& session = slideshowSession);
// One attempt at the entry at musicIndex. On failure the alias may be left
// open: the caller closes it.
HRESULT OpenAndPlayTrack(SlideshowSession& session = slideshowSession);
// Stops and closes the open track. Always S_OK.
HRESULT CloseMusic(SlideshowSession& session = slideshowSession);
// MM_MCINOTIFY with its notification code: the end of a track moves on to the
// next one, a device failure too after a pause; aborted and superseded
// notices (from the player's own stop) change nothing.
void OnMusicNotify(WPARAM code, SlideshowSession& session = slideshowSession);

// The music side of pausing and resuming the show; called only while music
// is playing.
void PauseMusic();
void ResumeMusic();
