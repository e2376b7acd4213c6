#include "media/picture_size.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

ReadAt Reader(const Bytes& file) {
  return [&file](uint64_t offset, std::span<uint8_t> out) -> size_t {
    if (offset >= file.size()) return 0;
    const size_t n = std::min<size_t>(out.size(), file.size() - offset);
    std::memcpy(out.data(), file.data() + offset, n);
    return n;
  };
}

std::optional<PictureSize> Peek(const Bytes& file) { return PeekPictureSize(Reader(file)); }

void Append(Bytes& b, std::initializer_list<int> values) {
  for (int v : values) b.push_back(static_cast<uint8_t>(v));
}
void Be16(Bytes& b, uint32_t v) { Append(b, {int(v >> 8 & 0xFF), int(v & 0xFF)}); }
void Be32(Bytes& b, uint32_t v) { Be16(b, v >> 16), Be16(b, v & 0xFFFF); }
void Le16(Bytes& b, uint32_t v) { Append(b, {int(v & 0xFF), int(v >> 8 & 0xFF)}); }
void Le32(Bytes& b, uint32_t v) { Le16(b, v & 0xFFFF), Le16(b, v >> 16); }

void ExpectSize(const std::optional<PictureSize>& got, uint32_t w, uint32_t h) {
  ASSERT_TRUE(got.has_value());
  EXPECT_EQ(got->width, w);
  EXPECT_EQ(got->height, h);
}

Bytes Png(uint32_t w, uint32_t h) {
  Bytes b = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Be32(b, 13);
  Append(b, {'I', 'H', 'D', 'R'});
  Be32(b, w), Be32(b, h);
  Append(b, {8, 2, 0, 0, 0, 0, 0, 0, 0});
  return b;
}

// SOI, an APP1 segment, fill bytes, then a frame header of the given kind.
Bytes Jpeg(uint32_t w, uint32_t h, int frame = 0xC0) {
  Bytes b = {0xFF, 0xD8, 0xFF, 0xE1};
  Be16(b, 2 + 300);
  b.resize(b.size() + 300, 0xFF);  // segment body full of marker-like bytes
  Append(b, {0xFF, 0xFF, 0xFF, 0xDB});
  Be16(b, 2 + 65);
  b.resize(b.size() + 65, 1);
  Append(b, {0xFF, 0xC4, 0, 2});  // an empty DHT: not a frame header despite C4
  Append(b, {0xFF, frame});
  Be16(b, 17);
  Append(b, {8});
  Be16(b, h), Be16(b, w);
  Append(b, {3, 1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1});
  return b;
}

// IFD0 placed after 1000 bytes of image data, as libtiff writes it.
Bytes Tiff(bool big, uint32_t w, uint32_t h, uint16_t widthType) {
  Bytes b;
  auto u16 = [&](uint32_t v) { big ? Be16(b, v) : Le16(b, v); };
  auto u32 = [&](uint32_t v) { big ? Be32(b, v) : Le32(b, v); };
  Append(b, {big ? 'M' : 'I', big ? 'M' : 'I'});
  u16(42);
  u32(1008);
  b.resize(1008, 0x55);
  u16(3);
  u16(254), u16(4), u32(1), u32(0);
  u16(256), u16(widthType), u32(1);
  widthType == 3 ? (u16(w), u16(0)) : u32(w);
  u16(257), u16(4), u32(1), u32(h);
  u32(0);
  return b;
}

TEST(PeekPictureSize, ReadsEachFormatsHeader) {
  ExpectSize(Peek(Png(20000, 20000)), 20000, 20000);
  ExpectSize(Peek(Jpeg(16000, 12000)), 16000, 12000);
  ExpectSize(Peek(Jpeg(6000, 4000, 0xC2)), 6000, 4000);  // progressive
  ExpectSize(Peek(Tiff(false, 4000, 3000, 3)), 4000, 3000);
  ExpectSize(Peek(Tiff(true, 70000, 3000, 4)), 70000, 3000);

  Bytes gif = {'G', 'I', 'F', '8', '9', 'a'};
  Le16(gif, 640), Le16(gif, 480);
  ExpectSize(Peek(gif), 640, 480);

  Bytes bmp = {'B', 'M'};
  bmp.resize(14, 0);
  Le32(bmp, 40), Le32(bmp, 3000), Le32(bmp, static_cast<uint32_t>(-4000));  // top-down rows
  bmp.resize(54, 0);
  ExpectSize(Peek(bmp), 3000, 4000);
  Bytes core = {'B', 'M'};
  core.resize(14, 0);
  Le32(core, 12), Le16(core, 300), Le16(core, 200);
  core.resize(26, 0);
  ExpectSize(Peek(core), 300, 200);
}

TEST(PeekPictureSize, UnknownOrCutShortFilesGiveNoSize) {
  EXPECT_FALSE(Peek({}));
  const std::string text = "This is a text file, not a photo.\r\n";
  EXPECT_FALSE(Peek(Bytes(text.begin(), text.end())));
  // Each file with the number of leading bytes that hold its size: PNG's
  // fixed header, the JPEG up to the frame's width, the TIFF up to the end of
  // its height entry.
  const Bytes jpeg = Jpeg(5, 5), littleTiff = Tiff(false, 5, 5, 4), bigTiff = Tiff(true, 5, 5, 3);
  for (const auto& [whole, needed] :
       {std::pair{Png(5, 5), size_t{26}}, std::pair{jpeg, jpeg.size() - 10},
        std::pair{littleTiff, littleTiff.size() - 4}, std::pair{bigTiff, bigTiff.size() - 4}}) {
    EXPECT_TRUE(Peek(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(needed))));
    for (size_t n = 0; n < needed; ++n) {
      EXPECT_FALSE(Peek(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n)))) << n;
    }
  }
}

TEST(PeekPictureSize, JpegWalkEndsAtImageDataAndOnBadLengths) {
  Bytes noFrame = {0xFF, 0xD8, 0xFF, 0xDA, 0, 2};
  EXPECT_FALSE(Peek(noFrame));
  Bytes zeroLength = {0xFF, 0xD8, 0xFF, 0xE0, 0, 0, 0xFF, 0xC0};
  EXPECT_FALSE(Peek(zeroLength));
  Bytes notAMarker = {0xFF, 0xD8, 0x12, 0x34};
  EXPECT_FALSE(Peek(notAMarker));
}

TEST(PeekPictureSize, TiffOffsetsOutsideTheFileGiveNoSize) {
  Bytes b = Tiff(false, 5, 5, 4);
  for (uint32_t offset : {0xFFFFFFFFu, 0xFFFFFFF0u, static_cast<uint32_t>(b.size())}) {
    for (int i = 0; i < 4; ++i) b[4 + i] = static_cast<uint8_t>(offset >> (8 * i));
    EXPECT_FALSE(Peek(b)) << offset;
  }
}

TEST(PictureFitsBudget, CountsFourBytesAPixelWithoutOverflow) {
  EXPECT_TRUE(PictureFitsBudget({1000, 1000}, 4'000'000));
  EXPECT_FALSE(PictureFitsBudget({1000, 1001}, 4'000'000));
  EXPECT_FALSE(PictureFitsBudget({0xFFFFFFFF, 0xFFFFFFFF}, UINT64_MAX));
  EXPECT_TRUE(PictureFitsBudget({0, 0}, 0));
}

}  // namespace
