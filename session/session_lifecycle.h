#pragma once
// Start and stop of the slideshow on the saver window's creation and
// destruction.

#include <windows.h>

#include "session/slideshow_session.h"

// Settings, playlists, the session itself, then the music.
HRESULT BeginSession(HWND window, bool fullScreen, SlideshowSession& session);

// Staging surface, renderer, GDI+, events and both worker threads, with the
// first photo staged. A failure releases what was made and returns its code.
HRESULT StartSession(bool fullScreen, HWND window, SlideshowSession& session);

// Stops the threads and releases the session's resources. Always S_OK.
HRESULT StopSession(SlideshowSession& session);

// How long the start waits for the first photo.
constexpr DWORD kFirstPhotoWaitMs = 5000;
