#include "media/resample.h"

#include <algorithm>
#include <cmath>

namespace {

// The source pixels one target pixel reads along one direction, and how much
// of each (weights summing to 1).
struct Taps {
  uint32_t first = 0;
  std::vector<float> weights;
};

// A tent as wide as one target pixel's footprint on either side of its centre
// (at least one source pixel, so that enlarging interpolates). It reads only
// the rectangle asked for, repeating its edge pixels: a crop shows nothing of
// what lies beside it.
std::vector<Taps> TentTaps(double start, double length, uint32_t count, uint32_t limit) {
  std::vector<Taps> taps(count);
  const double step = length / count;
  const double support = std::max(step, 1.0);
  const int64_t low = std::clamp<int64_t>(static_cast<int64_t>(std::floor(start)), 0, int64_t{limit} - 1);
  const int64_t high =
      std::clamp<int64_t>(static_cast<int64_t>(std::ceil(start + length)) - 1, low, int64_t{limit} - 1);
  for (uint32_t i = 0; i < count; ++i) {
    const double centre = start + step * (i + 0.5);
    const auto from = static_cast<int64_t>(std::floor(centre - support - 0.5));
    const auto to = static_cast<int64_t>(std::ceil(centre + support - 0.5));
    const int64_t first = std::clamp(from, low, high);
    std::vector<float>& weights = taps[i].weights;
    weights.assign(static_cast<size_t>(std::clamp(to, low, high) - first + 1), 0.0f);
    double sum = 0;
    for (int64_t j = from; j <= to; ++j) {
      const double w = 1.0 - std::abs(static_cast<double>(j) + 0.5 - centre) / support;
      if (w <= 0) continue;
      weights[static_cast<size_t>(std::clamp(j, low, high) - first)] += static_cast<float>(w);
      sum += w;
    }
    for (float& w : weights) w = static_cast<float>(w / sum);
    taps[i].first = static_cast<uint32_t>(first);
  }
  return taps;
}

uint32_t Pack(const float* bgr) {
  auto channel = [](float v) { return static_cast<uint32_t>(std::clamp(v + 0.5f, 0.0f, 255.0f)); };
  return channel(bgr[0]) | channel(bgr[1]) << 8 | channel(bgr[2]) << 16;
}

void Accumulate(float* sum, uint32_t pixel, float weight) {
  sum[0] += weight * static_cast<float>(pixel & 0xFF);
  sum[1] += weight * static_cast<float>((pixel >> 8) & 0xFF);
  sum[2] += weight * static_cast<float>((pixel >> 16) & 0xFF);
}

}  // namespace

std::vector<uint32_t> ResampleTent(const PixelRows& source, SourceRect rect, uint32_t targetWidth,
                                   uint32_t targetHeight) {
  if (source.width == 0 || source.height == 0 || targetWidth == 0 || targetHeight == 0 || !source.row) return {};
  const std::vector<Taps> columns = TentTaps(rect.x, rect.width, targetWidth, source.width);
  const std::vector<Taps> rows = TentTaps(rect.y, rect.height, targetHeight, source.height);
  // Each target row reads a few consecutive source rows, later rows later:
  // the rows filtered across to the target's width wait in a ring just long
  // enough, so a photo of any height costs a few rows of memory.
  size_t ringRows = 1;
  for (const Taps& taps : rows) ringRows = std::max(ringRows, taps.weights.size());
  std::vector<uint32_t> ring(size_t{targetWidth} * ringRows);
  auto ringRow = [&](uint32_t sy) { return ring.data() + (sy % ringRows) * targetWidth; };
  uint32_t nextRow = rows.front().first;
  float sum[3];

  std::vector<uint32_t> target(size_t{targetWidth} * targetHeight);
  std::vector<float> sums(size_t{targetWidth} * 3);
  for (uint32_t ty = 0; ty < targetHeight; ++ty) {
    const Taps& taps = rows[ty];
    nextRow = std::max(nextRow, taps.first);
    for (; nextRow < taps.first + taps.weights.size(); ++nextRow) {
      const uint32_t* line = source.row(nextRow);
      if (!line) return {};
      uint32_t* out = ringRow(nextRow);
      for (uint32_t tx = 0; tx < targetWidth; ++tx) {
        const Taps& across = columns[tx];
        sum[0] = sum[1] = sum[2] = 0;
        for (size_t k = 0; k < across.weights.size(); ++k) Accumulate(sum, line[across.first + k], across.weights[k]);
        out[tx] = Pack(sum);
      }
    }
    std::fill(sums.begin(), sums.end(), 0.0f);
    for (size_t k = 0; k < taps.weights.size(); ++k) {
      const uint32_t* line = ringRow(static_cast<uint32_t>(taps.first + k));
      for (uint32_t tx = 0; tx < targetWidth; ++tx) Accumulate(&sums[size_t{tx} * 3], line[tx], taps.weights[k]);
    }
    uint32_t* out = target.data() + size_t{ty} * targetWidth;
    for (uint32_t tx = 0; tx < targetWidth; ++tx) out[tx] = Pack(&sums[size_t{tx} * 3]);
  }
  return target;
}

std::vector<uint32_t> ResampleTent(PixelView source, SourceRect rect, uint32_t targetWidth, uint32_t targetHeight) {
  if (!source.pixels) return {};
  const PixelRows rows{source.width, source.height,
                       [source](uint32_t y) { return source.pixels + size_t{y} * source.width; }};
  return ResampleTent(rows, rect, targetWidth, targetHeight);
}
