#include "media/resample.h"

#include <algorithm>
#include <cmath>

namespace {

struct Span {
  uint32_t first = 0;
  uint32_t end = 0;  // one past the last
};

// The source pixels under each of `count` target pixels along one direction.
std::vector<Span> Footprints(double start, double length, uint32_t count, uint32_t limit) {
  std::vector<Span> spans(count);
  const double step = length / count;
  for (uint32_t i = 0; i < count; ++i) {
    const double from = start + step * i;
    const double to = from + step;
    auto clamp = [limit](double v) { return static_cast<uint32_t>(std::clamp(v, 0.0, double(limit))); };
    uint32_t first = clamp(std::floor(from));
    uint32_t end = clamp(std::ceil(to));
    if (end <= first) {  // enlarging: the pixel under the centre
      first = std::min(clamp(std::floor((from + to) / 2)), limit - 1);
      end = first + 1;
    }
    spans[i] = {first, end};
  }
  return spans;
}

}  // namespace

std::vector<uint32_t> ResampleArea(PixelView source, SourceRect rect, uint32_t targetWidth, uint32_t targetHeight) {
  std::vector<uint32_t> target(size_t{targetWidth} * targetHeight);
  if (!source.pixels || source.width == 0 || source.height == 0 || target.empty()) return target;
  const std::vector<Span> columns = Footprints(rect.x, rect.width, targetWidth, source.width);
  const std::vector<Span> rows = Footprints(rect.y, rect.height, targetHeight, source.height);

  // Channel sums of one target row's columns, over the source rows of its footprint.
  std::vector<uint32_t> sums(size_t{targetWidth} * 3);
  for (uint32_t ty = 0; ty < targetHeight; ++ty) {
    std::fill(sums.begin(), sums.end(), 0);
    for (uint32_t sy = rows[ty].first; sy < rows[ty].end; ++sy) {
      const uint32_t* line = source.pixels + size_t{sy} * source.width;
      for (uint32_t tx = 0; tx < targetWidth; ++tx) {
        uint32_t* sum = &sums[size_t{tx} * 3];
        for (uint32_t sx = columns[tx].first; sx < columns[tx].end; ++sx) {
          const uint32_t p = line[sx];
          sum[0] += p & 0xFF;
          sum[1] += (p >> 8) & 0xFF;
          sum[2] += (p >> 16) & 0xFF;
        }
      }
    }
    const uint32_t rowCount = rows[ty].end - rows[ty].first;
    uint32_t* out = target.data() + size_t{ty} * targetWidth;
    for (uint32_t tx = 0; tx < targetWidth; ++tx) {
      const uint32_t n = rowCount * (columns[tx].end - columns[tx].first);
      const uint32_t* sum = &sums[size_t{tx} * 3];
      out[tx] = (sum[0] + n / 2) / n | ((sum[1] + n / 2) / n) << 8 | ((sum[2] + n / 2) / n) << 16;
    }
  }
  return target;
}
