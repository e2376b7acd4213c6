#pragma once
// Start and stop of the slideshow on the saver window's creation and
// destruction.

#include <windows.h>

#include "session/slideshow_session.h"

// Settings, then the session itself, whose loader expands the lists. Nothing
// here waits on the file system or on a decode.
HRESULT BeginSession(HWND window, bool fullScreen, SlideshowSession& session);

// Fine timers, staging surface, renderer, GDI+, events and both worker
// threads, with the first photo asked for (not waited for). A failure
// releases what was made and returns its code.
HRESULT StartSession(bool fullScreen, HWND window, SlideshowSession& session);

// Stops the threads and releases the session's resources. Always S_OK.
HRESULT StopSession(SlideshowSession& session);
