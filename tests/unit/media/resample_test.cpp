#include "media/resample.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "media/resample_kernels.h"

namespace {

uint32_t Grey(uint32_t v) { return v | v << 8 | v << 16; }
int Blue(uint32_t p) { return static_cast<int>(p & 0xFF); }

// The behaviour is checked on the plain loops; the SSE2 ones are held to them.
std::vector<uint32_t> Plain(PixelView view, SourceRect rect, uint32_t width, uint32_t height) {
  const PixelRows rows{view.width, view.height, [view](uint32_t y) { return view.pixels + size_t{y} * view.width; }};
  return ResampleTentWith(PlainKernels(), rows, rect, width, height);
}

// Vertical black and white stripes `period` pixels wide per pair.
std::vector<uint32_t> Stripes(uint32_t width, uint32_t height, double period) {
  std::vector<uint32_t> pixels(size_t{width} * height);
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      pixels[size_t{y} * width + x] = std::fmod(x + 0.5, period) < period / 2 ? Grey(255) : Grey(0);
    }
  }
  return pixels;
}

// The darkest and brightest of one row, away from the ends.
std::pair<int, int> RowRange(const std::vector<uint32_t>& pixels, uint32_t width, uint32_t row) {
  int low = 255, high = 0;
  for (uint32_t x = 4; x + 4 < width; ++x) {
    low = std::min(low, Blue(pixels[size_t{row} * width + x]));
    high = std::max(high, Blue(pixels[size_t{row} * width + x]));
  }
  return {low, high};
}

TEST(ResampleTent, StripesTooFineForTheTargetTurnGreyNotIntoMoire) {
  // Reduced 2x, 1-pixel stripes are at the target's limit and 1.5-pixel ones
  // beyond it: sampling without a filter shows them as full-contrast bands.
  for (double period : {2.0, 3.0}) {
    const auto src = Stripes(600, 8, period);
    const auto out = Plain({src.data(), 600, 8}, {0, 0, 600, 8}, 300, 4);
    const auto [low, high] = RowRange(out, 300, 2);
    EXPECT_LE(high - low, 64) << "period " << period;  // at most a quarter of the swing
    double mean = 0;                                   // 1 on 1 off, or 1 on 2 off
    for (uint32_t x = 0; x < 600; ++x) mean += Blue(src[x]) / 600.0;
    EXPECT_NEAR((low + high) / 2, mean, 16) << "period " << period;
  }
}

TEST(ResampleTent, StripesTheTargetCanHoldKeepTheirContrast) {
  const auto src = Stripes(600, 8, 16.0);  // 8 target pixels a pair after halving
  const auto out = Plain({src.data(), 600, 8}, {0, 0, 600, 8}, 300, 4);
  const auto [low, high] = RowRange(out, 300, 2);
  EXPECT_LE(low, 40);
  EXPECT_GE(high, 215);

  // The same stripes lying across: each target row from the right source rows.
  std::vector<uint32_t> across(8 * 600);
  for (uint32_t y = 0; y < 600; ++y) std::fill_n(across.begin() + y * 8, 8, src[y]);
  const auto down = Plain({across.data(), 8, 600}, {0, 0, 8, 600}, 4, 300);
  for (uint32_t y = 4; y + 4 < 300; ++y) {
    const int want = Blue(out[y]);  // the row of the stripes standing upright
    EXPECT_NEAR(Blue(down[size_t{y} * 4 + 1]), want, 1) << y;
  }
}

TEST(ResampleTent, FlatPicturesStayFlatToTheirEdgesAndChannelsStayApart) {
  const std::vector<uint32_t> flat(5 * 3, 0xFF102030u);
  for (SourceRect rect : {SourceRect{0, 0, 5, 3}, SourceRect{-1, -1, 7.5, 4.5}, SourceRect{1.25, 0.5, 2, 2}}) {
    for (auto [w, h] : {std::pair{2u, 1u}, std::pair{9u, 7u}}) {
      const auto out = Plain({flat.data(), 5, 3}, rect, w, h);
      ASSERT_EQ(out.size(), size_t{w} * h);
      for (uint32_t p : out) EXPECT_EQ(p, 0x00102030u);  // top byte cleared
    }
  }
}

TEST(ResampleTent, EnlargingInterpolatesBetweenNeighbours) {
  const std::vector<uint32_t> src = {Grey(0), Grey(240)};
  const auto out = Plain({src.data(), 2, 1}, {0, 0, 2, 1}, 8, 1);
  ASSERT_EQ(out.size(), 8u);
  EXPECT_EQ(out.front(), Grey(0));
  EXPECT_EQ(out.back(), Grey(240));
  for (size_t i = 1; i < out.size(); ++i) EXPECT_GE(Blue(out[i]), Blue(out[i - 1]));
  EXPECT_GT(Blue(out[3]), 0);
  EXPECT_LT(Blue(out[4]), 240);
}

TEST(ResampleTent, LargeTargetsArriveInBandsTopDownAndWhole) {
  std::vector<uint32_t> src(2 * 600);  // dark at the top, light at the bottom
  for (uint32_t y = 0; y < 600; ++y) src[y * 2] = src[y * 2 + 1] = Grey(y * 255 / 599);
  std::vector<uint32_t> out;
  uint32_t bands = 0;
  ASSERT_TRUE(ResampleTentBands({src.data(), 2, 600}, {0, 0, 2, 600}, 1024, 300,
                                [&](uint32_t firstRow, uint32_t count, const uint32_t* pixels) {
                                  EXPECT_EQ(firstRow, out.size() / 1024);
                                  out.insert(out.end(), pixels, pixels + size_t{count} * 1024);
                                  return ++bands < 100;
                                }));
  ASSERT_EQ(out.size(), size_t{1024} * 300);
  EXPECT_GT(bands, 1u);
  for (uint32_t y = 1; y < 300; ++y) {
    EXPECT_GE(Blue(out[y * 1024 + 1023]), Blue(out[(y - 1) * 1024])) << y;
    EXPECT_EQ(out[y * 1024 + 1023], out[y * 1024]) << y;
  }
  EXPECT_FALSE(ResampleTentBands({src.data(), 2, 600}, {0, 0, 2, 600}, 1024, 300,
                                 [](uint32_t, uint32_t, const uint32_t*) { return false; }));
}

TEST(ResampleTent, TakesTheRectangleAskedAndReadsEachRowOnceTopDown) {
  // 30 x 30: left third red, middle green, right blue.
  std::vector<uint32_t> src(30 * 30);
  for (size_t i = 0; i < src.size(); ++i) src[i] = i % 30 < 10 ? 0xFF0000u : i % 30 < 20 ? 0x00FF00u : 0x0000FFu;
  std::vector<uint32_t> asked;
  const PixelRows rows{30, 30, [&](uint32_t y) {
                         asked.push_back(y);
                         return src.data() + size_t{y} * 30;
                       }};
  const auto middle = ResampleTent(rows, {10, 20, 10, 5}, 3, 2);
  for (uint32_t p : middle) EXPECT_EQ(p, 0x00FF00u);  // nothing of the red and blue beside it
  ASSERT_FALSE(asked.empty());
  EXPECT_TRUE(std::is_sorted(asked.begin(), asked.end()));
  EXPECT_EQ(std::adjacent_find(asked.begin(), asked.end()), asked.end());
  EXPECT_EQ(asked.front(), 20u);  // only the rows under the rectangle
  EXPECT_EQ(asked.back(), 24u);

  const PixelRows failing{30, 30, [](uint32_t) -> const uint32_t* { return nullptr; }};
  EXPECT_TRUE(ResampleTent(failing, {0, 0, 30, 30}, 4, 4).empty());
  EXPECT_TRUE(ResampleTent({src.data(), 30, 30}, {0, 0, 30, 30}, 0, 5).empty());
  EXPECT_TRUE(ResampleTent({nullptr, 0, 0}, {0, 0, 1, 1}, 2, 2).empty());
}

}  // namespace
