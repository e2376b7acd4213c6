#pragma once
// Start and stop of the slideshow on the saver window's creation and
// destruction.

#include <windows.h>

#include "session/slideshow_session.h"

// A start while a worker of the record's previous session is still running
// (left deep in a decode) changes nothing and returns this.
constexpr HRESULT kWorkerStillRunning = HRESULT_FROM_WIN32(ERROR_BUSY);

// Settings, then the session itself, whose loader expands the lists. Nothing
// here waits on the file system or on a decode. S_OK without effect on a
// running session.
HRESULT BeginSession(HWND window, bool fullScreen, SlideshowSession& session);

// Fine timers, staging surface, renderer, GDI+, events and both worker
// threads, with the first photo asked for (not waited for). A failure
// releases what was made and returns its code. When the loader has already
// expanded the lists (listsReady), the show and its music start here.
HRESULT StartSession(bool fullScreen, HWND window, SlideshowSession& session);

// Stops the threads and releases the session's resources. Always S_OK.
HRESULT StopSession(SlideshowSession& session);
