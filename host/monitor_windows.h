#pragma once
// A window on each monitor beside the primary, running that monitor's show.
// The full-screen Direct3D device takes the primary monitor only (it shrinks
// the saver window to that monitor, on Windows and under Wine alike); each
// other monitor gets a topmost window of its own, black until its show
// starts and for good when its device cannot be made, so that the desktop
// never shows through.

#include <windows.h>

#include <memory>
#include <vector>

#include "session/monitor_shows.h"
#include "session/screen_saver_proc.h"

// The other monitors' shows and windows' links; they live as long as the
// saver window.
struct MonitorWindows {
  MonitorShows shared;
  std::vector<std::unique_ptr<SlideshowSession>> sessions;
  std::vector<std::unique_ptr<SessionWindowLink>> links;
};

// Makes a window owned by `saver` on every monitor but the primary, so the
// windows go when the saver window goes, and joins their shows to
// `primary`'s, which starts them with its own. Input on these windows is
// handed to the saver window, whose ending rules and keys decide. Returns
// how many monitors got a window (0 on a single-monitor machine, where
// `primary` runs alone).
int ShowOnOtherMonitors(HWND saver, HINSTANCE instance, SlideshowSession& primary, MonitorWindows& windows);
