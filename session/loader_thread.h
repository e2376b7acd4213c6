#pragma once
// The photo-loader thread: one LoadStep per request, until told to stop.

#include <windows.h>

#include "session/slideshow_session.h"
#include "session/worker_thread.h"

// Thread routine; the parameter is the SlideshowSession. Exit code 0.
DWORD WINAPI LoaderThread(void* session);

// The routine's body: E_INVALIDARG when an event is missing, else the last
// LoadStep result (S_OK when there was none).
HRESULT RunLoader(SlideshowSession& session);

// "BrindoraPro_LoadPhoto", "BrindoraPro_LoadPhotoComplete" and
// "BrindoraPro_StopThLoadPhoto": named, auto-reset, not signalled.
HRESULT CreateLoaderEvents(SlideshowSession& session);

// Starts LoaderThread: at normal priority until the first photo is staged,
// at the lowest after it.
HRESULT StartLoaderThread(SlideshowSession& session);

// Posted to the session's window once the loader has expanded the lists:
// the music can start.
constexpr UINT kListsReadyMessage = WM_APP + 1;

// Stops the loader as StopWorkerThread does. A loader still inside a decode
// after kLoaderStopWaitMs is left running: the decode of a huge photo cannot
// be cut short, and the process must not wait on one it no longer needs.
// False when the loader was left running.
bool StopLoaderThread(SlideshowSession& session);

constexpr DWORD kLoaderStopWaitMs = 250;
