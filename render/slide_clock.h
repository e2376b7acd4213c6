#pragma once
// The slide clock: milliseconds that wrap after 49.7 days like the tick
// count, but to the millisecond while fine timers are asked for. GetTickCount
// moves in 15.6 ms steps on Windows whatever a process asks, which would move
// the pan and zoom in visible jumps on a fast display. The user links winmm.

#include <windows.h>

#include <mmsystem.h>

#include <cstdint>

inline uint32_t SlideClockNow() { return timeGetTime(); }
