#pragma once
// Black windows over the monitors the show does not use. The full-screen
// Direct3D device takes the primary monitor only (it shrinks the saver window
// to that monitor, on Windows and under Wine alike); without these, every other
// monitor would show the desktop, and whatever is open there, for the whole show.

#include <windows.h>

// Covers every monitor but the primary one with a black window owned by
// `saver`, so the covers go when the saver window goes. Input on a cover is
// handed to the saver window, whose ending rules decide. Returns how many
// monitors were covered (0 on a single-monitor machine).
int CoverOtherMonitors(HWND saver, HINSTANCE instance);
