#pragma once
// The photo-loader thread: one LoadStep per request, until told to stop.

#include <windows.h>

#include "session/slideshow_session.h"

// Thread routine; the parameter is the SlideshowSession. Exit code 0.
DWORD WINAPI LoaderThread(void* session);

// The routine's body: E_INVALIDARG when an event is missing, else the last
// LoadStep result (S_OK when there was none).
HRESULT RunLoader(SlideshowSession& session);

// "BrindoraPro_LoadPhoto", "BrindoraPro_LoadPhotoComplete" and
// "BrindoraPro_StopThLoadPhoto": named, auto-reset, not signalled.
HRESULT CreateLoaderEvents(SlideshowSession& session);

// Starts LoaderThread at the lowest priority.
HRESULT StartLoaderThread(SlideshowSession& session);

// Signals the stop, waits up to 5000 ms, terminates a thread that does not
// end, and closes its handle.
void StopLoaderThread(SlideshowSession& session);

constexpr DWORD kWorkerStopTimeoutMs = 5000;

// Both workers stop this way: signal the stop event, wait up to 5000 ms,
// terminate a thread that does not end, and close its handle. Nothing
// happens without a thread.
void StopWorkerThread(AutoHandle& thread, const AutoHandle& stopEvent);
