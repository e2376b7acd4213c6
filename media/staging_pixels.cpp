#include "media/staging_pixels.h"

#include <algorithm>
#include <cstring>

void WritePixelRows(const StagingPixels& surface, int x, int y, uint32_t width, uint32_t count, const uint32_t* rows) {
  if (!surface.bits) return;
  const int64_t left = std::max<int64_t>(x, 0), right = std::min<int64_t>(int64_t{x} + width, surface.edge);
  const int64_t top = std::max<int64_t>(y, 0), bottom = std::min<int64_t>(int64_t{y} + count, surface.edge);
  if (left >= right) return;
  for (int64_t row = top; row < bottom; ++row) {
    const uint32_t* from = rows + static_cast<size_t>(row - y) * width + static_cast<size_t>(left - x);
    std::memcpy(surface.Row(static_cast<int>(row)) + left, from, static_cast<size_t>(right - left) * 4);
  }
}

void FillBlack(const StagingPixels& surface, int x0, int y0, int x1, int y1) {
  if (!surface.bits) return;
  const int left = std::max(x0, 0), right = std::min(x1, surface.edge);
  if (left >= right) return;
  for (int row = std::max(y0, 0); row < std::min(y1, surface.edge); ++row) {
    std::memset(surface.Row(row) + left, 0, static_cast<size_t>(right - left) * 4);
  }
}
