#pragma once
// The render thread: one RenderFrame per frame interval until told to stop.

#include <windows.h>

#include "session/slideshow_session.h"

// Thread routine; the parameter is the SlideshowSession. Exit code 0.
DWORD WINAPI RenderThread(void* session);

// The routine's body: E_INVALIDARG without a stop event, else S_OK.
HRESULT RunRenderer(SlideshowSession& session);

// Creates "BrindoraPro_StopThRefresh" and the thread, pinned to the first
// processor at time-critical priority.
HRESULT StartRenderThread(SlideshowSession& session);

// Takes the staged photo over when the slide is due, then draws and presents
// one frame. E_FAIL when the slide is over and the next photo is not ready
// (nothing is drawn). Steps asked for by Left and Right are taken over here,
// when the loader is done; the slide on screen goes on meanwhile.
HRESULT RenderFrame(SlideshowSession& session);

// Draws the new slide's motion, easing, fade, transition and colour effect
// from this thread's rand.
void BeginSlideChoices(SlideshowSession& session);

// Stops the thread as StopWorkerThread does, waiting kRenderStopWaitMs; false
// when it was left running.
bool StopRenderThread(SlideshowSession& session);

// Asks the render thread to show the paused frame again. The window thread
// never presents itself: the device serves one thread only.
void RequestRepaint(SlideshowSession& session);
