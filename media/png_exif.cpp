#include "media/png_exif.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "media/exif_orientation.h"

namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// Writers put eXIf among the first chunks; a file with thousands of small
// ones before its picture is not searched to the end.
constexpr int kMaxChunks = 1024;
// IFD0 opens the block; a large block (a thumbnail inside) is read only so far.
constexpr size_t kMaxExifBytes = 64 * 1024;
constexpr uint32_t kMaxChunkLength = 0x7FFFFFFF;

uint32_t BigEndian32(const uint8_t* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

}  // namespace

int32_t PngExifOrientation(const ReadAt& read) {
  uint8_t signature[sizeof kSignature];
  if (read(0, signature) != sizeof signature || std::memcmp(signature, kSignature, sizeof kSignature) != 0) return 0;
  uint64_t offset = sizeof kSignature;
  for (int i = 0; i < kMaxChunks; ++i) {
    uint8_t header[8];
    if (read(offset, header) != sizeof header) return 0;
    const uint32_t length = BigEndian32(header);
    if (length > kMaxChunkLength) return 0;
    const auto type = [&header](const char* name) { return std::memcmp(header + 4, name, 4) == 0; };
    // Readers that stream stop at the picture data; so do we.
    if (type("IDAT") || type("IEND")) return 0;
    if (type("eXIf")) {
      if (length == 0) return 0;
      std::vector<uint8_t> block(std::min<size_t>(length, kMaxExifBytes));
      if (read(offset + sizeof header, block) != block.size()) return 0;
      return TiffOrientation(block);
    }
    offset += sizeof header + uint64_t{length} + 4;  // and the CRC
  }
  return 0;
}
