#include "media/resample.h"

#include <gtest/gtest.h>

namespace {

uint32_t Grey(uint32_t v) { return v | v << 8 | v << 16; }

TEST(ResampleArea, HalvingAveragesEachTwoByTwoBlock) {
  // 4 x 2: blocks of (0, 100, 0, 100) and (200, 200, 40, 60), per channel.
  const std::vector<uint32_t> src = {Grey(0), Grey(100), Grey(200), Grey(200), Grey(0), Grey(100), Grey(40), Grey(60)};
  const auto out = ResampleArea({src.data(), 4, 2}, {0, 0, 4, 2}, 2, 1);
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0], Grey(50));
  EXPECT_EQ(out[1], Grey(125));
}

TEST(ResampleArea, ChannelsStayApartAndTheTopByteIsCleared) {
  const std::vector<uint32_t> src = {0xFF0000FFu, 0xFF00FF00u};
  const auto out = ResampleArea({src.data(), 2, 1}, {0, 0, 2, 1}, 1, 1);
  EXPECT_EQ(out[0], 0x00008080u);  // blue 255 + 0, green 0 + 255, red 0: each rounds to 128
}

TEST(ResampleArea, TakesOnlyTheRectangleAsked) {
  // A 6-wide stripe picture: columns 0-1 red, 2-3 green, 4-5 blue.
  std::vector<uint32_t> src;
  for (int y = 0; y < 2; ++y) src.insert(src.end(), {0xFF0000, 0xFF0000, 0x00FF00, 0x00FF00, 0x0000FF, 0x0000FF});
  const auto centre = ResampleArea({src.data(), 6, 2}, {2, 0, 2, 2}, 1, 1);
  EXPECT_EQ(centre[0], 0x00FF00u);
  const auto all = ResampleArea({src.data(), 6, 2}, {0, 0, 6, 2}, 3, 1);
  EXPECT_EQ(all, (std::vector<uint32_t>{0xFF0000, 0x00FF00, 0x0000FF}));
}

TEST(ResampleArea, EnlargingRepeatsTheNearestPixel) {
  const std::vector<uint32_t> src = {Grey(10), Grey(250)};
  const auto out = ResampleArea({src.data(), 2, 1}, {0, 0, 2, 1}, 4, 2);
  EXPECT_EQ(
      out, (std::vector<uint32_t>{Grey(10), Grey(10), Grey(250), Grey(250), Grey(10), Grey(10), Grey(250), Grey(250)}));
}

TEST(ResampleArea, RectanglesReachingPastThePictureAreClipped) {
  const std::vector<uint32_t> src = {Grey(90), Grey(90), Grey(90), Grey(90)};
  const auto out = ResampleArea({src.data(), 2, 2}, {-1, -1, 4.5, 4.5}, 3, 3);
  for (uint32_t p : out) EXPECT_EQ(p, Grey(90));
  EXPECT_TRUE(ResampleArea({src.data(), 2, 2}, {0, 0, 2, 2}, 0, 5).empty());
  EXPECT_EQ(ResampleArea({nullptr, 0, 0}, {0, 0, 1, 1}, 2, 2), std::vector<uint32_t>(4, 0));
}

}  // namespace
