#pragma once
// How long the render thread sleeps between frames.

#include <cstdint>

// Just under one frame while the show moves; eight frames while nothing does
// (before the show starts and while it is paused). A zero interval counts as
// one millisecond, so the thread never spins.
constexpr uint32_t RenderWaitMs(uint32_t frameInterval, bool showRunning, bool paused) {
  const uint32_t interval = frameInterval == 0 ? 1 : frameInterval;
  return showRunning && !paused ? interval - 1 : interval * 8;
}
