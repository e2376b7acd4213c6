#include "media/dct_scale.h"

#include <gtest/gtest.h>

#include "media/photo_fit.h"

namespace {

constexpr int kLetterbox = 0;

// Each expected value worked by hand: a scaled side is ceil(side x M / 8), and
// it must reach 31/32 of what the fit draws (992 of 1024, 744 of 768, 1984 of
// 2048, 1488 of 1536, 3968 of 4096). M runs 1, 2, 4, 5, 6, 7, 8.

TEST(DctScaleEighths, LetterboxShrinksUntilTheDrawnRectangleWouldRunShort) {
  // 6000 x 4000 draws 1024 x 682: 1/8 gives 750 x 500, 2/8 1500 x 1000.
  EXPECT_EQ(DctScaleEighths(6000, 4000, kLetterbox, 1024), 2u);
  EXPECT_EQ(DctScaleEighths(4000, 3000, kLetterbox, 1024), 2u);  // 1000 x 750: a 32nd short at most
  // 750 wide at 2/8; 3/8 (1125) is not among the scales, 4/8 gives 1500.
  EXPECT_EQ(DctScaleEighths(3000, 2250, kLetterbox, 1024), 4u);
  EXPECT_EQ(DctScaleEighths(16000, 12000, kLetterbox, 1024), 1u);  // 2000 x 1500
  EXPECT_EQ(DctScaleEighths(2250, 3000, 1, 1024), 4u);             // portrait: 750 high at 2/8 for 1024
  EXPECT_EQ(DctScaleEighths(7936, 5952, 3, 1024), 1u);             // 992 x 744 for 1024 x 768
  EXPECT_EQ(DctScaleEighths(7928, 5946, 3, 1024), 2u);             // 991 wide at 1/8; 1982 x 1487 at 2/8
  EXPECT_EQ(DctScaleEighths(7929, 5947, 3, 1024), 1u);             // libjpeg rounds 991.1 up to 992, 743.4 to 744
}

TEST(DctScaleEighths, CropNeedsTheShorterSideAtFullSurfaceEdge) {
  EXPECT_EQ(DctScaleEighths(6000, 4000, kFitSquareCrop, 1024), 2u);    // 500 at 1/8, 1000 at 2/8
  EXPECT_EQ(DctScaleEighths(16000, 12000, kFitSquareCrop, 1024), 1u);  // 1500
  EXPECT_EQ(DctScaleEighths(3000, 4000, kFitSquareCrop, 1024), 4u);    // 750 at 2/8, 1500 at 4/8
  EXPECT_EQ(DctScaleEighths(7928, 30000, kFitSquareCrop, 1024), 2u);   // 991 at 1/8
  EXPECT_EQ(DctScaleEighths(30000, 7929, kFitSquareCrop, 1024), 1u);   // 992 at 1/8
  // A larger surface needs more pixels. 6000 x 4000 draws 2048 x 1365: 1500
  // wide at 2/8 is too few, 3000 x 2000 at 4/8 enough.
  EXPECT_EQ(DctScaleEighths(6000, 4000, kLetterbox, 2048), 4u);
  EXPECT_EQ(DctScaleEighths(6000, 4000, kFitSquareCrop, 2048), 4u);  // 2000 of 1984
  // 4000 x 3000 cropped onto 2048 is no longer decoded whole: 3000 gives 1500
  // at 4/8, 1875 at 5/8, 2250 at 6/8.
  EXPECT_EQ(DctScaleEighths(4000, 3000, kFitSquareCrop, 2048), 6u);
  EXPECT_EQ(DctScaleEighths(4000, 3000, kLetterbox, 2048), 4u);  // 2000 x 1500 for 2048 x 1536
  // 6000 x 4000 draws 4096 x 2730: 3750 wide at 5/8 is short, 4500 at 6/8 not.
  EXPECT_EQ(DctScaleEighths(6000, 4000, kLetterbox, 4096), 6u);
  EXPECT_EQ(DctScaleEighths(6000, 4000, kFitSquareCrop, 4096), 8u);  // 3500 at 7/8, 4000 whole
}

TEST(DctScaleEighths, SmallOrThinPicturesAreDecodedWhole) {
  EXPECT_EQ(DctScaleEighths(1000, 1000, kLetterbox, 1024), 8u);  // 875 at 7/8
  // 1030 x 3 draws 1024 x 2: 902 wide at 7/8, so no room to shrink the width.
  EXPECT_EQ(DctScaleEighths(1030, 3, kLetterbox, 1024), 8u);
  EXPECT_EQ(DctScaleEighths(0, 0, kLetterbox, 1024), 8u);
}

TEST(DctScaleEighths, BoundariesWorkedByHand) {
  struct Case {
    uint32_t width, height;
    int fit, edge;
    uint32_t expected;
  } cases[] = {
      {3968, 2976, kLetterbox, 2048, 4u},        // 1984 x 1488 for 2048 x 1536: both just reach
      {3966, 2974, kLetterbox, 2048, 5u},        // 1983 wide at 4/8; 2479 x 1859 at 5/8
      {3000, 4000, kLetterbox, 2048, 4u},        // portrait: 1500 x 2000 for 1536 x 2048
      {1982, 1982, kLetterbox, 1024, 5u},        // 991 at 4/8; 1238.75 up to 1239 at 5/8
      {1983, 1983, kLetterbox, 1024, 4u},        // 991.5 rounds up to 992
      {3173, 3173, kFitSquareCrop, 2048, 5u},    // 1983.1 up to 1984 at 5/8
      {3172, 3172, kFitSquareCrop, 2048, 6u},    // 1982.5 up to 1983: one short; 2379 at 6/8
      {2645, 2645, kFitSquareCrop, 2048, 6u},    // 1983.75 up to 1984 at 6/8
      {2644, 2644, kFitSquareCrop, 2048, 7u},    // 1983 at 6/8; 2313.5 up to 2314 at 7/8
      {2267, 2267, kFitSquareCrop, 2048, 7u},    // 1983.6 up to 1984 at 7/8
      {2266, 2266, kFitSquareCrop, 2048, 8u},    // 1982.75 up to 1983 at 7/8
      {10000, 7936, kFitSquareCrop, 4096, 4u},   // 3968 = 31/32 of 4096
      {10000, 7934, kFitSquareCrop, 4096, 5u},   // 3967 at 4/8; 4958.75 up to 4959 at 5/8
      {16000, 12000, kFitSquareCrop, 4096, 4u},  // 3000 at 2/8; 4/8, as 3/8 is not used
      {8000, 6000, kLetterbox, 1024, 1u},        // 1000 x 750 for 1024 x 768
      {65500, 1, kLetterbox, 1024, 1u},          // draws 1024 x 0: the width alone counts
      {1, 65500, kFitSquareCrop, 1024, 8u},      // a one-pixel square is enlarged whole
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DctScaleEighths(c.width, c.height, c.fit, c.edge), c.expected)
        << c.width << "x" << c.height << " fit " << c.fit << " edge " << c.edge;
  }
}

}  // namespace
