// The show's pacing on machines unlike ours: displays of 30 to 240 Hz and
// Windows timers that end every wait on a 15.6 ms tick. A simulated render
// thread waits RenderWaitMs, wakes on the timer's next tick after that,
// presents on the next vertical blank and reads a millisecond slide clock.
// Whatever the rate, each slide must reach the end of its motion, fade fully
// out and finish its colour cross-fade before the next photo comes.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "render/render_maths.h"
#include "render/slide_motion.h"
#include "session/frame_pacing.h"

namespace {

struct Machine {
  double refreshHz;
  double timerStepMs;  // 1 with fine timers, 15.625 by default on Windows 10 2004 and later
};

struct SlideSeen {
  float lastProgress = 0.0f;
  float firstProgress = 1.0f;
  bool monotonic = true;
};

constexpr int32_t kSlideTime = 5000;

std::vector<SlideSeen> RunShow(const Machine& machine, int slides) {
  const double vsync = 1000.0 / machine.refreshHz;
  const uint32_t frameInterval = FrameIntervalFor(static_cast<uint32_t>(std::lround(machine.refreshHz)));
  const uint32_t base = 123456;
  std::vector<SlideSeen> seen;
  double t = 0.0;
  uint32_t slideStart = 0;
  bool firstFrame = true;
  while (seen.size() <= static_cast<size_t>(slides)) {
    const uint32_t now = base + static_cast<uint32_t>(t);
    if (SlideIsOver(now, slideStart, kSlideTime, firstFrame)) {
      seen.push_back({});
      slideStart = now;
      firstFrame = false;
      seen.back().firstProgress = 0.0f;
    } else {
      const float p = SlideProgressAt(now, slideStart, kSlideTime);
      SlideSeen& slide = seen.back();
      if (p < slide.lastProgress) slide.monotonic = false;
      slide.lastProgress = p;
    }
    t = std::ceil(t / vsync + 1e-9) * vsync;  // Present waits for the next blank
    // A wait ends on the first timer tick at or after its time is up.
    const double wait = RenderWaitMs(frameInterval, true, false);
    t = std::ceil((t + wait) / machine.timerStepMs - 1e-9) * machine.timerStepMs;
  }
  seen.pop_back();  // the slide still running
  return seen;
}

TEST(FramePacing, EverySlideCompletesItsMotionFadeAndCrossFadeAtAnyRate) {
  const Machine machines[] = {{30, 1}, {60, 1}, {144, 1}, {240, 1}, {60, 15.625}, {144, 15.625}, {360, 15.625}};
  for (const Machine& machine : machines) {
    SCOPED_TRACE(testing::Message() << machine.refreshHz << " Hz, timer step " << machine.timerStepMs << " ms");
    const std::vector<SlideSeen> slides = RunShow(machine, 4);
    ASSERT_EQ(slides.size(), 4u);
    for (const SlideSeen& slide : slides) {
      EXPECT_TRUE(slide.monotonic);
      EXPECT_LE(slide.lastProgress, 1.0f);
      // The last frame of a slide: the pan at its end point, a fade through
      // black at least 90 % dark, the cross-fade to the effect image complete.
      EXPECT_GE(EaseMotion(0, slide.lastProgress), 0.98f);
      EXPECT_LE(FadeFactor(1, slide.lastProgress), 0.1f);
      EXPECT_GE(FadeFactor(2, slide.lastProgress), 1.9f);
      EXPECT_EQ(BlendFactor(2, slide.lastProgress), 1.0f);
      EXPECT_EQ(BlendFactor(3, slide.lastProgress), 0.0f);
    }
  }
}

TEST(FramePacing, RenderThreadNeverWaitsZeroMilliseconds) {
  // A time-critical thread pinned to one core must not spin, whatever the display reports.
  for (uint32_t interval = 0; interval <= 1000; ++interval) {
    EXPECT_GE(RenderWaitMs(interval, true, false), 1u) << interval;
    EXPECT_GE(RenderWaitMs(interval, false, false), 1u) << interval;
    EXPECT_GE(RenderWaitMs(interval, true, true), 1u) << interval;
  }
}

}  // namespace
