#pragma once
// The staging surface's memory as the decoders write it: edge x edge 32-bit
// pixels, blue in the lowest byte and the top byte unused (the layout of a
// 32-bit DIB and of an X8R8G8B8 texture), rows `pitch` bytes apart from the
// top. The loader writes it straight, without GDI in between.

#include <cstddef>
#include <cstdint>

struct StagingPixels {
  uint8_t* bits = nullptr;
  ptrdiff_t pitch = 0;
  int edge = 0;

  uint32_t* Row(int y) const { return reinterpret_cast<uint32_t*>(bits + y * pitch); }
};

// `count` packed rows of `width` pixels put at column x, row y; what falls
// outside the surface is left out.
void WritePixelRows(const StagingPixels& surface, int x, int y, uint32_t width, uint32_t count, const uint32_t* rows);

// Black over columns [x0, x1) of rows [y0, y1), within the surface.
void FillBlack(const StagingPixels& surface, int x0, int y0, int x1, int y1);
