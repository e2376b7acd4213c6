#include "media/exif_orientation.h"

#include <cstring>

namespace {

constexpr uint16_t kOrientationTag = 0x0112;
constexpr uint16_t kTypeShort = 3;
constexpr size_t kEntryBytes = 12;

// The TIFF block after "Exif\0\0", read in the byte order its header names.
class TiffReader {
 public:
  TiffReader(std::span<const uint8_t> bytes, bool bigEndian) : bytes_(bytes), bigEndian_(bigEndian) {}

  // Whether `length` bytes starting at `offset` lie inside the block.
  bool Holds(uint64_t offset, uint64_t length) const {
    return offset <= bytes_.size() && length <= bytes_.size() - offset;
  }

  uint16_t U16(size_t offset) const {
    const uint8_t* p = bytes_.data() + offset;
    return bigEndian_ ? static_cast<uint16_t>(p[0] << 8 | p[1]) : static_cast<uint16_t>(p[1] << 8 | p[0]);
  }
  uint32_t U32(size_t offset) const {
    const uint32_t high = U16(offset + (bigEndian_ ? 0 : 2));
    const uint32_t low = U16(offset + (bigEndian_ ? 2 : 0));
    return high << 16 | low;
  }

 private:
  std::span<const uint8_t> bytes_;
  bool bigEndian_;
};

}  // namespace

int32_t ExifOrientation(std::span<const uint8_t> app1) {
  static constexpr uint8_t kExifId[] = {'E', 'x', 'i', 'f', 0, 0};
  if (app1.size() < sizeof kExifId || std::memcmp(app1.data(), kExifId, sizeof kExifId) != 0) return 0;
  return TiffOrientation(app1.subspan(sizeof kExifId));
}

int32_t TiffOrientation(std::span<const uint8_t> tiff) {
  if (tiff.size() < 8) return 0;

  bool bigEndian;
  if (tiff[0] == 'I' && tiff[1] == 'I') {
    bigEndian = false;
  } else if (tiff[0] == 'M' && tiff[1] == 'M') {
    bigEndian = true;
  } else {
    return 0;
  }
  const TiffReader reader(tiff, bigEndian);
  if (reader.U16(2) != 42) return 0;

  const uint64_t ifd = reader.U32(4);
  if (!reader.Holds(ifd, 2)) return 0;
  const uint16_t entries = reader.U16(ifd);
  for (uint64_t i = 0; i < entries; ++i) {
    const uint64_t entry = ifd + 2 + i * kEntryBytes;
    if (!reader.Holds(entry, kEntryBytes)) return 0;
    if (reader.U16(entry) != kOrientationTag) continue;
    // A SHORT value of count 1 sits in the entry's own value field.
    if (reader.U32(entry + 4) < 1) return 0;
    return OrientationOf(reader.U16(entry + 2) == kTypeShort, reader.U16(entry + 8));
  }
  return 0;
}
