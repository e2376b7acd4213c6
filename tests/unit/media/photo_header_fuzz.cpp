// libFuzzer target for the two readers of untrusted photo bytes: the input is
// taken both as a JPEG APP1 body and as the start of a photo file.
#include <cstring>

#include "media/exif_orientation.h"
#include "media/picture_size.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ExifOrientation(std::span<const uint8_t>(data, size));
  PeekPictureSize([data, size](uint64_t offset, std::span<uint8_t> out) -> size_t {
    if (offset >= size) return 0;
    const size_t n = std::min<size_t>(out.size(), size - offset);
    std::memcpy(out.data(), data + offset, n);
    return n;
  });
  return 0;
}
