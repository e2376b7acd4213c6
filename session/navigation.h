#pragma once
// Space, Right and Left on the running show: pause and resume, next and
// previous photo, keeping the slide clock right across both.

#include <windows.h>

#include "session/slideshow_session.h"

HRESULT PauseShow(SlideshowSession& session);
HRESULT ResumeShow(SlideshowSession& session);

// Ask the loader for the photo after (before) the one on screen and end the
// current slide at once. E_FAIL when the loader does not finish its current
// request within 5000 ms or there are no photos; the show then goes on as it was.
HRESULT NextPhoto(SlideshowSession& session);
HRESULT PreviousPhoto(SlideshowSession& session);

constexpr DWORD kNavigationWaitMs = 5000;
