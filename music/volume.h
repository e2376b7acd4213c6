#pragma once
// Up, Down and Enter on the saver window: the master volume and mute of the
// speakers line of mixer device 0. Nothing is remembered between calls and
// nothing is restored when the saver ends.

#include <windows.h>

// step +1 raises the volume by a sixteenth of the scale, -1 lowers it, 0 turns
// muting on or off. E_FAIL, with the setting unchanged, when the mixer, the
// speakers line or its control is missing or a mixer call fails.
HRESULT AdjustVolume(int step);
