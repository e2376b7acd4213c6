#include "media/dct_scale.h"

#include <algorithm>

#include "media/photo_fit.h"

uint32_t DctScaleDenominator(uint32_t width, uint32_t height, int fitMode, int edge) {
  if (width == 0 || height == 0) return 1;
  uint32_t needWidth, needHeight;
  if (fitMode == kFitSquareCrop) {
    // The square spans the shorter side; it must still reach the surface edge.
    width = height = std::min(width, height);
    needWidth = needHeight = static_cast<uint32_t>(edge);
  } else {
    const FitRect rect = LetterboxRect(width, height, edge);
    needWidth = static_cast<uint32_t>(rect.width);
    needHeight = static_cast<uint32_t>(rect.height);
  }
  for (uint32_t n : {8u, 4u, 2u}) {
    if (NearlyCovers(ScaledSide(width, n), needWidth) && NearlyCovers(ScaledSide(height, n), needHeight)) return n;
  }
  return 1;
}
