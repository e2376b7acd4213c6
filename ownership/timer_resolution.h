#pragma once
// Fine timer resolution for as long as its holder asks for it. Since Windows
// 10 2004 a process that does not ask waits in 15.6 ms steps, which turns a
// 16 ms frame wait into up to 31 ms. The user links winmm.

#include <windows.h>

#include <mmsystem.h>

class FineTimerResolution {
 public:
  FineTimerResolution() = default;
  FineTimerResolution(const FineTimerResolution&) = delete;
  FineTimerResolution& operator=(const FineTimerResolution&) = delete;
  ~FineTimerResolution() { End(); }

  // timeBeginPeriod(ms); true when granted. Asking again first gives the old period back.
  bool Begin(UINT ms) {
    End();
    if (timeBeginPeriod(ms) == TIMERR_NOERROR) period_ = ms;
    return active();
  }
  void End() {
    if (period_ != 0) timeEndPeriod(period_);
    period_ = 0;
  }
  bool active() const { return period_ != 0; }

 private:
  UINT period_ = 0;
};
