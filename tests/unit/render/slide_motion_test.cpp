#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <vector>

#include "render/slide_motion.h"

namespace {

// rand stand-in handing out a fixed script, then failing the test if asked for more.
class Script {
 public:
  Script(std::initializer_list<int> values) : values_(values) {}
  int operator()() {
    if (next_ >= values_.size()) {
      ADD_FAILURE() << "more draws than expected";
      return 0;
    }
    return values_[next_++];
  }
  size_t used() const { return next_; }

 private:
  std::vector<int> values_;
  size_t next_ = 0;
};

SaverSettings AllCodes() {
  SaverSettings s{};
  ResetSettings(s);
  return s;
}

// The smallest r whose draw over n lands on index i.
int RandFor(int i, int n) { return (i * kRandMax + n - 1) / n; }

SlideChoices Choose(const SlidePhoto& photo, const SaverSettings& settings, std::initializer_list<int> draws) {
  Script script(draws);
  auto choices = ChooseSlide(photo, settings, std::ref(script));
  EXPECT_EQ(script.used(), draws.size());
  return choices;
}

}  // namespace

TEST(MotionTable, PansStopAtTheOverhangOfTheirZoom) {
  for (int row = 10; row < 18; ++row) {
    for (int k : {2, 3, 6, 7}) EXPECT_LE(std::fabs(MotionTable[row][k]), (1.5f * 1024 - 1024) / 2) << row;
  }
  for (int row = 18; row < 22; ++row) {
    for (int k : {2, 3, 6, 7}) EXPECT_LT(std::fabs(MotionTable[row][k]), (1.8f * 1024 - 1024) / 2) << row;
  }
  // Rows 18, 19 cross horizontally; 20, 21 vertically.
  EXPECT_EQ(MotionTable[18][3], 0.0f);
  EXPECT_EQ(MotionTable[19][7], 0.0f);
  EXPECT_EQ(MotionTable[20][2], 0.0f);
  EXPECT_EQ(MotionTable[21][6], 0.0f);
}

TEST(SlideChoices, DrawsMotionEasingFadeTransitionEffectInThatOrder) {
  auto s = AllCodes();
  auto c = Choose({6, 0, true}, s, {RandFor(5, 22), RandFor(3, 6), RandFor(2, 3), RandFor(1, 4), RandFor(3, 4)});
  EXPECT_EQ(c.rotation, 4.7124f);
  EXPECT_EQ(c.motionIndex, 5);
  EXPECT_EQ(c.motionStart[0], 1.0f);
  EXPECT_EQ(c.motionDelta[0], 1.2f - 1.0f);
  EXPECT_EQ(c.motionDelta[2], 80.0f);
  EXPECT_EQ(c.motionDelta[3], 80.0f);
  EXPECT_EQ(c.easing, 3);
  EXPECT_EQ(c.fadeCode, 2);
  EXPECT_EQ(c.transitionCode, 1);
  EXPECT_EQ(c.effectCode, 3);
}

TEST(SlideChoices, TheTopDrawIsKeptInsideEveryList) {
  auto s = AllCodes();
  s.fades[0] = 1;
  s.fades[1] = 2;
  s.fadeCount = 2;
  auto c = Choose({0, 0, true}, s, {kRandMax, kRandMax, kRandMax, kRandMax, kRandMax});
  EXPECT_EQ(c.motionIndex, 19);  // 22 limited to 21, then landscape
  EXPECT_EQ(c.easing, 6);        // easing has no limit
  EXPECT_EQ(c.fadeCode, 2);
  EXPECT_EQ(c.transitionCode, 3);
  EXPECT_EQ(c.effectCode, 3);
}

TEST(SlideChoices, ARecordWithoutListsGivesCodeZero) {
  SaverSettings empty{};
  auto c = Choose({0, 0, true}, empty, {kRandMax, kRandMax, kRandMax, kRandMax, kRandMax});
  EXPECT_EQ(c.fadeCode, 0);
  EXPECT_EQ(c.transitionCode, 0);
  EXPECT_EQ(c.effectCode, 0);
  SaverSettings broken = AllCodes();
  broken.colorEffectCount = 1000;  // a damaged count must not read past the list
  broken.fadeCount = -3;
  c = Choose({0, 0, true}, broken, {0, 0, 0, 0, kRandMax});
  EXPECT_EQ(c.fadeCode, 0);
  EXPECT_EQ(c.effectCode, 3);
}

TEST(SlideChoices, MotionRowsFollowTheShapeAndFitOfThePhoto) {
  auto s = AllCodes();
  struct Case {
    SlidePhoto photo;
    std::vector<int> never;
  };
  for (const Case& k : {Case{{0, 0, true}, {20, 21}}, Case{{0, 0, false}, {18, 19}},
                        Case{{0, 2, true}, {18, 19, 20, 21}}, Case{{0, 2, false}, {18, 19, 20, 21}}}) {
    std::vector<int> hits(kMotionRows);
    for (int r = 0; r <= kRandMax; ++r) {
      int draws[5] = {r, 0, 0, 0, 0};
      int n = 0;
      auto c = ChooseSlide(k.photo, s, [&] { return draws[n++]; });
      ++hits[c.motionIndex];
    }
    for (int row : k.never) EXPECT_EQ(hits[row], 0) << "row " << row << " fit " << k.photo.fitMode;
    if (k.photo.fitMode == 2) {
      // Cropped: 14..17 also take the draws of 18..21.
      EXPECT_NEAR(hits[14], 2 * hits[13], hits[13] / 10);
      EXPECT_NEAR(hits[17], 2 * hits[13], hits[13] / 10);
    } else if (k.photo.landscape) {
      EXPECT_NEAR(hits[18], 2 * hits[13], hits[13] / 10);
    } else {
      EXPECT_NEAR(hits[21], 2 * hits[13], hits[13] / 10);
    }
  }
}

TEST(SlideChoices, OrientationTurnsOnlyForTheThreeRotations) {
  EXPECT_EQ(RotationForOrientation(3), 3.1416f);
  EXPECT_EQ(RotationForOrientation(6), 4.7124f);
  EXPECT_EQ(RotationForOrientation(8), 1.5708f);
  for (int mirrored : {0, 1, 2, 4, 5, 7, 9, -1}) EXPECT_EQ(RotationForOrientation(mirrored), 0.0f) << mirrored;
}

TEST(SlideChoices, FewerColourEffectsShowOriginalMostOfTheTime) {
  auto s = AllCodes();
  s.lessColorEffect = true;
  s.colorEffects[0] = 0;
  s.colorEffects[1] = 1;
  s.colorEffects[2] = 2;
  s.colorEffectCount = 3;
  std::vector<int> hits(4);
  for (int r = 0; r <= kRandMax; ++r) {
    int draws[5] = {0, 0, 0, 0, r};
    int n = 0;
    ++hits[ChooseSlide({}, s, [&] { return draws[n++]; }).effectCode];
  }
  // n = 8: black and white and sepia one slide in eight each.
  EXPECT_NEAR(hits[1], 32768 / 8, 2);
  EXPECT_NEAR(hits[2], 32768 / 8, 2);
  EXPECT_EQ(hits[3], 0);

  s.colorEffects[0] = 2;  // only Sepia: n = 4
  s.colorEffectCount = 1;
  EXPECT_EQ(Choose({}, s, {0, 0, 0, 0, RandFor(0, 4)}).effectCode, 2);
  EXPECT_EQ(Choose({}, s, {0, 0, 0, 0, RandFor(1, 4)}).effectCode, 0);

  s.colorEffects[0] = 0;  // only Original: n = 0
  EXPECT_EQ(Choose({}, s, {0, 0, 0, 0, kRandMax}).effectCode, 0);
}

TEST(Easing, EveryCurveRunsFromStartToEnd) {
  for (int easing : {0, 1, 3, 4, 5}) {
    EXPECT_EQ(EaseMotion(easing, 0.0f), 0.0f) << easing;
    EXPECT_NEAR(EaseMotion(easing, 1.0f), 1.0f, 1e-3) << easing;
    float previous = 0.0f;
    for (int i = 1; i <= 100; ++i) {
      float e = EaseMotion(easing, i / 100.0f);
      EXPECT_GE(e, previous) << easing << " at " << i;
      previous = e;
    }
  }
  EXPECT_EQ(EaseMotion(2, 0.0f), 1.0f);
  EXPECT_EQ(EaseMotion(2, 1.0f), 0.0f);
  EXPECT_EQ(EaseMotion(6, 0.7f), 0.0f);
}

TEST(Easing, CurvesUseTheSinglePrecisionConstants) {
  // 3.14 is not pi: curves 3 and 4 stop just short of 1.
  EXPECT_NEAR(EaseMotion(3, 1.0f), 1.0 - 0.5 * std::sin(3.14), 1e-6);
  EXPECT_LT(EaseMotion(3, 1.0f), 0.9993f);
  EXPECT_LT(EaseMotion(4, 1.0f), 1.0f);
  EXPECT_NEAR(EaseMotion(4, 1.0f), 0.9999994, 1e-7);
  EXPECT_EQ(EaseMotion(5, 0.2f), 0.0f);
  EXPECT_EQ(EaseMotion(5, 0.8f), 1.0f);
  EXPECT_EQ(EaseMotion(5, 0.5f), (0.5f - 0.2f) * 1.6666666f);
  EXPECT_EQ(EaseMotion(1, 0.5f), 0.25f);
}

TEST(Fade, RampsInOverTheFirstAndOutOverTheLastFifteenPercent) {
  EXPECT_EQ(FadeFactor(0, 0.0f), 1.0f);
  EXPECT_EQ(FadeFactor(1, 0.0f), 0.0f);
  EXPECT_EQ(FadeFactor(2, 0.0f), 2.0f);
  EXPECT_EQ(FadeFactor(1, 0.1f), 0.1f * 6.6666665f);
  EXPECT_EQ(FadeFactor(2, 0.1f), 2.0f - 0.1f * 6.6666665f);
  EXPECT_NEAR(FadeFactor(1, 0.15f), 1.0f, 1e-6);
  EXPECT_EQ(FadeFactor(1, 0.5f), 1.0f);
  EXPECT_EQ(FadeFactor(2, 0.85f), 1.0f);
  EXPECT_LT(FadeFactor(1, 0.86f), 1.0f);
  EXPECT_EQ(FadeFactor(1, 0.9f), (1.0f - 0.9f) * 6.666668f);
  EXPECT_EQ(FadeFactor(1, 1.0f), 0.0f);
  EXPECT_EQ(FadeFactor(2, 1.0f), 2.0f);
}

TEST(Blend, CrossFadesBetweenThirtyAndSeventyPercent) {
  EXPECT_EQ(BlendFactor(0, 0.5f), 0.0f);
  EXPECT_EQ(BlendFactor(1, 0.0f), 1.0f);
  EXPECT_EQ(BlendFactor(2, 0.3f), 0.0f);
  EXPECT_EQ(BlendFactor(2, 0.5f), (0.5f - 0.3f) * 2.5000002f);
  EXPECT_NEAR(BlendFactor(2, 0.7f), 1.0f, 1e-6);
  EXPECT_EQ(BlendFactor(2, 0.71f), 1.0f);
  EXPECT_EQ(BlendFactor(3, 0.2f), 1.0f);
  EXPECT_EQ(BlendFactor(3, 0.9f), 0.0f);
}

TEST(Blend, NeverOverlapsAFade) {
  // The mode choice relies on it: while g differs from 1, l is exactly 0 or 1.
  for (int fade : {1, 2}) {
    for (int transition : {0, 1, 2, 3}) {
      for (int i = 0; i <= 1000; ++i) {
        float p = i / 1000.0f;
        if (FadeFactor(fade, p) == 1.0f) continue;
        float l = BlendFactor(transition, p);
        EXPECT_TRUE(l == 0.0f || l == 1.0f) << fade << " " << transition << " " << p;
      }
    }
  }
}

TEST(Composition, ModeFollowsFadeDirectionAndBlendEnd) {
  EXPECT_EQ(CompositionModeFor(1.0f, 0.4f), 0);
  EXPECT_EQ(CompositionModeFor(0.5f, 0.0f), 1);
  EXPECT_EQ(CompositionModeFor(0.5f, 1.0f), 2);
  EXPECT_EQ(CompositionModeFor(1.5f, 0.0f), 3);
  EXPECT_EQ(CompositionModeFor(1.5f, 1.0f), 4);
  EXPECT_EQ(CompositionModeFor(0.5f, 0.5f), 0);
  EXPECT_EQ(CompositionModeFor(1.5f, 0.5f), 0);
}

TEST(Composition, TextureFactorCarriesGreyOrBlend) {
  EXPECT_EQ(FadeLevelFactor(1.0f), 0u);
  EXPECT_EQ(FadeLevelFactor(0.0f), 0xFFFFFFu);
  EXPECT_EQ(FadeLevelFactor(2.0f), 0xFFFFFFu);
  EXPECT_EQ(FadeLevelFactor(0.5f), 127u * 0x010101u);
  EXPECT_EQ(FadeLevelFactor(1.5f), 127u * 0x010101u);
  // Beyond the range the grey saturates instead of spilling into alpha.
  EXPECT_EQ(FadeLevelFactor(-1.0f), 0xFFFFFFu);
  EXPECT_EQ(FadeLevelFactor(3.5f), 0xFFFFFFu);
  EXPECT_EQ(BlendFactorValue(0.0f), 0u);
  EXPECT_EQ(BlendFactorValue(1.0f), 0xFF000000u);
  EXPECT_EQ(BlendFactorValue(0.5f), 127u << 24);
}

TEST(Progress, SlideEndsByElapsedTimeWrapOrFirstFrame) {
  EXPECT_FALSE(SlideIsOver(6000, 1000, 5000, false));
  EXPECT_TRUE(SlideIsOver(6001, 1000, 5000, false));
  EXPECT_TRUE(SlideIsOver(1000, 1000, 5000, true));
  EXPECT_TRUE(SlideIsOver(5, 0xFFFFFF00u, 5000, false));  // the tick count wrapped
  EXPECT_FALSE(SlideIsOver(0xFFFFFFF0u, 0, -1, false));   // a negative time never ends by time
  EXPECT_TRUE(SlideIsOver(1001, 1000, 0, false));
}

TEST(Progress, ComesFromTheClockClampedToTheSlide) {
  EXPECT_EQ(SlideProgressAt(1000, 1000, 4000), 0.0f);
  EXPECT_EQ(SlideProgressAt(2000, 1000, 4000), 0.25f);
  EXPECT_EQ(SlideProgressAt(5000, 1000, 4000), 1.0f);
  EXPECT_EQ(SlideProgressAt(9000, 1000, 4000), 1.0f);  // a late frame never overshoots the path
  EXPECT_EQ(SlideProgressAt(999, 0xFFFFFFFFu, 2000), 0.5f);  // 1000 ms across the counter's wrap
  // No slide time: the slide holds its start.
  EXPECT_EQ(SlideProgressAt(2000, 1000, 0), 0.0f);
  EXPECT_EQ(SlideProgressAt(2000, 1000, -5), 0.0f);
}

TEST(World, ScalesThenRotatesCounterClockwiseThenMoves) {
  float m[16];
  auto apply = [&](float x, float y, float& ox, float& oy) {
    ox = x * m[0] + y * m[4] + m[12];
    oy = x * m[1] + y * m[5] + m[13];
  };
  float x, y;
  WorldMatrix(1.5f, 1.5f, 256.0f, -256.0f, 0.0f, m);
  apply(512.0f, 512.0f, x, y);
  EXPECT_FLOAT_EQ(x, 1024.0f);
  EXPECT_FLOAT_EQ(y, 512.0f);
  EXPECT_EQ(m[15], 1.0f);
  EXPECT_EQ(m[10], 1.0f);

  // Orientation 6: the top of the picture turns to the right.
  WorldMatrix(1.0f, 1.0f, 0.0f, 0.0f, RotationForOrientation(6), m);
  apply(0.0f, 512.0f, x, y);
  EXPECT_NEAR(x, 512.0f, 0.01f);
  EXPECT_NEAR(y, 0.0f, 0.01f);
  // Orientation 8: the top turns to the left.
  WorldMatrix(1.0f, 1.0f, 0.0f, 0.0f, RotationForOrientation(8), m);
  apply(0.0f, 512.0f, x, y);
  EXPECT_NEAR(x, -512.0f, 0.01f);
  // Scale is applied before the turn: x scale stretches the picture's own width.
  WorldMatrix(2.0f, 1.0f, 0.0f, 0.0f, RotationForOrientation(8), m);
  apply(100.0f, 0.0f, x, y);
  EXPECT_NEAR(y, 200.0f, 0.01f);
}
