#include "media/jpeg_decode.h"

#include <cstring>

#include "media/jpeg_rows.h"

namespace {

constexpr size_t kBytesPerPixel = 4;

bool AllocatePixels(std::vector<uint8_t>& pixels, size_t bytes) noexcept {
  try {
    pixels.resize(bytes);
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace

std::optional<ScaledJpeg> DecodeScaledJpeg(std::FILE* file, int fitMode, int edge, size_t memoryLimit) {
  std::optional<JpegRows> rows = JpegRows::Open(file, fitMode, edge, memoryLimit);
  if (!rows) return std::nullopt;
  const JpegHeader& header = rows->Header();
  ScaledJpeg out;
  out.width = header.width;
  out.height = header.height;
  out.scaledWidth = header.scaledWidth;
  out.scaledHeight = header.scaledHeight;
  out.orientation = header.orientation;
  const size_t stride = size_t{out.scaledWidth} * kBytesPerPixel;
  if (stride > memoryLimit / out.scaledHeight || !AllocatePixels(out.pixels, stride * out.scaledHeight)) {
    return std::nullopt;
  }
  for (uint32_t y = 0; y < out.scaledHeight; ++y) {
    const uint32_t* row = rows->Row(y);
    if (!row) return std::nullopt;
    std::memcpy(out.pixels.data() + stride * y, row, stride);
  }
  if (!rows->Finish()) return std::nullopt;
  return out;
}
