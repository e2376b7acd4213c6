// The SSE2 loops of the tent filter against the plain ones, which the
// behavioural tests check: both on random pictures, every size the loops
// split differently (odd tap counts, row tails of 1 to 3 pixels), edges
// repeated and crops starting between pixels. Built natively and under Wine.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "media/resample_kernels.h"

namespace {

TEST(ResampleTentPaths, Sse2AgreesWithPlainWithinOneLevel) {
  const ResampleKernels* sse2 = Sse2Kernels();
  if (!sse2) GTEST_SKIP() << "no SSE2 in this build or processor";
  struct Case {
    uint32_t width, height;
    SourceRect rect;
    uint32_t targetWidth, targetHeight;
  } cases[] = {
      {64, 48, {0, 0, 64, 48}, 21, 17},              // reduced by about 3: odd tap counts
      {1000, 9, {0, 0, 1000, 9}, 7, 3},              // reduced by 140: long spans
      {5, 4, {0, 0, 5, 4}, 13, 11},                  // enlarged: two taps, tails of 1
      {1, 1, {0, 0, 1, 1}, 6, 2},                    // one pixel: a single tap everywhere
      {33, 31, {2.25, 3.5, 20.5, 17.75}, 10, 9},     // a crop between pixels
      {40, 30, {-3, -2, 46, 34}, 18, 15},            // reaching past the picture's edges
      {3000, 2000, {0, 0, 3000, 2000}, 2047, 1365},  // a photo's halving, tail of 3
      {4000, 3, {500.5, 0, 3000, 3}, 2046, 1},       // one target row, tail of 2
  };
  std::mt19937 random(7);
  for (const Case& c : cases) {
    std::vector<uint32_t> pixels(size_t{c.width} * c.height);
    for (uint32_t& p : pixels) p = static_cast<uint32_t>(random());  // the top byte too: it must not leak
    const PixelRows rows{c.width, c.height, [&](uint32_t y) { return pixels.data() + size_t{y} * c.width; }};
    const auto plain = ResampleTentWith(PlainKernels(), rows, c.rect, c.targetWidth, c.targetHeight);
    const auto fast = ResampleTentWith(*sse2, rows, c.rect, c.targetWidth, c.targetHeight);
    ASSERT_EQ(plain.size(), size_t{c.targetWidth} * c.targetHeight) << c.width << "x" << c.height;
    ASSERT_EQ(fast.size(), plain.size()) << c.width << "x" << c.height;
    int worst = 0;
    for (size_t i = 0; i < plain.size(); ++i) {
      for (int shift : {0, 8, 16, 24}) {
        worst = std::max(worst, std::abs(static_cast<int>((plain[i] >> shift) & 0xFF) -
                                         static_cast<int>((fast[i] >> shift) & 0xFF)));
      }
    }
    EXPECT_LE(worst, 1) << c.width << "x" << c.height << " onto " << c.targetWidth << "x" << c.targetHeight;
  }
}

}  // namespace
