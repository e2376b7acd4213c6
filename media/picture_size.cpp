#include "media/picture_size.h"

#include <array>
#include <cstring>

namespace {

// A fixed-size read at `offset`, or nullopt when the file ends first.
template <size_t N>
std::optional<std::array<uint8_t, N>> ReadBytes(const ReadAt& read, uint64_t offset) {
  std::array<uint8_t, N> bytes{};
  if (read(offset, bytes) != N) return std::nullopt;
  return bytes;
}

uint32_t Be16(const uint8_t* p) { return uint32_t{p[0]} << 8 | p[1]; }
uint32_t Le16(const uint8_t* p) { return uint32_t{p[1]} << 8 | p[0]; }
uint32_t Be32(const uint8_t* p) { return Be16(p) << 16 | Be16(p + 2); }
uint32_t Le32(const uint8_t* p) { return Le16(p + 2) << 16 | Le16(p); }

std::optional<PictureSize> Png(const uint8_t* head) {
  if (std::memcmp(head + 12, "IHDR", 4) != 0) return std::nullopt;
  return PictureSize{Be32(head + 16), Be32(head + 20)};
}

std::optional<PictureSize> Bmp(const uint8_t* head) {
  if (Le32(head + 14) == 12) return PictureSize{Le16(head + 18), Le16(head + 20)};  // OS/2 core header
  const auto height = static_cast<int32_t>(Le32(head + 22));                        // negative for top-down rows
  const auto width = static_cast<int32_t>(Le32(head + 18));
  auto magnitude = [](int32_t v) { return v < 0 ? 0u - static_cast<uint32_t>(v) : static_cast<uint32_t>(v); };
  return PictureSize{magnitude(width), magnitude(height)};
}

std::optional<PictureSize> Tiff(const ReadAt& read, const uint8_t* head, bool bigEndian) {
  auto u16 = [bigEndian](const uint8_t* p) { return bigEndian ? Be16(p) : Le16(p); };
  auto u32 = [bigEndian](const uint8_t* p) { return bigEndian ? Be32(p) : Le32(p); };
  const uint64_t ifd = u32(head + 4);
  const auto count = ReadBytes<2>(read, ifd);
  if (!count) return std::nullopt;
  PictureSize size;
  const uint32_t entries = u16(count->data());
  for (uint32_t i = 0; i < entries; ++i) {
    const auto entry = ReadBytes<12>(read, ifd + 2 + uint64_t{i} * 12);
    if (!entry) return std::nullopt;
    const uint32_t tag = u16(entry->data());
    const uint32_t type = u16(entry->data() + 2);
    if (tag != 256 && tag != 257) continue;
    // SHORT or LONG, the one value held in the entry itself.
    const uint32_t value = type == 3 ? u16(entry->data() + 8) : type == 4 ? u32(entry->data() + 8) : 0;
    (tag == 256 ? size.width : size.height) = value;
    if (size.width && size.height) return size;
  }
  return std::nullopt;
}

std::optional<PictureSize> Jpeg(const ReadAt& read) {
  // Segments from just after the start-of-image marker up to the first frame
  // header; each step moves forward, so the walk ends with the file.
  uint64_t offset = 2;
  for (int segments = 0; segments < 100000; ++segments) {
    const auto marker = ReadBytes<4>(read, offset);
    if (!marker || (*marker)[0] != 0xFF) return std::nullopt;
    const uint8_t kind = (*marker)[1];
    if (kind == 0xFF) {  // fill byte before a marker
      ++offset;
      continue;
    }
    if (kind == 0xD8 || kind == 0x01 || (kind >= 0xD0 && kind <= 0xD7)) {  // markers without a length
      offset += 2;
      continue;
    }
    if (kind == 0xD9 || kind == 0xDA) return std::nullopt;  // image data before any frame header
    const bool frame = kind >= 0xC0 && kind <= 0xCF && kind != 0xC4 && kind != 0xC8 && kind != 0xCC;
    if (frame) {
      const auto header = ReadBytes<5>(read, offset + 4);
      if (!header) return std::nullopt;
      return PictureSize{Be16(header->data() + 3), Be16(header->data() + 1)};
    }
    const uint32_t length = Be16(marker->data() + 2);
    if (length < 2) return std::nullopt;
    offset += 2 + length;
  }
  return std::nullopt;
}

}  // namespace

std::optional<PictureSize> PeekPictureSize(const ReadAt& read) {
  // Long enough for every fixed header read here (BMP's info header ends at 26).
  std::array<uint8_t, 26> head{};
  const size_t got = read(0, head);
  const uint8_t* h = head.data();
  if (got >= 2 && h[0] == 0xFF && h[1] == 0xD8) return Jpeg(read);
  if (got >= 8 && (std::memcmp(h, "II*\0", 4) == 0 || std::memcmp(h, "MM\0*", 4) == 0))
    return Tiff(read, h, h[0] == 'M');
  if (got >= 10 && (std::memcmp(h, "GIF87a", 6) == 0 || std::memcmp(h, "GIF89a", 6) == 0)) {
    return PictureSize{Le16(h + 6), Le16(h + 8)};
  }
  if (got < head.size()) return std::nullopt;
  if (std::memcmp(h, "\x89PNG\r\n\x1a\n", 8) == 0) return Png(h);
  if (h[0] == 'B' && h[1] == 'M') return Bmp(h);
  return std::nullopt;
}

bool PictureFitsBudget(PictureSize size, uint64_t budget) { return uint64_t{size.width} * size.height <= budget / 4; }
