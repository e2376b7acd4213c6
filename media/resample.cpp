#include "media/resample.h"

#include <algorithm>
#include <cmath>

#include "media/resample_kernels.h"

namespace {

void PadTaps(FixedTaps& taps, uint32_t limit) {
  uint32_t most = 0;
  for (const TapSpan& span : taps.spans) most = std::max(most, span.count);
  const uint32_t padded = (most + 1) & ~1u;
  if (padded > limit) return;
  taps.padded = padded;
  taps.paddedFirst.reserve(taps.spans.size());
  taps.paddedWeights.assign(taps.spans.size() * padded, 0);
  int16_t* weights = taps.paddedWeights.data();
  for (const TapSpan& span : taps.spans) {
    const uint32_t first = std::min(span.first, limit - padded);
    taps.paddedFirst.push_back(first);
    std::copy_n(taps.weights.begin() + span.offset, span.count, weights + (span.first - first));
    weights += padded;
  }
}

}  // namespace

// A tent as wide as one target pixel's footprint on either side of its centre
// (at least one source pixel, so that enlarging interpolates). It reads only
// the rectangle asked for, repeating its edge pixels: a crop shows nothing of
// what lies beside it.
FixedTaps TentTaps(double start, double length, uint32_t count, uint32_t limit) {
  FixedTaps taps;
  taps.spans.resize(count);
  const double step = length / count;
  const double support = std::max(step, 1.0);
  const int64_t low = std::clamp<int64_t>(static_cast<int64_t>(std::floor(start)), 0, int64_t{limit} - 1);
  const int64_t high =
      std::clamp<int64_t>(static_cast<int64_t>(std::ceil(start + length)) - 1, low, int64_t{limit} - 1);
  std::vector<double> weights;
  for (uint32_t i = 0; i < count; ++i) {
    const double centre = start + step * (i + 0.5);
    const auto from = static_cast<int64_t>(std::floor(centre - support - 0.5));
    const auto to = static_cast<int64_t>(std::ceil(centre + support - 0.5));
    int64_t first = std::clamp(from, low, high);
    weights.assign(static_cast<size_t>(std::clamp(to, low, high) - first + 1), 0.0);
    double sum = 0;
    for (int64_t j = from; j <= to; ++j) {
      const double w = 1.0 - std::abs(static_cast<double>(j) + 0.5 - centre) / support;
      if (w <= 0) continue;
      weights[static_cast<size_t>(std::clamp(j, low, high) - first)] += w;
      sum += w;
    }
    // The tent's ends touch pixels it gives no weight: reading them would
    // only cost (enlarging, two of every four).
    while (weights.size() > 1 && weights.back() == 0) weights.pop_back();
    const auto unused = std::find_if(weights.begin(), weights.end() - 1, [](double w) { return w != 0; });
    first += unused - weights.begin();
    weights.erase(weights.begin(), unused);
    // Rounded to fixed point, the largest weight takes the rounding's remainder
    // so that the weights sum to one exactly and a flat picture stays flat.
    TapSpan& span = taps.spans[i];
    span = {static_cast<uint32_t>(first), static_cast<uint32_t>(weights.size()),
            static_cast<uint32_t>(taps.weights.size())};
    int32_t total = 0;
    for (double w : weights) {
      taps.weights.push_back(static_cast<int16_t>(std::lround(w / sum * kWeightOne)));
      total += taps.weights.back();
    }
    const auto largest = std::max_element(taps.weights.begin() + span.offset, taps.weights.end());
    *largest = static_cast<int16_t>(*largest + kWeightOne - total);
  }
  PadTaps(taps, limit);
  return taps;
}

namespace {

void AcrossPlain(const uint32_t* line, const FixedTaps& taps, uint32_t* out) {
  for (const TapSpan& span : taps.spans) {
    const uint32_t* source = line + span.first;
    const int16_t* weights = taps.weights.data() + span.offset;
    int32_t blue = 0, green = 0, red = 0;
    for (uint32_t k = 0; k < span.count; ++k) {
      blue += weights[k] * static_cast<int32_t>(source[k] & 0xFF);
      green += weights[k] * static_cast<int32_t>((source[k] >> 8) & 0xFF);
      red += weights[k] * static_cast<int32_t>((source[k] >> 16) & 0xFF);
    }
    *out++ = FixedLevel(blue) | FixedLevel(green) << 8 | FixedLevel(red) << 16;
  }
}

void DownPlain(const uint32_t* const* lines, const int16_t* weights, uint32_t count, uint32_t width, uint32_t* out) {
  for (uint32_t x = 0; x < width; ++x) out[x] = DownPixel(lines, weights, count, x);
}

}  // namespace

const ResampleKernels& PlainKernels() {
  static constexpr ResampleKernels kPlain{AcrossPlain, DownPlain};
  return kPlain;
}

bool ResampleTentBandsWith(const ResampleKernels& kernels, const PixelRows& source, SourceRect rect,
                           uint32_t targetWidth, uint32_t targetHeight, const TargetBand& band) {
  if (source.width == 0 || source.height == 0 || targetWidth == 0 || targetHeight == 0 || !source.row) return false;
  const FixedTaps columns = TentTaps(rect.x, rect.width, targetWidth, source.width);
  const FixedTaps rows = TentTaps(rect.y, rect.height, targetHeight, source.height);
  // Each target row reads a few consecutive source rows, later rows later:
  // the rows filtered across to the target's width wait in a ring just long
  // enough, so a photo of any height costs a few rows of memory.
  size_t ringRows = 1;
  for (const TapSpan& span : rows.spans) ringRows = std::max<size_t>(ringRows, span.count);
  std::vector<uint32_t> ring(size_t{targetWidth} * ringRows);
  auto ringRow = [&](uint32_t sy) { return ring.data() + (sy % ringRows) * targetWidth; };
  std::vector<const uint32_t*> lines(ringRows);
  uint32_t nextRow = rows.spans.front().first;

  // About a megabyte of target rows at a time.
  const uint32_t bandRows = std::clamp<uint32_t>((1u << 18) / targetWidth, 1, targetHeight);
  std::vector<uint32_t> target(size_t{targetWidth} * bandRows);
  for (uint32_t ty = 0; ty < targetHeight; ++ty) {
    const TapSpan& span = rows.spans[ty];
    nextRow = std::max(nextRow, span.first);
    for (; nextRow < span.first + span.count; ++nextRow) {
      const uint32_t* line = source.row(nextRow);
      if (!line) return false;
      kernels.across(line, columns, ringRow(nextRow));
    }
    for (uint32_t k = 0; k < span.count; ++k) lines[k] = ringRow(span.first + k);
    const uint32_t inBand = ty % bandRows;
    kernels.down(lines.data(), rows.weights.data() + span.offset, span.count, targetWidth,
                 target.data() + size_t{inBand} * targetWidth);
    if ((inBand + 1 == bandRows || ty + 1 == targetHeight) && !band(ty - inBand, inBand + 1, target.data())) {
      return false;
    }
  }
  return true;
}

std::vector<uint32_t> ResampleTentWith(const ResampleKernels& kernels, const PixelRows& source, SourceRect rect,
                                       uint32_t targetWidth, uint32_t targetHeight) {
  std::vector<uint32_t> target;
  const bool whole = ResampleTentBandsWith(kernels, source, rect, targetWidth, targetHeight,
                                           [&](uint32_t, uint32_t count, const uint32_t* pixels) {
                                             target.insert(target.end(), pixels, pixels + size_t{count} * targetWidth);
                                             return true;
                                           });
  return whole ? target : std::vector<uint32_t>{};
}

namespace {

const ResampleKernels& FastestKernels() {
  const ResampleKernels* fast = Sse2Kernels();
  return fast ? *fast : PlainKernels();
}

PixelRows RowsOf(PixelView source) {
  return {source.width, source.height, [source](uint32_t y) { return source.pixels + size_t{y} * source.width; }};
}

}  // namespace

std::vector<uint32_t> ResampleTent(const PixelRows& source, SourceRect rect, uint32_t targetWidth,
                                   uint32_t targetHeight) {
  return ResampleTentWith(FastestKernels(), source, rect, targetWidth, targetHeight);
}

std::vector<uint32_t> ResampleTent(PixelView source, SourceRect rect, uint32_t targetWidth, uint32_t targetHeight) {
  if (!source.pixels) return {};
  return ResampleTent(RowsOf(source), rect, targetWidth, targetHeight);
}

bool ResampleTentBands(const PixelRows& source, SourceRect rect, uint32_t targetWidth, uint32_t targetHeight,
                       const TargetBand& band) {
  return ResampleTentBandsWith(FastestKernels(), source, rect, targetWidth, targetHeight, band);
}

bool ResampleTentBands(PixelView source, SourceRect rect, uint32_t targetWidth, uint32_t targetHeight,
                       const TargetBand& band) {
  return source.pixels && ResampleTentBands(RowsOf(source), rect, targetWidth, targetHeight, band);
}
