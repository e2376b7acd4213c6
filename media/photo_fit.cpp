#include "media/photo_fit.h"

int FitModeFromRandom(int r) { return r * 3 / 32767; }

SourceSquare CropSquare(uint32_t width, uint32_t height) {
  if (width >= height) return {(width - height) / 2, 0, height};
  return {0, (height - width) / 2, width};
}

FitRect LetterboxRect(uint32_t width, uint32_t height, int edge) {
  // 64-bit: a side of several million pixels times the edge overflows 32 bits.
  if (width >= height) {
    const auto drawn = static_cast<int32_t>(uint64_t{height} * static_cast<uint32_t>(edge) / width);
    return {0, (edge - drawn) / 2, edge, drawn};
  }
  const auto drawn = static_cast<int32_t>(uint64_t{width} * static_cast<uint32_t>(edge) / height);
  return {(edge - drawn) / 2, 0, drawn, edge};
}

bool LetterboxLandscape(uint32_t width, uint32_t height, int32_t orientation) {
  return width >= height ? orientation <= 4 : orientation > 4;
}
