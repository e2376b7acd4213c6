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
// releases what was made and returns its code. The show itself starts on the
// window's thread (FinishStart, or the loader's notice).
HRESULT StartSession(bool fullScreen, HWND window, SlideshowSession& session);

// Stops the threads and releases the session's resources; without `release`
// only stops the threads, for a process that ends with the window (releasing
// the device and GDI+ takes a second under Wine). Always S_OK.
HRESULT StopSession(SlideshowSession& session, bool release = true);
