#pragma once
// Space, Right and Left on the running show: pause and resume, next and
// previous photo, keeping the slide clock right across both.

#include <windows.h>

#include "session/slideshow_session.h"

HRESULT PauseShow(SlideshowSession& session);
HRESULT ResumeShow(SlideshowSession& session);

// Asks for the photo after (before) the one on screen, which ends the current
// slide as soon as it is ready; presses while the loader is busy add up.
// Returns at once; S_OK. Ignored while paused or before the show runs.
HRESULT NextPhoto(SlideshowSession& session);
HRESULT PreviousPhoto(SlideshowSession& session);
