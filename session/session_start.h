#pragma once
// The start of a show with the window answering all the while: the Direct3D
// object and the settings check take a second or more (a cold graphics
// driver, a busy machine) and are made on a thread of their own; the device,
// which belongs to the window's thread, is made there afterwards.

#include <windows.h>

#include "session/slideshow_session.h"

// Posted to the window by the starting thread once BeginSession has returned.
constexpr UINT kSessionStartedMessage = WM_APP + 3;

// Makes the Direct3D object on a thread of its own, before the window exists:
// it needs no window, and the start then finds it made or under way.
void BeginDirect3DEarly(SlideshowSession& session);

// Runs PrepareSession on a thread of its own, which posts
// kSessionStartedMessage when done; runs it here, and posts the same, when no
// thread can be made. kWorkerStillRunning while a start or a worker of an
// earlier session still runs.
HRESULT BeginSessionInBackground(HWND window, bool fullScreen, SlideshowSession& session);

// On kSessionStartedMessage (wParam: what PrepareSession returned): closes the
// starting thread, starts the session on this, the window's thread, and, when
// the loader has the lists ready by now, the show and its music.
void FinishStart(SlideshowSession& session, HRESULT prepared);

// True while the starting thread, or the early Direct3D one, runs.
bool StartInProgress(const SlideshowSession& session);

// Before the process ends: gives a start still making the Direct3D object up
// to `waitMs` to finish, the early thread included. A process ended while a thread is inside the
// graphics driver's set-up can die of a signal on its way out (seen under
// Wine: the exit ends that thread in the middle of a system call); every
// other moment ends cleanly.
void LetStartFinish(const SlideshowSession& session, DWORD waitMs);
