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
#include "session/monitor_rules.h"

namespace {

struct Machine {
  double refreshHz;
  double timerStepMs;  // 1 with fine timers, 15.625 by default on Windows 10 2004 and later
};

struct SlideSeen {
  float lastProgress = 0.0f;
  float firstProgress = 1.0f;
  bool monotonic = true;
  double beganMs = 0.0;
  int frames = 0;
};

constexpr int32_t kSlideTime = 5000;

constexpr uint32_t kClockBase = 123456;

// One monitor's render thread, a frame at a time.
struct SimulatedShow {
  explicit SimulatedShow(const Machine& machine)
      : machine(machine),
        vsync(1000.0 / machine.refreshHz),
        frameInterval(FrameIntervalFor(static_cast<uint32_t>(std::lround(machine.refreshHz)))) {}

  // `adjust` gives the length of a slide beginning at `now` beyond the slide
  // time (another monitor's show keeping its changes in turn with the primary's).
  template <typename Adjust>
  void Frame(Adjust adjust) {
    const uint32_t now = kClockBase + static_cast<uint32_t>(t);
    if (SlideIsOver(now, slideStart, slideTime, firstFrame)) {
      seen.push_back({});
      slideTime = kSlideTime + adjust(now);
      slideStart = now;
      firstFrame = false;
      seen.back().firstProgress = 0.0f;
      seen.back().beganMs = t;
    } else {
      const float p = SlideProgressAt(now, slideStart, slideTime);
      SlideSeen& slide = seen.back();
      if (p < slide.lastProgress) slide.monotonic = false;
      slide.lastProgress = p;
      ++slide.frames;
    }
    t = std::ceil(t / vsync + 1e-9) * vsync;  // Present waits for the next blank
    // A wait ends on the first timer tick at or after its time is up.
    const double wait = RenderWaitMs(frameInterval, true, false);
    t = std::ceil((t + wait) / machine.timerStepMs - 1e-9) * machine.timerStepMs;
  }

  Machine machine;
  double vsync;
  uint32_t frameInterval;
  double t = 0.0;
  uint32_t slideStart = 0;
  int32_t slideTime = kSlideTime;
  bool firstFrame = true;
  std::vector<SlideSeen> seen;
};

std::vector<SlideSeen> RunShow(const Machine& machine, int slides) {
  SimulatedShow show(machine);
  while (show.seen.size() <= static_cast<size_t>(slides)) show.Frame([](uint32_t) { return 0; });
  show.seen.pop_back();  // the slide still running
  return show.seen;
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

TEST(FramePacing, TwoMonitorsOfDifferentRatesEachKeepTheirOwnPaceAndChangeInTurn) {
  // Each monitor's render thread waits for its own display only: the 144 Hz
  // one draws every one of its blanks beside a 60 Hz one. The second
  // monitor's changes fall half a slide after the primary's, and stay there
  // over a long show although each rate ends its slides a different part of
  // a frame late.
  const Machine primaryMachine{60, 1}, otherMachine{144, 1};
  SimulatedShow primary(primaryMachine), other(otherMachine);
  const uint32_t offset = StaggerOffsetMs(kSlideTime, 1, 2);
  const auto inTurn = [&](uint32_t now) { return SlideTimeAdjustMs(now - primary.slideStart, kSlideTime, offset); };
  constexpr size_t kSlides = 200;
  while (primary.seen.size() <= kSlides || other.seen.size() <= kSlides) {
    if (primary.t <= other.t) {
      primary.Frame([](uint32_t) { return 0; });
    } else {
      other.Frame(inTurn);
    }
  }
  for (const SimulatedShow* show : {&primary, &other}) {
    SCOPED_TRACE(testing::Message() << show->machine.refreshHz << " Hz");
    for (size_t slide = 1; slide < kSlides; ++slide) {
      const SlideSeen& seen = show->seen[slide];
      ASSERT_GE(EaseMotion(0, seen.lastProgress), 0.98f) << "slide " << slide;
      ASSERT_GE(seen.frames, static_cast<int>(show->machine.refreshHz * kSlideTime / 1000 * 0.9)) << "slide " << slide;
    }
  }
  for (size_t slide = 1; slide < kSlides; ++slide) {
    const double apart = other.seen[slide].beganMs - primary.seen[slide].beganMs;
    ASSERT_NEAR(apart, kSlideTime / 2.0, 40.0) << "slide " << slide;
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
