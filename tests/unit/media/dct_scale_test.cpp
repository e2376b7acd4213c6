#include "media/dct_scale.h"

#include <gtest/gtest.h>

#include "media/photo_fit.h"

namespace {

constexpr int kLetterbox = 0;

TEST(DctScaleDenominator, LetterboxShrinksUntilTheDrawnRectangleWouldRunShort) {
  // 6000 x 4000 draws 1024 x 682: 1/4 gives 1500 x 1000, 1/8 only 750 x 500.
  EXPECT_EQ(DctScaleDenominator(6000, 4000, kLetterbox, 1024), 4u);
  EXPECT_EQ(DctScaleDenominator(4000, 3000, kLetterbox, 1024), 4u);  // 1000 wide: a 32nd short at most
  EXPECT_EQ(DctScaleDenominator(3000, 2250, kLetterbox, 1024), 2u);  // 750 wide at 1/4 is too few
  EXPECT_EQ(DctScaleDenominator(16000, 12000, kLetterbox, 1024), 8u);
  EXPECT_EQ(DctScaleDenominator(2250, 3000, 1, 1024), 2u);  // portrait: the height counts
  EXPECT_EQ(DctScaleDenominator(7936, 5952, 3, 1024), 8u);  // 992 x 744 for 1024 x 768 at 1/8
  EXPECT_EQ(DctScaleDenominator(7928, 5946, 3, 1024), 4u);  // 991 wide at 1/8
  EXPECT_EQ(DctScaleDenominator(7929, 5947, 3, 1024), 8u);  // libjpeg rounds 991.1 up to 992
}

TEST(DctScaleDenominator, CropNeedsTheShorterSideAtFullSurfaceEdge) {
  EXPECT_EQ(DctScaleDenominator(6000, 4000, kFitSquareCrop, 1024), 4u);  // 1000 for 1024
  EXPECT_EQ(DctScaleDenominator(16000, 12000, kFitSquareCrop, 1024), 8u);
  EXPECT_EQ(DctScaleDenominator(3000, 4000, kFitSquareCrop, 1024), 2u);   // 750 at 1/4
  EXPECT_EQ(DctScaleDenominator(7928, 30000, kFitSquareCrop, 1024), 4u);  // 991 at 1/8
  EXPECT_EQ(DctScaleDenominator(30000, 7929, kFitSquareCrop, 1024), 8u);
  // A larger surface needs more pixels; a 24-megapixel photo is still
  // decoded at half its size for a 2048 surface, not whole.
  EXPECT_EQ(DctScaleDenominator(6000, 4000, kLetterbox, 2048), 2u);
  EXPECT_EQ(DctScaleDenominator(6000, 4000, kFitSquareCrop, 2048), 2u);
  EXPECT_EQ(DctScaleDenominator(6000, 4000, kFitSquareCrop, 4096), 1u);
}

TEST(DctScaleDenominator, SmallOrThinPicturesAreDecodedWhole) {
  EXPECT_EQ(DctScaleDenominator(1000, 1000, kLetterbox, 1024), 1u);
  EXPECT_EQ(DctScaleDenominator(1982, 1982, kLetterbox, 1024), 1u);
  EXPECT_EQ(DctScaleDenominator(1983, 1983, kLetterbox, 1024), 2u);  // 991.5 rounds up to 992
  // 1030 x 3 draws 1024 x 2: no room to shrink the width.
  EXPECT_EQ(DctScaleDenominator(1030, 3, kLetterbox, 1024), 1u);
  EXPECT_EQ(DctScaleDenominator(0, 0, kLetterbox, 1024), 1u);
}

TEST(DctScaleDenominator, BoundariesWorkedByHand) {
  // A scale is taken when each scaled side (rounded up) is at least 31/32 of
  // what the fit draws: 1984 x 32 = 63488 = 2048 x 31 exactly.
  struct Case {
    uint32_t width, height;
    int fit, edge;
    uint32_t expected;
  } cases[] = {
      {3968, 2976, kLetterbox, 2048, 2u},        // 1984 x 1488 for 2048 x 1536: both just reach
      {3966, 2974, kLetterbox, 2048, 1u},        // 1983 wide is 32 short of 31/32 of 2048
      {4000, 3000, kLetterbox, 2048, 2u},        // 2000 x 1500 for 2048 x 1536
      {3000, 4000, kLetterbox, 2048, 2u},        // portrait: 1500 x 2000 for 1536 x 2048
      {10000, 7936, kFitSquareCrop, 4096, 2u},   // 3968 = 31/32 of 4096
      {10000, 7934, kFitSquareCrop, 4096, 1u},   // 3967 is one short
      {16000, 12000, kFitSquareCrop, 4096, 2u},  // 3000 at 1/4 is far too few
      {8000, 6000, kLetterbox, 1024, 8u},        // 1000 x 750 for 1024 x 768
      {65500, 1, kLetterbox, 1024, 8u},          // draws 1024 x 0: the width alone counts
      {1, 65500, kFitSquareCrop, 1024, 1u},      // a one-pixel square is enlarged whole
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DctScaleDenominator(c.width, c.height, c.fit, c.edge), c.expected)
        << c.width << "x" << c.height << " fit " << c.fit << " edge " << c.edge;
  }
}

}  // namespace
