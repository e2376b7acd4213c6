#include "media/photo_fit.h"

#include <gtest/gtest.h>

#include <array>

namespace {

TEST(FitModeFromRandom, DividesBy32767SoOnlyTheTopValueGivesThree) {
  EXPECT_EQ(FitModeFromRandom(0), 0);
  EXPECT_EQ(FitModeFromRandom(10922), 0);
  EXPECT_EQ(FitModeFromRandom(10923), 1);
  EXPECT_EQ(FitModeFromRandom(21844), 1);
  EXPECT_EQ(FitModeFromRandom(21845), 2);
  EXPECT_EQ(FitModeFromRandom(32766), 2);
  EXPECT_EQ(FitModeFromRandom(32767), 3);

  std::array<int, 4> counts{};
  for (int r = 0; r <= 32767; ++r) ++counts.at(FitModeFromRandom(r));
  // The crop (2) keeps one third of the draws; 3 is the single top value.
  EXPECT_EQ(counts, (std::array<int, 4>{10923, 10922, 10922, 1}));
}

TEST(CropSquare, CentresTheSquareOnTheLongerSide) {
  auto expect = [](uint32_t w, uint32_t h, uint32_t x, uint32_t y, uint32_t side) {
    const SourceSquare s = CropSquare(w, h);
    EXPECT_EQ(s.x, x) << w << "x" << h;
    EXPECT_EQ(s.y, y) << w << "x" << h;
    EXPECT_EQ(s.side, side) << w << "x" << h;
  };
  expect(4000, 3000, 500, 0, 3000);
  expect(3000, 4000, 0, 500, 3000);
  expect(4001, 3000, 500, 0, 3000);  // half of 1001, rounded down
  expect(3000, 4001, 0, 500, 3000);
  expect(1000, 1000, 0, 0, 1000);
  expect(1, 5, 0, 2, 1);
}

void ExpectRect(const FitRect& r, int32_t x, int32_t y, int32_t w, int32_t h) {
  EXPECT_EQ(r.x, x);
  EXPECT_EQ(r.y, y);
  EXPECT_EQ(r.width, w);
  EXPECT_EQ(r.height, h);
}

TEST(LetterboxRect, TouchesTwoEdgesAndCentresInTheOther) {
  ExpectRect(LetterboxRect(4000, 3000, 1024), 0, 128, 1024, 768);
  ExpectRect(LetterboxRect(3000, 4000, 1024), 128, 0, 768, 1024);
  ExpectRect(LetterboxRect(6000, 4000, 1024), 0, 171, 1024, 682);  // 682.67 and 171 rounded down
  ExpectRect(LetterboxRect(1000, 1000, 1024), 0, 0, 1024, 1024);   // square takes the landscape branch
  ExpectRect(LetterboxRect(1030, 3, 1024), 0, 511, 1024, 2);
  ExpectRect(LetterboxRect(3, 1030, 1024), 511, 0, 2, 1024);
}

TEST(LetterboxRect, ScalesWithTheSurfaceEdge) {
  ExpectRect(LetterboxRect(4000, 3000, 2048), 0, 256, 2048, 1536);
  ExpectRect(LetterboxRect(1030, 3, 4096), 0, 2042, 4096, 11);  // 11.93 rounded down
}

TEST(LetterboxRect, SidesOfMillionsOfPixelsDoNotOverflow) {
  ExpectRect(LetterboxRect(4000000, 3000000, 1024), 0, 128, 1024, 768);
  ExpectRect(LetterboxRect(3000000, 4000000, 1024), 128, 0, 768, 1024);
  ExpectRect(LetterboxRect(0xFFFFFFFFu, 0xFFFFFFFFu, 1024), 0, 0, 1024, 1024);
}

TEST(LetterboxLandscape, QuarterTurnOrientationsSwapTheSides) {
  for (int32_t orientation = 0; orientation <= 8; ++orientation) {
    const bool turned = orientation >= 5;
    EXPECT_EQ(LetterboxLandscape(4000, 3000, orientation), !turned) << orientation;
    EXPECT_EQ(LetterboxLandscape(1000, 1000, orientation), !turned) << orientation;
    EXPECT_EQ(LetterboxLandscape(3000, 4000, orientation), turned) << orientation;
  }
  // Out-of-range values are kept as stored and compared as they are.
  EXPECT_FALSE(LetterboxLandscape(4000, 3000, 65535));
  EXPECT_TRUE(LetterboxLandscape(3000, 4000, 9));
}

}  // namespace
