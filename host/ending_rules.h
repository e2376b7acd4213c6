#pragma once
// The arithmetic of the ending rules, kept apart from the window procedure.

#include <cstdint>
#include <cstdlib>

// Movement counts as the horizontal plus the vertical distance from where the
// cursor was when the saver started; more than this ends the saver.
constexpr int kMouseMoveThreshold = 4;

constexpr bool MovedBeyondThreshold(int originX, int originY, int x, int y) {
  const int64_t dx = static_cast<int64_t>(x) - originX;
  const int64_t dy = static_cast<int64_t>(y) - originY;
  return (dx < 0 ? -dx : dx) + (dy < 0 ? -dy : dy) > kMouseMoveThreshold;
}

// A refused password is not asked for again within this many milliseconds.
constexpr uint32_t kPasswordRecheckGap = 200;
constexpr uint32_t kNeverChecked = 0xFFFFFFFFu;

// Unsigned tick arithmetic, so a wrap of the tick counter is harmless.
constexpr bool PasswordCheckTooSoon(uint32_t lastCheck, uint32_t now) {
  return lastCheck != kNeverChecked && now - lastCheck < kPasswordRecheckGap;
}
