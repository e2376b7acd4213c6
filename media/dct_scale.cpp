#include "media/dct_scale.h"

#include <algorithm>

#include "media/photo_fit.h"

uint32_t DctScaleEighths(uint32_t width, uint32_t height, int fitMode, int edge) {
  if (width == 0 || height == 0) return 8;
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
  // Below one half only a quarter and an eighth: libjpeg-turbo has fast
  // transforms for those.
  for (uint32_t m : {1u, 2u, 4u, 5u, 6u, 7u}) {
    if (NearlyCovers(ScaledSide(width, m), needWidth) && NearlyCovers(ScaledSide(height, m), needHeight)) return m;
  }
  return 8;
}
