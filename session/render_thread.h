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

// Signals the stop, waits up to 5000 ms, terminates a thread that does not
// end, and closes its handle.
void StopRenderThread(SlideshowSession& session);
