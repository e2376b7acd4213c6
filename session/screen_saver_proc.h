#pragma once
// The session's window procedure, exported as ScreenSaverProcW, and what a
// saver window carries for it.

#include <windows.h>

#include "session/slideshow_session.h"

// What the saver window carries for the procedures behind the host's own:
// the show it runs, whether full screen, and the handler after the session's
// (the host's ending rules). The host attaches it at WM_NCCREATE, before any
// other message, and it must outlive the window. A host may extend it with
// state of its own.
struct SessionWindowLink {
  SlideshowSession* session = nullptr;
  bool fullScreen = true;
  WNDPROC next = nullptr;  // DefWindowProcW when null
  // The process ends with the window: its stop leaves the show's resources
  // to the process's end.
  bool processEndsWithWindow = false;
};

void AttachSessionLink(HWND window, SessionWindowLink* link);
// Null when nothing was attached.
SessionWindowLink* SessionLinkOf(HWND window);

extern "C" {
// A window without a link (another program's host calling the export) runs
// the process's own session full screen and ends in DefWindowProcW.
__declspec(dllexport) LRESULT WINAPI ScreenSaverProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
}
