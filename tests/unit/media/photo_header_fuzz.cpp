// libFuzzer target for the readers of untrusted photo bytes: the input is
// taken both as a JPEG APP1 body and as a photo file.
#include <cstring>

#include "media/exif_orientation.h"
#include "media/picture_size.h"
#include "media/png_exif.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ExifOrientation(std::span<const uint8_t>(data, size));
  const ReadAt read = [data, size](uint64_t offset, std::span<uint8_t> out) -> size_t {
    if (offset >= size) return 0;
    const size_t n = std::min<size_t>(out.size(), size - offset);
    std::memcpy(out.data(), data + offset, n);
    return n;
  };
  PeekPictureSize(read);
  PngExifOrientation(read);
  return 0;
}
