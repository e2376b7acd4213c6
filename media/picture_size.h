#pragma once
// The pixel size a photo file declares in its header, read before any decoder
// allocates for it: PNG, GIF, BMP, TIFF and JPEG. The bytes are untrusted;
// every offset is checked and every walk is bounded.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

struct PictureSize {
  uint32_t width = 0;
  uint32_t height = 0;
};

// Reads up to out.size() bytes at `offset` and returns how many it read.
using ReadAt = std::function<size_t(uint64_t offset, std::span<uint8_t> out)>;

// nullopt when the format is none of the above or its header is cut short.
std::optional<PictureSize> PeekPictureSize(const ReadAt& read);

// Whether decoding the picture to 32 bits per pixel stays within `budget` bytes.
bool PictureFitsBudget(PictureSize size, uint64_t budget);
