#pragma once
// Shrinks (or enlarges) part of a decoded picture to the size it is drawn at
// with a tent filter as wide as the reduction: detail finer than the target
// can hold turns grey instead of into moiré. Enlarging, it interpolates
// between the nearest pixels (bilinear).

#include <cstdint>
#include <functional>
#include <vector>

// 32-bit pixels, blue in the lowest byte and the top byte unused (the layout
// of a 32-bit DIB); rows top first, no padding.
struct PixelView {
  const uint32_t* pixels = nullptr;
  uint32_t width = 0;
  uint32_t height = 0;
};

// A picture handed over row by row, for sources too large to hold twice: each
// row needed is asked for once, top to bottom, and read before the next is
// asked for. A null row means it could not be had.
struct PixelRows {
  uint32_t width = 0;
  uint32_t height = 0;
  std::function<const uint32_t*(uint32_t y)> row;
};

// A rectangle of the source in its own pixels; it may start and end between pixels.
struct SourceRect {
  double x = 0;
  double y = 0;
  double width = 0;
  double height = 0;
};

// targetWidth x targetHeight pixels of `rect`, reading nothing outside it
// (its edge pixels repeat, as do the picture's where it reaches past them). Empty when the target or the source is
// empty, or a row could not be had.
std::vector<uint32_t> ResampleTent(const PixelRows& source, SourceRect rect, uint32_t targetWidth,
                                   uint32_t targetHeight);
std::vector<uint32_t> ResampleTent(PixelView source, SourceRect rect, uint32_t targetWidth, uint32_t targetHeight);

// The target handed over a band of rows at a time, top first: `count` rows
// from `firstRow`, targetWidth pixels each. A large target is then never held
// whole: fresh memory of its size costs more than filtering it. False stops.
using TargetBand = std::function<bool(uint32_t firstRow, uint32_t count, const uint32_t* pixels)>;
bool ResampleTentBands(const PixelRows& source, SourceRect rect, uint32_t targetWidth, uint32_t targetHeight,
                       const TargetBand& band);
bool ResampleTentBands(PixelView source, SourceRect rect, uint32_t targetWidth, uint32_t targetHeight,
                       const TargetBand& band);
