#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "render/render_maths.h"

TEST(Quad, TexelCentresFallOnPixelCentres) {
  for (int edge : {1024, 2048, 4096}) {
    QuadVertex quad[4];
    QuadVerticesFor(edge, quad);
    const float half = 0.5f / static_cast<float>(edge);
    for (const QuadVertex& v : quad) {
      EXPECT_EQ(v.z, 0.0f);
      EXPECT_EQ(v.u0, (v.x + 512.0f) / 1024.0f + half);
      EXPECT_EQ(v.v0, (512.0f - v.y) / 1024.0f + half);  // v = 0 is the top row
      EXPECT_EQ(v.u1, v.u0);
      EXPECT_EQ(v.v1, v.v0);
    }
    // A strip: the second triangle shares the middle edge.
    EXPECT_EQ(quad[1].x, quad[0].x);
    EXPECT_EQ(quad[3].y, quad[1].y);
  }
}

TEST(PhotoEdge, AsManyTexelsAsTheScreenWithinTheCardAndTheCap) {
  EXPECT_EQ(PhotoEdgeFor(1920, 1080), 2048);
  EXPECT_EQ(PhotoEdgeFor(1080, 1920), 2048);  // portrait: the longer side
  EXPECT_EQ(PhotoEdgeFor(3840, 2160), 4096);
  EXPECT_EQ(PhotoEdgeFor(2048, 1152), 2048);  // exactly a power of two
  EXPECT_EQ(PhotoEdgeFor(2049, 1152), 4096);
  EXPECT_EQ(PhotoEdgeFor(1280, 720), 2048);
  EXPECT_EQ(PhotoEdgeFor(800, 600), 1024);  // never below the smallest
  EXPECT_EQ(PhotoEdgeFor(0, 0), 1024);
  EXPECT_EQ(PhotoEdgeFor(7680, 4320), 4096);  // capped
  EXPECT_EQ(PhotoEdgeWithin(4096, 16384, 16384), 4096);
  EXPECT_EQ(PhotoEdgeWithin(4096, 2048, 4096), 2048);
  EXPECT_EQ(PhotoEdgeWithin(4096, 3000, 3000), 2048);
  EXPECT_EQ(PhotoEdgeWithin(2048, 512, 512), 1024);  // refused later by the capability check
}

TEST(View, LongerScreenSideIs1024Units) {
  ViewExtent wide = ViewExtentFor(1920, 1080);
  EXPECT_EQ(wide.width, 1024.0f);
  EXPECT_EQ(wide.height, 576.0f);
  ViewExtent tall = ViewExtentFor(1080, 1920);
  EXPECT_EQ(tall.width, 576.0f);
  EXPECT_EQ(tall.height, 1024.0f);
  EXPECT_EQ(ViewExtentFor(0, 1080).width, 1024.0f);
  EXPECT_EQ(ViewExtentFor(1920, 0).height, 1024.0f);
  EXPECT_EQ(ViewExtentFor(800, 800).height, 1024.0f);
}

TEST(FrameInterval, WholeMillisecondsPerRefreshAndSixteenWithoutOne) {
  EXPECT_EQ(FrameIntervalFor(0), 16u);
  EXPECT_EQ(FrameIntervalFor(60), 16u);
  EXPECT_EQ(FrameIntervalFor(75), 13u);
  EXPECT_EQ(FrameIntervalFor(100), 10u);
}

TEST(ToneCurve, RisesToTheMiddleAndTruncatesBackToZero) {
  EXPECT_EQ(ToneCurveValue(0), 0);
  // sin(0.01232 x 255) is a hair below zero: truncation, not flooring, gives 0.
  EXPECT_EQ(ToneCurveValue(255), 0);
  int peak = 0;
  for (int i = 0; i < kToneEntries; ++i) peak = std::max(peak, ToneCurveValue(i));
  EXPECT_EQ(peak, 178);
  EXPECT_EQ(ToneCurveValue(127), 178);
  for (int i = 1; i <= 127; ++i) EXPECT_GE(ToneCurveValue(i), ToneCurveValue(i - 1)) << i;
  for (int i = 129; i < kToneEntries; ++i) EXPECT_LE(ToneCurveValue(i), ToneCurveValue(i - 1)) << i;

  uint32_t texels[kToneEntries];
  std::memset(texels, 0xAB, sizeof texels);
  FillToneTexels(texels);
  EXPECT_EQ(texels[127], 0x00B2B2B2u);  // blue, green, red; X byte 0
  EXPECT_EQ(texels[0], 0u);
  EXPECT_EQ(texels[255], 0u);
}

TEST(Shaders, ResourcePerEffectAndLevel) {
  for (int code = 0; code < 4; ++code) EXPECT_EQ(ShaderResourceFor(code, 0), 0) << code;
  EXPECT_EQ(ShaderResourceFor(0, 1), 144);
  EXPECT_EQ(ShaderResourceFor(1, 2), 146);
  EXPECT_EQ(ShaderResourceFor(2, 1), 147);
  EXPECT_EQ(ShaderResourceFor(3, 1), 147);
  EXPECT_EQ(ShaderResourceFor(2, 2), 148);
  EXPECT_EQ(ShaderResourceFor(3, 2), 148);
  EXPECT_EQ(ShaderResourceFor(4, 2), 0);
}

TEST(Shaders, ConstantsPerEffect) {
  EXPECT_FALSE(EffectConstantsFor(0).hasLuma);
  EXPECT_FALSE(EffectConstantsFor(0).hasOffset);
  auto bw = EffectConstantsFor(1);
  EXPECT_TRUE(bw.hasLuma);
  EXPECT_FALSE(bw.hasOffset);
  // Pure red is 76 of 255; white stays white at 8 bits.
  EXPECT_EQ(static_cast<int>(bw.luma[0] * 255.0f), 76);
  EXPECT_EQ(static_cast<int>((bw.luma[0] + bw.luma[1] + bw.luma[2]) * 255.0f + 0.5f), 255);
  auto sepia = EffectConstantsFor(2);
  auto blue = EffectConstantsFor(3);
  EXPECT_TRUE(sepia.hasOffset && blue.hasOffset);
  EXPECT_GT(sepia.offset[0], 0.0f);  // sepia warms, blue cools
  EXPECT_LT(sepia.offset[2], 0.0f);
  EXPECT_GT(blue.offset[2], 0.0f);
  EXPECT_EQ(std::memcmp(sepia.luma, bw.luma, sizeof bw.luma), 0);
}
