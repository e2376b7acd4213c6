#pragma once
// Shrinks (or enlarges) part of a decoded picture to the size it is drawn at,
// averaging every source pixel a target pixel covers.

#include <cstdint>
#include <vector>

// 32-bit pixels, blue in the lowest byte and the top byte unused (the layout
// of a 32-bit DIB); rows top first, no padding.
struct PixelView {
  const uint32_t* pixels = nullptr;
  uint32_t width = 0;
  uint32_t height = 0;
};

// A rectangle of the source in its own pixels; it may start and end between pixels.
struct SourceRect {
  double x = 0;
  double y = 0;
  double width = 0;
  double height = 0;
};

// targetWidth x targetHeight pixels, each the mean of the source pixels its
// footprint touches (at least the one under its centre when enlarging). The
// rectangle is clipped to the picture.
std::vector<uint32_t> ResampleArea(PixelView source, SourceRect rect, uint32_t targetWidth, uint32_t targetHeight);
