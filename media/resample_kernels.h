#pragma once
// The inner loops of the tent filter, in fixed point: weights in 14 bits so
// that a pixel times a weight fits 16-bit lanes' products and sums stay far
// inside 32 bits. The plain loops are the reference; the SSE2 ones must give
// the same levels.

#include <cstdint>
#include <vector>

#include "media/resample.h"

constexpr int kWeightBits = 14;
constexpr int32_t kWeightOne = 1 << kWeightBits;

// The source pixels each target pixel reads along one direction: `count`
// from `first`, their weights (summing to kWeightOne) from `offset`.
struct TapSpan {
  uint32_t first = 0;
  uint32_t count = 0;
  uint32_t offset = 0;
};

struct FixedTaps {
  std::vector<TapSpan> spans;
  std::vector<int16_t> weights;
  // The same taps with every span widened to one even count, `padded`, by
  // zero weights, moved left where it would reach past the line's end: loops
  // that read a fixed number of pixels per target pixel use them. 0 when the
  // line is narrower than that count.
  uint32_t padded = 0;
  std::vector<uint32_t> paddedFirst;
  std::vector<int16_t> paddedWeights;  // `padded` per span
};

struct ResampleKernels {
  // out[i] for each span of `taps`, read from one source row.
  void (*across)(const uint32_t* line, const FixedTaps& taps, uint32_t* out);
  // `width` pixels of one target row from `count` rows, each weighted.
  void (*down)(const uint32_t* const* lines, const int16_t* weights, uint32_t count, uint32_t width, uint32_t* out);
};

// One channel's sum back to a level: rounded, and clamped for safety.
constexpr uint32_t FixedLevel(int32_t sum) {
  const int32_t level = (sum + kWeightOne / 2) >> kWeightBits;
  return static_cast<uint32_t>(level < 0 ? 0 : level > 255 ? 255 : level);
}

// One target pixel of the vertical pass: the SIMD loops' leftovers use it too.
// A copy per file: the 32-bit SSE2 file's copy must not stand in for the plain one.
static inline uint32_t DownPixel(const uint32_t* const* lines, const int16_t* weights, uint32_t count, uint32_t x) {
  int32_t blue = 0, green = 0, red = 0;
  for (uint32_t k = 0; k < count; ++k) {
    const uint32_t p = lines[k][x];
    blue += weights[k] * static_cast<int32_t>(p & 0xFF);
    green += weights[k] * static_cast<int32_t>((p >> 8) & 0xFF);
    red += weights[k] * static_cast<int32_t>((p >> 16) & 0xFF);
  }
  return FixedLevel(blue) | FixedLevel(green) << 8 | FixedLevel(red) << 16;
}

const ResampleKernels& PlainKernels();
// Null where the processor or the build has no SSE2.
const ResampleKernels* Sse2Kernels();

FixedTaps TentTaps(double start, double length, uint32_t count, uint32_t limit);

bool ResampleTentBandsWith(const ResampleKernels& kernels, const PixelRows& source, SourceRect rect,
                           uint32_t targetWidth, uint32_t targetHeight, const TargetBand& band);
std::vector<uint32_t> ResampleTentWith(const ResampleKernels& kernels, const PixelRows& source, SourceRect rect,
                                       uint32_t targetWidth, uint32_t targetHeight);
