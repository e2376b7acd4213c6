// JPEG decoding through libjpeg-turbo and the other formats through WIC: the
// picture against what GDI+ draws of the same file, orientation from the
// file's own EXIF block, damaged files, four-colour files, and a picture too
// large to decode whole.
#include "media/jpeg_decode.h"

#include <windows.h>

#include <objidl.h>

#include <gdiplus.h>
#include <gtest/gtest.h>

#include <cmath>

// clang-format off: jpeglib.h needs <cstdio> first (from jpeg_decode.h)
#include <jpeglib.h>
// clang-format on

#include "media/decode_photo.h"
#include "media/photo_file.h"
#include "media/wic_photo.h"
#include "session/staging_surface.h"
#include "tests/win32/media/photo_test_support.h"

namespace {

using namespace phototest;
namespace gp = Gdiplus;
namespace gpx = Gdiplus::DllExports;

constexpr int kLetterbox = 0;
constexpr size_t kPlentyOfMemory = size_t{512} << 20;

std::optional<ScaledJpeg> DecodeFile(const std::wstring& path, int fitMode, size_t limit = kPlentyOfMemory) {
  const PhotoFile file = OpenPhotoFile(path.c_str());
  if (!file) return std::nullopt;
  return DecodeScaledJpeg(file.get(), fitMode, kMinStagingEdge, limit);
}

// What GDI+ alone draws of a file with the fit's geometry: the reference the
// scaled decoder is held to.
bool DrawWithGdiplus(SlideshowSession& s, const std::wstring& path, int fitMode) {
  PhotoLayout layout;
  return DecodePhotoFittedByGdiplus(path.c_str(), StagingTargetOf(s), fitMode, layout) == S_OK;
}

// Mean and largest per-channel difference between two surfaces, compared as
// means of 8 x 8 blocks: GDI+ under Wine samples where we average, so single
// pixels of fine texture differ by design, while a shifted, mis-scaled or
// mis-coloured picture moves whole blocks.
struct Difference {
  double mean = 0;
  int largest = 0;
};
Difference Compare(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
  constexpr int kBlock = 8;
  Difference result;
  double total = 0;
  int samples = 0;
  for (int by = 0; by < kMinStagingEdge; by += kBlock) {
    for (int bx = 0; bx < kMinStagingEdge; bx += kBlock) {
      for (int (*channel)(uint32_t) : {Red, Green, Blue}) {
        int sumA = 0, sumB = 0;
        for (int y = by; y < by + kBlock; ++y) {
          for (int x = bx; x < bx + kBlock; ++x) {
            sumA += channel(a[size_t(y) * kMinStagingEdge + x]);
            sumB += channel(b[size_t(y) * kMinStagingEdge + x]);
          }
        }
        const int d = std::abs(sumA - sumB) / (kBlock * kBlock);
        total += d;
        ++samples;
        result.largest = std::max(result.largest, d);
      }
    }
  }
  result.mean = total / samples;
  return result;
}

std::wstring SampleFolder() {
  wchar_t unixPath[1024] = {};
  const DWORD n = GetEnvironmentVariableW(L"BRINDORA_SAMPLE_PHOTOS", unixPath, 1024);
  if (n == 0 || n >= 1024) return L"";
  std::wstring folder = L"Z:";
  for (const wchar_t* c = unixPath; *c; ++c) folder += *c == L'/' ? L'\\' : *c;
  return folder;
}

class JpegDecodeTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(Fixture().empty()) << "BRINDORA_PHOTO_FIXTURES is not set"; }
  HRESULT Decode(const std::wstring& path, int fitMode) {
    staged_.SetFiles({path});
    return DecodePhotoFitted(staged_.session, fitMode);
  }
  StagedSession staged_;
};

TEST_F(JpegDecodeTest, SamplePhotosMatchWhatGdiplusDraws) {
  const std::wstring folder = SampleFolder();
  ASSERT_FALSE(folder.empty()) << "BRINDORA_SAMPLE_PHOTOS is not set";
  WIN32_FIND_DATAW item;
  HANDLE find = FindFirstFileW((folder + L"\\*.jpg").c_str(), &item);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  StagedSession reference;
  int compared = 0;
  do {
    const std::wstring path = folder + L"\\" + item.cFileName;
    for (int fit : {kLetterbox, kFitSquareCrop}) {
      ASSERT_EQ(Decode(path, fit), S_OK) << testing::PrintToString(path);
      ASSERT_TRUE(DrawWithGdiplus(reference.session, path, fit));
      const Difference d = Compare(staged_.Pixels(), reference.Pixels());
      // Measured on the ten samples: means 0.05 to 0.74 levels, the largest
      // block 29 (letterbox borders, where GDI+ blends the picture's edge
      // into the black).
      EXPECT_LE(d.mean, 1.5) << testing::PrintToString(path) << " fit " << fit;
      EXPECT_LE(d.largest, 40) << testing::PrintToString(path) << " fit " << fit;
    }
    ++compared;
  } while (FindNextFileW(find, &item));
  FindClose(find);
  EXPECT_EQ(compared, 10);
}

TEST_F(JpegDecodeTest, EveryFormatWicReadsShowsAsGdiplusDrawsIt) {
  // Flat pictures are checked at the centre too: the first frame of an
  // animation, transparency premultiplied onto black.
  const struct {
    const wchar_t* name;
    uint32_t width, height;
    std::optional<uint32_t> centre;
  } files[] = {{L"decode\\orange_4000x3000.png", 4000, 3000, kOrange},
               {L"decode\\bands_3000x4000.png", 3000, 4000, kGreen},
               {L"decode\\orange_4000x3000_o6.tif", 4000, 3000, kOrange},
               {L"decode\\orange_1030x3.png", 1030, 3, kOrange},
               {L"formats\\photo.png", 800, 600, {}},
               {L"formats\\photo.bmp", 800, 600, {}},
               {L"formats\\photo.gif", 800, 600, {}},
               {L"formats\\photo.tif", 800, 600, {}},
               {L"formats\\photo.ico", 256, 192, {}},
               {L"formats\\photo16.png", 800, 600, {}},
               {L"formats\\grey.png", 800, 600, {}},
               {L"formats\\cmyk.tif", 800, 600, {}},
               {L"formats\\alpha.png", 640, 480, Rgb(100, 50, 25)},
               {L"formats\\animated.gif", 640, 480, kOrange}};
  StagedSession reference;
  for (const auto& file : files) {
    const std::wstring path = Fixture(file.name);
    const auto wic = OpenWicPhoto(path.c_str());
    ASSERT_TRUE(wic) << testing::PrintToString(path);
    EXPECT_EQ(wic->width, file.width);
    EXPECT_EQ(wic->height, file.height);
    for (int fit : {0, kFitSquareCrop}) {
      ASSERT_EQ(Decode(path, fit), S_OK) << testing::PrintToString(path);
      ASSERT_TRUE(DrawWithGdiplus(reference.session, path, fit));
      const std::vector<uint32_t> pixels = staged_.Pixels();
      const Difference d = Compare(pixels, reference.Pixels());
      EXPECT_LE(d.mean, 1.0) << testing::PrintToString(path) << " fit " << fit;
      EXPECT_LE(d.largest, 8) << testing::PrintToString(path) << " fit " << fit;
      const uint32_t centre = pixels[size_t{512} * kMinStagingEdge + 512];
      if (file.centre) {
        EXPECT_TRUE(Near(centre, *file.centre, 2)) << testing::PrintToString(path) << " " << std::hex << centre;
      }
    }
  }
  // Content decides, not the name; what is no picture is no WIC photo.
  EXPECT_FALSE(OpenWicPhoto(Fixture(L"bad\\text.jpg").c_str()));
  EXPECT_FALSE(OpenWicPhoto(Fixture(L"bad\\corrupt.png").c_str()));
}

TEST_F(JpegDecodeTest, DecodesAtTheSmallestScaleThatCoversTheFit) {
  const auto bands = DecodeFile(Fixture(L"jpeg\\bands_3000x4000.jpg"), kLetterbox);
  ASSERT_TRUE(bands);
  EXPECT_EQ(bands->width, 3000u);
  EXPECT_EQ(bands->height, 4000u);
  // 750 x 1000 for a 768 x 1024 letterbox: within a 32nd.
  EXPECT_EQ(bands->scaledWidth, 750u);
  EXPECT_EQ(bands->scaledHeight, 1000u);
  EXPECT_EQ(bands->pixels.size(), size_t{750} * 1000 * 4);

  // The stripes land where the full-size PNG's do: rows 128 and 896; the
  // square crop (rows 500 to 3500) is green. A progressive file's rows come
  // from coefficients held whole, and are skipped above the crop otherwise.
  for (const std::wstring name : {L"jpeg\\bands_3000x4000.jpg", L"jpeg\\bands_3000x4000_progressive.jpg"}) {
    ASSERT_EQ(Decode(Fixture(name), 1), S_OK) << testing::PrintToString(name);
    std::vector<uint32_t> pixels = staged_.Pixels();
    auto at = [&](int x, int y) { return pixels[size_t(y) * kMinStagingEdge + x]; };
    EXPECT_TRUE(Near(at(512, 60), kRed, 8)) << std::hex << at(512, 60);
    EXPECT_TRUE(Near(at(512, 512), kGreen, 8)) << std::hex << at(512, 512);
    EXPECT_TRUE(Near(at(512, 960), kBlue, 8)) << std::hex << at(512, 960);
    EXPECT_EQ(at(100, 512), kBlack);
    EXPECT_EQ(at(923, 512), kBlack);
    EXPECT_FALSE(staged_.session.staged.landscape);
    ASSERT_EQ(Decode(Fixture(name), kFitSquareCrop), S_OK) << testing::PrintToString(name);
    pixels = staged_.Pixels();
    for (int y : {60, 512, 960}) EXPECT_TRUE(Near(at(512, y), kGreen, 8)) << std::hex << at(512, y);
  }
}

TEST_F(JpegDecodeTest, EveryOrientationIsReadFromTheFilesOwnExif) {
  for (int tag = 1; tag <= 8; ++tag) {
    const std::wstring path = Fixture(L"jpeg\\o" + std::to_wstring(tag) + L".jpg");
    const auto jpeg = DecodeFile(path, kLetterbox);
    ASSERT_TRUE(jpeg) << tag;
    EXPECT_EQ(jpeg->orientation, tag);
    ASSERT_EQ(Decode(path, kLetterbox), S_OK) << tag;
    EXPECT_EQ(staged_.session.staged.orientation, tag);
    // A 640 x 480 photo stands upright once turned by 5 to 8.
    EXPECT_EQ(staged_.session.staged.landscape, tag <= 4) << tag;
  }
  ASSERT_EQ(Decode(Fixture(L"jpeg\\orange_640x480.jpg"), kLetterbox), S_OK);
  EXPECT_EQ(staged_.session.staged.orientation, 0);
  ASSERT_EQ(Decode(Fixture(L"decode\\orange_4000x3000_o6.jpg"), kLetterbox), S_OK);
  EXPECT_EQ(staged_.session.staged.orientation, 6);
}

TEST_F(JpegDecodeTest, DamagedFilesAreRefusedAndTheNextPhotoStillDecodes) {
  // libjpeg-turbo refuses them all; WIC then decides. Wine's refuses a
  // cut-short file and shows one with scrambled data as it decodes.
  const struct {
    const wchar_t* name;
    HRESULT byWic;
  } files[] = {{L"bad\\zero.jpg", E_FAIL},
               {L"bad\\text.jpg", E_FAIL},
               {L"bad\\truncated.jpg", E_FAIL},
               {L"bad\\corrupt.jpg", S_OK}};
  for (const auto& file : files) {
    const std::wstring name = file.name;
    EXPECT_FALSE(DecodeFile(Fixture(name), kLetterbox)) << testing::PrintToString(name);
    EXPECT_EQ(Decode(Fixture(name), kLetterbox), file.byWic) << testing::PrintToString(name);
    EXPECT_EQ(Decode(Fixture(L"jpeg\\orange_640x480.jpg"), kLetterbox), S_OK);
  }
  // A PNG is no JPEG.
  EXPECT_FALSE(DecodeFile(Fixture(L"decode\\orange_1000x1000.png"), kLetterbox));
}

// A copy of `source` in the temporary folder with its bytes from `from` to
// `to` (fractions of its length) scrambled and its end marker kept: damage
// that libjpeg-turbo meets only after drawing the rows above it.
std::wstring WriteDamagedCopy(const std::wstring& source, const wchar_t* name, double from, double to) {
  std::vector<uint8_t> bytes;
  if (const PhotoFile in = OpenPhotoFile(source.c_str())) {
    uint8_t chunk[1 << 16];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, in.get())) > 0;) bytes.insert(bytes.end(), chunk, chunk + n);
  }
  for (auto i = static_cast<size_t>(bytes.size() * from); i < static_cast<size_t>(bytes.size() * to); ++i) {
    bytes[i] = static_cast<uint8_t>(bytes[i] * 7 + 13);
  }
  wchar_t folder[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, folder);
  const std::wstring path = std::wstring(folder) + name;
  const PhotoFile out(_wfopen(path.c_str(), L"wb"));
  if (bytes.empty() || !out || std::fwrite(bytes.data(), 1, bytes.size(), out.get()) != bytes.size()) return L"";
  return path;
}

// The surface as WIC alone draws the file in the fit, on black.
std::vector<uint32_t> DrawnByWic(StagedSession& staged, const std::wstring& path, int fitMode) {
  const auto wic = OpenWicPhoto(path.c_str());
  if (!wic) return {};
  staged.Fill(kBlack);
  const SourceSquare square = CropSquare(wic->width, wic->height);
  const bool drawn =
      fitMode == kFitSquareCrop
          ? DrawWicPhoto(StagingTargetOf(staged.session).pixels, *wic,
                         {double(square.x), double(square.y), double(square.side), double(square.side)},
                         {0, 0, kMinStagingEdge, kMinStagingEdge})
          : DrawWicPhoto(StagingTargetOf(staged.session).pixels, *wic, {0, 0, double(wic->width), double(wic->height)},
                         LetterboxRect(wic->width, wic->height, kMinStagingEdge));
  return drawn ? staged.Pixels() : std::vector<uint32_t>{};
}

TEST_F(JpegDecodeTest, AJpegRefusedWhileItIsDrawnEndsOnWhatWicDrawsOfIt) {
  // A portrait photo: its square crop draws only the middle rows, so damage
  // below them shows only in the rows read after the picture is drawn.
  const std::wstring photo = SampleFolder() + L"\\Wine_by_Jakkub_Mede.jpg";
  const struct {
    const wchar_t* name;
    double from, to;
    int fit;
  } files[] = {{L"brindora_damaged_middle.jpg", 0.60, 0.61, kLetterbox},
               {L"brindora_damaged_bottom.jpg", 0.95, 0.96, kFitSquareCrop}};
  StagedSession reference;
  for (const auto& file : files) {
    const std::wstring name = file.name;
    const std::wstring path = WriteDamagedCopy(photo, file.name, file.from, file.to);
    ASSERT_FALSE(path.empty()) << testing::PrintToString(name);
    EXPECT_FALSE(DecodeFile(path, file.fit)) << testing::PrintToString(name);
    ASSERT_EQ(Decode(path, file.fit), S_OK) << testing::PrintToString(name);
    const std::vector<uint32_t> byWic = DrawnByWic(reference, path, file.fit);
    ASSERT_FALSE(byWic.empty()) << testing::PrintToString(name);
    EXPECT_TRUE(staged_.Pixels() == byWic) << testing::PrintToString(name);
  }
  // Of the intact photo, libjpeg-turbo's picture is not WIC's: a picture our
  // decoder left in place would not pass for the fallback's.
  ASSERT_EQ(Decode(photo, kLetterbox), S_OK);
  EXPECT_FALSE(staged_.Pixels() == DrawnByWic(reference, photo, kLetterbox));
}

// A flat 8 x 8 JPEG of the stored (inverted) inks, written as CMYK with
// Adobe's marker, as Photoshop and libjpeg do, or with the marker left out.
std::wstring WriteCmykJpeg(const wchar_t* name, const uint8_t (&inks)[4], bool adobeMarker) {
  wchar_t folder[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, folder);
  const std::wstring path = std::wstring(folder) + name;
  const PhotoFile file(_wfopen(path.c_str(), L"wb"));
  jpeg_compress_struct c{};
  jpeg_error_mgr errors{};
  c.err = jpeg_std_error(&errors);
  jpeg_create_compress(&c);
  jpeg_stdio_dest(&c, file.get());
  c.image_width = c.image_height = 8;
  c.input_components = 4;
  c.in_color_space = JCS_CMYK;
  jpeg_set_defaults(&c);  // stored as CMYK: Adobe's transform 0
  c.write_Adobe_marker = adobeMarker;
  jpeg_start_compress(&c, TRUE);
  uint8_t row[8 * 4];
  for (int i = 0; i < 8 * 4; ++i) row[i] = inks[i % 4];
  for (JSAMPROW line = row; c.next_scanline < 8;) jpeg_write_scanlines(&c, &line, 1);
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  return path;
}

TEST_F(JpegDecodeTest, FourColourJpegsShowTheirInksOnEveryPlatform) {
  // Ink C100 M0 Y100 K22, stored inverted: green (0, 200, 0).
  constexpr uint8_t kGreenInks[4] = {0, 255, 0, 200};
  const struct {
    std::wstring path;
    uint32_t colour;
  } files[] = {{WriteCmykJpeg(L"brindora_adobe_cmyk.jpg", kGreenInks, true), Rgb(0, 200, 0)},
               {WriteCmykJpeg(L"brindora_plain_cmyk.jpg", kGreenInks, false), Rgb(0, 200, 0)},
               {Fixture(L"jpeg\\cmyk.jpg"), kOrange}};  // ImageMagick's, stored as Adobe YCCK
  for (const auto& file : files) {
    EXPECT_TRUE(DecodeFile(file.path, kLetterbox)) << testing::PrintToString(file.path);
    ASSERT_EQ(Decode(file.path, kLetterbox), S_OK) << testing::PrintToString(file.path);
    const uint32_t centre = staged_.Pixels()[size_t{512} * kMinStagingEdge + 512];
    EXPECT_TRUE(Near(centre, file.colour, 4)) << testing::PrintToString(file.path) << " is " << std::hex << centre;
  }
}

TEST_F(JpegDecodeTest, AMemoryLimitRefusesRatherThanExhausts) {
  // 750 x 1000 at four bytes is 3 MB: a 2 MB limit cannot hold it.
  EXPECT_FALSE(DecodeFile(Fixture(L"jpeg\\bands_3000x4000.jpg"), kLetterbox, size_t{2} << 20));
  // A progressive file keeps every coefficient of the full picture (36 MB
  // here) whatever the scale: 30 MB holds the baseline file's needs only.
  const std::wstring progressive = Fixture(L"jpeg\\bands_3000x4000_progressive.jpg");
  EXPECT_TRUE(DecodeFile(Fixture(L"jpeg\\bands_3000x4000.jpg"), kLetterbox, size_t{30} << 20));
  EXPECT_FALSE(DecodeFile(progressive, kLetterbox, size_t{30} << 20));
  const auto whole = DecodeFile(progressive, kLetterbox);
  ASSERT_TRUE(whole);
  EXPECT_EQ(whole->scaledWidth, 750u);
  EXPECT_EQ(whole->scaledHeight, 1000u);
}

TEST_F(JpegDecodeTest, A192MegapixelJpegIsShownFromAnEighthOfIt) {
  const std::wstring path = Fixture(L"jpeg\\big_16000x12000.jpg");
  const auto jpeg = DecodeFile(path, kLetterbox);
  ASSERT_TRUE(jpeg);
  EXPECT_EQ(jpeg->scaledWidth, 2000u);
  EXPECT_EQ(jpeg->scaledHeight, 1500u);

  const DWORD start = GetTickCount();
  ASSERT_EQ(Decode(path, kLetterbox), S_OK);
  // Loose: the show must not stall on it (a full decode took 30 s).
  EXPECT_LT(GetTickCount() - start, 4000u);
  const std::vector<uint32_t> pixels = staged_.Pixels();
  auto at = [&](int x, int y) { return pixels[size_t(y) * kMinStagingEdge + x]; };
  // 1024 x 768 at y 128; the red band is its top 96 rows.
  EXPECT_EQ(at(512, 64), kBlack);
  EXPECT_TRUE(Near(at(512, 170), kRed, 8)) << std::hex << at(512, 170);
  EXPECT_TRUE(Near(at(512, 600), kOrange, 8)) << std::hex << at(512, 600);
}

}  // namespace
