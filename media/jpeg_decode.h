#pragma once
// Decodes a whole JPEG with libjpeg-turbo, shrunk by its DCT scaling as far
// as the fit onto the staging surface allows, before any of it is drawn: for
// files that may be refused near their end (see jpeg_rows.h for the rest). No
// <windows.h>: the caller opens the file.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <vector>

struct ScaledJpeg {
  uint32_t width = 0;  // the picture as stored
  uint32_t height = 0;
  uint32_t scaledWidth = 0;  // the pixels decoded
  uint32_t scaledHeight = 0;
  int32_t orientation = 0;      // EXIF orientation as stored; 0 when none
  std::vector<uint8_t> pixels;  // blue, green, red, unused; top row first, no padding
};

// nullopt when libjpeg-turbo refuses the file (not a JPEG, damaged, or
// more memory than `memoryLimit` for its own buffers and the pixels): another
// decoder may then try it. Warnings count as damage. `edge` is the staging
// surface's, which sets how far the picture may shrink.
std::optional<ScaledJpeg> DecodeScaledJpeg(std::FILE* file, int fitMode, int edge, size_t memoryLimit);
