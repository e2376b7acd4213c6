#pragma once
// The start of a show off the window's thread: the Direct3D object and device
// take a second or more (a cold graphics driver, a busy machine), and the
// window must answer input all the while.

#include <windows.h>

#include "session/slideshow_session.h"

// Posted to the window by the starting thread once BeginSession has returned.
constexpr UINT kSessionStartedMessage = WM_APP + 3;

// Runs BeginSession on a thread of its own, which posts
// kSessionStartedMessage when done; runs it here, and posts the same, when no
// thread can be made. kWorkerStillRunning while a start or a worker of an
// earlier session still runs.
HRESULT BeginSessionInBackground(HWND window, bool fullScreen, SlideshowSession& session);

// On kSessionStartedMessage: closes the starting thread and, when the loader
// has the lists ready by now, starts the show and its music.
void FinishStart(SlideshowSession& session);

// True while the starting thread runs.
bool StartInProgress(const SlideshowSession& session);
