#pragma once
// The music of the show: started as the last step of the start, which also
// sets the show running, and stopped with it. Notices reach the player only
// while the show runs.

#include <windows.h>

#include "session/slideshow_session.h"

// Starts the music and sets showRunning. E_INVALIDARG before the session is
// initialised; S_OK without effect when the show already runs; E_FAIL when
// no entry plays (the show then runs silently).
HRESULT StartMusic(SlideshowSession& session);
// Closes the track, stops the fade, clears showRunning and paused. Always S_OK.
HRESULT StopMusic(SlideshowSession& session);
// MM_MCINOTIFY for the show's player.
void OnMusicNotify(WPARAM code, SlideshowSession& session);
