#pragma once
// Start and stop of the slideshow on the saver window's creation and
// destruction.

#include <windows.h>

#include "session/slideshow_session.h"

// A start while a worker of the record's previous session is still running
// (left deep in a decode) changes nothing and returns this.
constexpr HRESULT kWorkerStillRunning = HRESULT_FROM_WIN32(ERROR_BUSY);

// The Direct3D object, the settings checked against it and the lists to
// expand: the slow part of a start that needs no window, so it may run on
// any thread. S_FALSE on a running session; kWorkerStillRunning as below.
HRESULT PrepareSession(SlideshowSession& session);

// PrepareSession, then StartSession: the whole start on this thread. Nothing
// here waits on the file system or on a decode. S_OK without effect on a
// running session.
HRESULT BeginSession(HWND window, bool fullScreen, SlideshowSession& session);

// Fine timers, staging surface, renderer, GDI+, events and both worker
// threads, on the window's own thread (the device is made, reset and released
// on the thread of its focus window's procedure), with the first photo asked for (not waited for). A failure
// releases what was made and returns its code. The show itself starts on the
// window's thread (FinishStart, or the loader's notice).
HRESULT StartSession(bool fullScreen, HWND window, SlideshowSession& session);

// Stops the threads and releases the session's resources; without `release`
// only tells the threads to stop, for a process that ends with the window
// (its end stops them; releasing the device and GDI+ takes a second under
// Wine). Always S_OK.
HRESULT StopSession(SlideshowSession& session, bool release = true);
