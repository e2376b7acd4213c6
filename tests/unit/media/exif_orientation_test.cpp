#include "media/exif_orientation.h"
#include "media/png_exif.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace {

// An APP1 body: "Exif\0\0", a TIFF header in the given byte order, IFD0 at
// `ifdOffset` with the given entries (tag, type, count, value).
struct Entry {
  uint16_t tag;
  uint16_t type;
  uint32_t count;
  uint32_t value;  // SHORT values occupy the first two bytes of the field
};

class App1 {
 public:
  explicit App1(bool bigEndian) : big_(bigEndian) {
    bytes_ = {'E', 'x', 'i', 'f', 0, 0};
    bytes_.push_back(big_ ? 'M' : 'I');
    bytes_.push_back(big_ ? 'M' : 'I');
    U16(42);
  }
  App1& Ifd(uint32_t offset, const std::vector<Entry>& entries, uint16_t declared = 0xFFFF) {
    U32(offset);
    while (bytes_.size() < 6 + offset) bytes_.push_back(0);
    U16(declared == 0xFFFF ? static_cast<uint16_t>(entries.size()) : declared);
    for (const Entry& e : entries) {
      U16(e.tag);
      U16(e.type);
      U32(e.count);
      if (e.type == 3) {
        U16(static_cast<uint16_t>(e.value));
        U16(0);
      } else {
        U32(e.value);
      }
    }
    U32(0);  // no next IFD
    return *this;
  }
  std::vector<uint8_t> bytes() const { return bytes_; }

 private:
  void U16(uint16_t v) {
    const uint8_t hi = static_cast<uint8_t>(v >> 8), lo = static_cast<uint8_t>(v);
    bytes_.insert(bytes_.end(), big_ ? std::initializer_list<uint8_t>{hi, lo} : std::initializer_list<uint8_t>{lo, hi});
  }
  void U32(uint32_t v) {
    U16(static_cast<uint16_t>(big_ ? v >> 16 : v));
    U16(static_cast<uint16_t>(big_ ? v : v >> 16));
  }
  bool big_;
  std::vector<uint8_t> bytes_;
};

int32_t Read(const std::vector<uint8_t>& bytes) { return ExifOrientation(bytes); }

constexpr Entry kWidth{0x0100, 4, 1, 4000};
constexpr Entry kMake{0x010F, 2, 6, 200};

TEST(ExifOrientation, ReadsEveryValueInBothByteOrders) {
  for (bool big : {false, true}) {
    for (uint32_t value = 1; value <= 8; ++value) {
      EXPECT_EQ(Read(App1(big).Ifd(8, {kWidth, kMake, {0x0112, 3, 1, value}}).bytes()), static_cast<int32_t>(value))
          << (big ? "MM " : "II ") << value;
    }
  }
}

TEST(ExifOrientation, ValuesOutsideOneToEightMeanNone) {
  // Every decoder's reader follows the same rule, so none turns what another shows upright.
  EXPECT_EQ(Read(App1(false).Ifd(8, {{0x0112, 3, 1, 9}}).bytes()), 0);
  EXPECT_EQ(Read(App1(true).Ifd(8, {{0x0112, 3, 1, 0xFFFF}}).bytes()), 0);
  EXPECT_EQ(Read(App1(true).Ifd(8, {{0x0112, 3, 1, 0}}).bytes()), 0);
}

// A PNG of the given chunks (type, body) after its signature; CRCs are not read.
std::vector<uint8_t> Png(const std::vector<std::pair<std::string, std::vector<uint8_t>>>& chunks) {
  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  for (const auto& [type, body] : chunks) {
    for (int shift : {24, 16, 8, 0}) png.push_back(static_cast<uint8_t>(body.size() >> shift));
    png.insert(png.end(), type.begin(), type.end());
    png.insert(png.end(), body.begin(), body.end());
    png.insert(png.end(), 4, 0);
  }
  return png;
}

TEST(PngExifOrientation, ReadsTheChunkBeforeThePictureOnly) {
  const auto exif = App1(true).Ifd(8, {kWidth, {0x0112, 3, 1, 6}}).bytes();
  const std::vector<uint8_t> tiff(exif.begin() + 6, exif.end());
  const std::vector<uint8_t> ihdr(13), idat(100);
  const auto whole = Png({{"IHDR", ihdr}, {"eXIf", tiff}});
  const std::vector<uint8_t> cutShort(whole.begin(), whole.end() - 8);  // the CRC and the end of the block
  const struct {
    std::vector<uint8_t> png;
    int32_t orientation;
  } cases[] = {{Png({{"IHDR", ihdr}, {"eXIf", tiff}, {"IDAT", idat}, {"IEND", {}}}), 6},
               {Png({{"IHDR", ihdr}, {"IDAT", idat}, {"eXIf", tiff}, {"IEND", {}}}), 0},
               {Png({{"IHDR", ihdr}, {"eXIf", exif}}), 0},  // an APP1 body is no bare TIFF block
               {Png({{"IHDR", ihdr}}), 0},
               {cutShort, 0}};
  for (size_t i = 0; i < std::size(cases); ++i) {
    const std::vector<uint8_t>& bytes = cases[i].png;
    const int32_t got = PngExifOrientation([&bytes](uint64_t offset, std::span<uint8_t> out) -> size_t {
      if (offset >= bytes.size()) return 0;
      const size_t n = std::min<size_t>(out.size(), bytes.size() - offset);
      std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(offset), n, out.begin());
      return n;
    });
    EXPECT_EQ(got, cases[i].orientation) << i;
  }
}

TEST(ExifOrientation, FollowsAnIfdOffsetBeyondTheHeader) {
  EXPECT_EQ(Read(App1(true).Ifd(40, {{0x0112, 3, 1, 6}}).bytes()), 6);
}

TEST(ExifOrientation, NoTagOrAnotherTypeMeansNone) {
  EXPECT_EQ(Read(App1(false).Ifd(8, {kWidth, kMake}).bytes()), 0);
  EXPECT_EQ(Read(App1(false).Ifd(8, {{0x0112, 4, 1, 6}}).bytes()), 0);  // LONG
  EXPECT_EQ(Read(App1(false).Ifd(8, {{0x0112, 3, 0, 6}}).bytes()), 0);  // no values
  EXPECT_EQ(Read(App1(false).Ifd(8, {}).bytes()), 0);
}

TEST(ExifOrientation, RejectsWhatIsNotAnExifBlock) {
  std::vector<uint8_t> xmp = {'h', 't', 't', 'p', ':', '/', '/', 'n', 's', '.'};
  EXPECT_EQ(Read(xmp), 0);
  EXPECT_EQ(Read({}), 0);
  auto wrongOrder = App1(false).Ifd(8, {{0x0112, 3, 1, 6}}).bytes();
  wrongOrder[6] = 'X';
  EXPECT_EQ(Read(wrongOrder), 0);
  auto wrongMagic = App1(false).Ifd(8, {{0x0112, 3, 1, 6}}).bytes();
  wrongMagic[8] = 43;
  EXPECT_EQ(Read(wrongMagic), 0);
}

TEST(ExifOrientation, EveryCutOfAValidBlockStaysInsideIt) {
  // Each prefix is a truncated segment; the tag's value field is the last
  // thing read, so only the whole entry gives it.
  const auto whole = App1(false).Ifd(8, {kWidth, {0x0112, 3, 1, 6}}).bytes();
  const size_t needed = 6 + 8 + 2 + 2 * 12;
  for (size_t n = 0; n < whole.size(); ++n) {
    const std::vector<uint8_t> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
    EXPECT_EQ(Read(cut), n >= needed ? 6 : 0) << n;
  }
}

TEST(ExifOrientation, OffsetsAndCountsThatPointOutsideAreRefused) {
  for (uint32_t offset : {0xFFFFFFFFu, 0xFFFFFFF0u, 0x80000000u, 1000u}) {
    auto bytes = App1(false).Ifd(8, {{0x0112, 3, 1, 6}}).bytes();
    for (int i = 0; i < 4; ++i) bytes[10 + i] = static_cast<uint8_t>(offset >> (8 * i));
    EXPECT_EQ(Read(bytes), 0) << offset;
  }
  // The IFD claims far more entries than the block holds, and the tag is not among those present.
  EXPECT_EQ(Read(App1(true).Ifd(8, {kWidth}, 0xFFFF - 1).bytes()), 0);
}

}  // namespace
