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

TEST(DctScaleDenominator, TheChosenScaleIsTheSmallestThatCoversTheFit) {
  for (uint32_t w : {1u, 17u, 1023u, 1024u, 1025u, 2049u, 4095u, 5000u, 8191u, 12000u, 65500u}) {
    for (uint32_t h : {1u, 3u, 1024u, 3001u, 8193u, 65500u}) {
      for (int fit : {kLetterbox, kFitSquareCrop}) {
        for (int edge : {1024, 2048, 4096}) {
          uint32_t sourceW = w, sourceH = h, needW = uint32_t(edge), needH = uint32_t(edge);
          if (fit == kFitSquareCrop) {
            sourceW = sourceH = std::min(w, h);
          } else {
            const FitRect r = LetterboxRect(w, h, edge);
            needW = static_cast<uint32_t>(r.width);
            needH = static_cast<uint32_t>(r.height);
          }
          auto covers = [&](uint32_t n) {
            return ScaledSide(sourceW, n) * 32 >= needW * 31 && ScaledSide(sourceH, n) * 32 >= needH * 31;
          };
          const uint32_t n = DctScaleDenominator(w, h, fit, edge);
          // A picture smaller than the fit is decoded whole and enlarged.
          if (n > 1) {
            EXPECT_TRUE(covers(n)) << w << "x" << h << " fit " << fit << " edge " << edge;
          }
          if (n < 8) {
            EXPECT_FALSE(covers(n * 2)) << w << "x" << h << " fit " << fit << " edge " << edge;
          }
        }
      }
    }
  }
}

}  // namespace
