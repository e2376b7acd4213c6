#pragma once
// How long the render thread sleeps between frames.

#include <cstdint>

// Just under one frame while the show moves; eight frames while nothing does
// (before the show starts and while it is paused). Never 0: the render thread
// is time-critical and pinned to one core, so a 0 ms wait would spin it
// whenever a frame has nothing to draw (a 1 ms interval above 500 Hz).
constexpr uint32_t RenderWaitMs(uint32_t frameInterval, bool showRunning, bool paused) {
  const uint32_t interval = frameInterval == 0 ? 1 : frameInterval;
  if (!showRunning || paused) return interval * 8;
  return interval > 1 ? interval - 1 : 1;
}
