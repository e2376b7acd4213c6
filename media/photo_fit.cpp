#include "media/photo_fit.h"

int FitModeFromRandom(int r) { return r * 3 / 32767; }

SourceSquare CropSquare(uint32_t width, uint32_t height) {
  if (width >= height) return {(width - height) / 2, 0, height};
  return {0, (height - width) / 2, width};
}

FitRect LetterboxRect(uint32_t width, uint32_t height) {
  // 64-bit: a side of several million pixels times 1024 overflows 32 bits.
  if (width >= height) {
    const auto drawn = static_cast<int32_t>(uint64_t{height} * kStagingEdge / width);
    return {0, (kStagingEdge - drawn) / 2, kStagingEdge, drawn};
  }
  const auto drawn = static_cast<int32_t>(uint64_t{width} * kStagingEdge / height);
  return {(kStagingEdge - drawn) / 2, 0, drawn, kStagingEdge};
}

bool LetterboxLandscape(uint32_t width, uint32_t height, int32_t orientation) {
  return width >= height ? orientation <= 4 : orientation > 4;
}
