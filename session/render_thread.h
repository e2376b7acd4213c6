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
// one frame. E_FAIL when the next photo is not ready (nothing is drawn).
HRESULT RenderFrame(SlideshowSession& session);

// Draws the new slide's motion, easing, fade, transition and colour effect
// from this thread's rand.
void BeginSlideChoices(SlideshowSession& session);

// Signals the stop, waits up to 5000 ms, terminates a thread that does not
// end, and closes its handle.
void StopRenderThread(SlideshowSession& session);
