#include "media/decode_photo.h"
#include "session/staging_surface.h"

#include <windows.h>

#include <psapi.h>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <set>

#include "media/photo_budget.h"
#include "media/wic_photo.h"
#include "tests/win32/media/photo_test_support.h"

namespace {

using namespace phototest;

// JPEG quantisation moves a flat colour by a few levels.
constexpr int kJpegTolerance = 4;

// Expected colour at a surface pixel, or nullopt where any colour will do.
using Expectation = std::function<std::optional<uint32_t>(int x, int y)>;

// Compares every pixel and reports the first few misses and their count.
void ExpectSurface(const std::vector<uint32_t>& pixels, const Expectation& expect, int tolerance) {
  ASSERT_EQ(pixels.size(), size_t{kMinStagingEdge} * kMinStagingEdge);
  int misses = 0;
  for (int y = 0; y < kMinStagingEdge; ++y) {
    for (int x = 0; x < kMinStagingEdge; ++x) {
      const std::optional<uint32_t> want = expect(x, y);
      const uint32_t got = pixels[size_t(y) * kMinStagingEdge + x];
      if (want && !Near(got, *want, tolerance) && ++misses <= 5) {
        ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << got << ", expected " << *want;
      }
    }
  }
  EXPECT_EQ(misses, 0);
}

// Whether v lies within `slack` pixels of a border at `line`.
bool NearLine(int v, int line, int slack) { return v >= line - slack && v < line + slack; }

// Black around rectangle r, the picture inside it. Scaling may blend the
// picture's border with what lies outside the source (GDI+ does so on the
// right and bottom edges when it enlarges): within `slack` pixels of a border
// of r any colour is accepted.
Expectation Letterboxed(FitRect r, std::function<std::optional<uint32_t>(int x, int y)> picture, int slack) {
  return [=](int x, int y) -> std::optional<uint32_t> {
    if (NearLine(x, r.x, slack) || NearLine(x, r.x + r.width, slack) || NearLine(y, r.y, slack) ||
        NearLine(y, r.y + r.height, slack)) {
      return std::nullopt;
    }
    if (x < r.x || x >= r.x + r.width || y < r.y || y >= r.y + r.height) return kBlack;
    return picture(x, y);
  };
}

Expectation Solid(FitRect r, uint32_t colour, int slack) {
  return Letterboxed(
      r, [colour](int, int) { return colour; }, slack);
}

SIZE_T PeakWorkingSet() {
  PROCESS_MEMORY_COUNTERS counters{};
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return counters.PeakWorkingSetSize;
}

class DecodePhotoTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(Fixture().empty()) << "BRINDORA_PHOTO_FIXTURES is not set";
    staged_.Fill(kSentinel);
  }
  HRESULT Decode(const std::wstring& relative, int fitMode) {
    staged_.SetFiles({Fixture(relative)});
    return DecodePhotoFitted(session(), fitMode);
  }
  SlideshowSession& session() { return staged_.session; }

  StagedSession staged_;
};

TEST_F(DecodePhotoTest, LandscapeLetterboxSitsCentredOnBlack) {
  ASSERT_EQ(Decode(L"decode\\orange_4000x3000.png", 0), S_OK);
  EXPECT_EQ(session().staged.fitMode, 0);
  EXPECT_EQ(session().staged.orientation, 0);
  EXPECT_TRUE(session().staged.landscape);
  ExpectSurface(staged_.Pixels(), Solid({0, 128, 1024, 768}, kOrange, 0), 0);
}

TEST_F(DecodePhotoTest, SmallPhotosKeepTheirOwnColourUpToTheirEdges) {
  // Enlarged, a photo's edge pixels must not blend with what lies beyond it.
  ASSERT_EQ(Decode(L"decode\\orange_1x1.png", 0), S_OK);
  ExpectSurface(staged_.Pixels(), Solid({0, 0, 1024, 1024}, kOrange, 0), 0);
  ASSERT_EQ(Decode(L"decode\\orange_16x12.png", 0), S_OK);
  ExpectSurface(staged_.Pixels(), Solid({0, 128, 1024, 768}, kOrange, 0), 0);
}

TEST_F(DecodePhotoTest, JpegTakesTheSamePath) {
  ASSERT_EQ(Decode(L"decode\\orange_4000x3000.jpg", 1), S_OK);
  EXPECT_EQ(session().staged.fitMode, 1);
  EXPECT_TRUE(session().staged.landscape);
  ExpectSurface(staged_.Pixels(), Solid({0, 128, 1024, 768}, kOrange, 1), kJpegTolerance);
}

TEST_F(DecodePhotoTest, QuarterTurnOrientationKeepsThePixelsAndClearsLandscape) {
  ASSERT_EQ(Decode(L"decode\\orange_4000x3000_o6.tif", 0), S_OK);
  EXPECT_EQ(session().staged.orientation, 6);
  EXPECT_FALSE(session().staged.landscape);
  ExpectSurface(staged_.Pixels(), Solid({0, 128, 1024, 768}, kOrange, 1), 0);
}

TEST_F(DecodePhotoTest, JpegOrientationIsReadOnEveryPlatform) {
  // Read from the file's own EXIF block, not from GDI+ (Wine's offers none).
  ASSERT_EQ(Decode(L"decode\\orange_4000x3000_o6.jpg", 0), S_OK);
  EXPECT_EQ(session().staged.orientation, 6);
  EXPECT_FALSE(session().staged.landscape);
}

TEST_F(DecodePhotoTest, PortraitLetterboxShowsTheWholePicture) {
  ASSERT_EQ(Decode(L"decode\\bands_3000x4000.png", 1), S_OK);
  EXPECT_FALSE(session().staged.landscape);
  // Stripes at source rows 500 and 3500 land on surface rows 128 and 896.
  auto stripes = [](int, int y) -> std::optional<uint32_t> {
    if (NearLine(y, 128, 1) || NearLine(y, 896, 1)) return std::nullopt;
    return y < 128 ? kRed : y < 896 ? kGreen : kBlue;
  };
  ExpectSurface(staged_.Pixels(), Letterboxed({128, 0, 768, 1024}, stripes, 1), 0);
}

TEST_F(DecodePhotoTest, SquareCropFillsTheSurfaceWithTheCentre) {
  ASSERT_EQ(Decode(L"decode\\bands_3000x4000.png", kFitSquareCrop), S_OK);
  EXPECT_EQ(session().staged.fitMode, kFitSquareCrop);
  EXPECT_TRUE(session().staged.landscape);
  ExpectSurface(staged_.Pixels(), Solid({0, 0, 1024, 1024}, kGreen, 0), 0);

  // Source x 500 of a 4001-wide picture: the red columns end right at the
  // crop and the blue ones begin right after it.
  staged_.Fill(kSentinel);
  ASSERT_EQ(Decode(L"decode\\bands_4001x3000.png", kFitSquareCrop), S_OK);
  ExpectSurface(staged_.Pixels(), Solid({0, 0, 1024, 1024}, kGreen, 0), 0);
}

TEST_F(DecodePhotoTest, SquareCropIsLandscapeWhateverTheOrientation) {
  session().staged.landscape = false;
  ASSERT_EQ(Decode(L"decode\\orange_4000x3000_o6.tif", kFitSquareCrop), S_OK);
  EXPECT_EQ(session().staged.orientation, 6);
  EXPECT_TRUE(session().staged.landscape);
}

TEST_F(DecodePhotoTest, SquareSourceLetterboxFillsTheSurface) {
  ASSERT_EQ(Decode(L"decode\\orange_1000x1000.png", 3), S_OK);
  EXPECT_TRUE(session().staged.landscape);
  ExpectSurface(staged_.Pixels(), Solid({0, 0, 1024, 1024}, kOrange, 1), 0);

  ASSERT_EQ(Decode(L"decode\\orange_1000x1000_o8.tif", 0), S_OK);
  EXPECT_EQ(session().staged.orientation, 8);
  EXPECT_FALSE(session().staged.landscape);
}

TEST_F(DecodePhotoTest, ThinPictureBecomesTwoRows) {
  ASSERT_EQ(Decode(L"decode\\orange_1030x3.png", 0), S_OK);
  ExpectSurface(staged_.Pixels(), Solid({0, 511, 1024, 2}, kOrange, 0), 0);
}

TEST_F(DecodePhotoTest, AFailureKeepsTheSurfaceAndTheFitButClearsTheOrientation) {
  ASSERT_EQ(Decode(L"decode\\orange_4000x3000_o6.tif", 0), S_OK);
  const std::vector<uint32_t> before = staged_.Pixels();
  ASSERT_EQ(Decode(L"bad\\text.jpg", kFitSquareCrop), E_FAIL);
  EXPECT_EQ(session().staged.orientation, 0);
  EXPECT_EQ(session().staged.fitMode, 0);
  EXPECT_FALSE(session().staged.landscape);
  EXPECT_TRUE(staged_.Pixels() == before);
}

TEST_F(DecodePhotoTest, BadFilesFailCleanly) {
  for (const wchar_t* name :
       {L"bad\\zero.jpg", L"bad\\text.jpg", L"bad\\corrupt.png", L"bad\\missing.jpg", L"nowhere\\missing.png"}) {
    EXPECT_EQ(Decode(name, 0), E_FAIL) << testing::PrintToString(std::wstring(name));
  }
}

TEST_F(DecodePhotoTest, ATruncatedJpegIsRefusedAndTheSurfaceKept) {
  // libjpeg-turbo refuses a cut-short file rather than show its grey fill, and
  // Wine's WIC refuses it too (Windows' shows it filled).
  EXPECT_EQ(Decode(L"bad\\truncated.jpg", 0), E_FAIL);
  ExpectSurface(staged_.Pixels(), Solid({0, 0, 1024, 1024}, kSentinel, 0), 0);
  EXPECT_EQ(Decode(L"decode\\orange_1000x1000.png", 0), S_OK);
}

TEST_F(DecodePhotoTest, AnOverrunningRunLengthBitmapShowsBlackWhereItsRunsSetNothing) {
  // Its one orange row at the bottom, black above, the same pixels every time:
  // never what a red picture of the same size decoded before it left behind.
  auto shown = [](int, int y) -> std::optional<uint32_t> {
    if (NearLine(y, 960, 32)) return std::nullopt;
    return y < 960 ? kBlack : kOrange;
  };
  std::vector<uint32_t> first;
  for (int pass = 0; pass < 2; ++pass) {
    ASSERT_EQ(Decode(L"bad\\red_rle8.bmp", 0), S_OK);
    ExpectSurface(staged_.Pixels(), Solid({0, 0, 1024, 1024}, kRed, 0), 0);
    ASSERT_EQ(Decode(L"bad\\overrun_rle8.bmp", pass ? kFitSquareCrop : 0), S_OK);
    const std::vector<uint32_t> pixels = staged_.Pixels();
    ExpectSurface(pixels, shown, 0);
    if (pass) {
      EXPECT_TRUE(pixels == first);
    }
    first = pixels;
  }
}

TEST_F(DecodePhotoTest, AFileThatCannotBeOpenedFails) {
  // Running as root makes file modes meaningless; an exclusive open denies
  // reading just the same.
  const std::wstring path = Fixture(L"decode\\orange_1000x1000.png");
  HANDLE locked = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(locked, INVALID_HANDLE_VALUE);
  const HRESULT hr = Decode(L"decode\\orange_1000x1000.png", 0);
  CloseHandle(locked);
  EXPECT_EQ(hr, E_FAIL);
}

TEST_F(DecodePhotoTest, AnOversizedPictureFailsWithoutTakingTheProcessDown) {
  // 20000 x 20000 decodes to about 1.6 GB: more than a 32-bit process has,
  // and more than the budget when less than four times that is free.
  const bool fits = PhotoFitsMemory(Fixture(L"bad\\huge_20000x20000.png").c_str());
  if (sizeof(void*) == 4) {
    EXPECT_FALSE(fits);
  }
  const SIZE_T peakBefore = PeakWorkingSet();
  const HRESULT hr = Decode(L"bad\\huge_20000x20000.png", 0);
  if (fits) {
    ASSERT_EQ(hr, S_OK);
    ExpectSurface(staged_.Pixels(), Solid({0, 0, 1024, 1024}, kOrange, 0), 0);
    // Codec and bands together: read whole at 32 bits, with the codec's own
    // copy, it would take twice the budget here.
    EXPECT_LE(PeakWorkingSet() - peakBefore, PhotoMemoryBudget());
  } else {
    EXPECT_EQ(hr, E_FAIL);
    EXPECT_EQ(staged_.Pixels().front(), kSentinel);
  }
  EXPECT_EQ(Decode(L"decode\\orange_1000x1000.png", 0), S_OK);
}

TEST_F(DecodePhotoTest, APictureDeclaredLargerThanMemoryIsSkippedBeforeDecoding) {
  // The header alone decides: no decoder gets to allocate for it.
  const std::wstring claims = Fixture(L"bad\\claims_60000x60000.png");
  EXPECT_FALSE(PhotoFitsMemory(claims.c_str()));
  EXPECT_EQ(Decode(L"bad\\claims_60000x60000.png", 0), E_FAIL);
  if (sizeof(void*) == 4) {
    EXPECT_FALSE(PhotoFitsMemory(Fixture(L"bad\\huge_20000x20000.png").c_str()));
  }
  EXPECT_TRUE(PhotoFitsMemory(Fixture(L"decode\\orange_4000x3000.png").c_str()));
  // Files whose size cannot be read are left to the decoder.
  EXPECT_TRUE(PhotoFitsMemory(Fixture(L"bad\\text.jpg").c_str()));
  EXPECT_TRUE(PhotoFitsMemory(Fixture(L"bad\\missing.png").c_str()));
}

TEST_F(DecodePhotoTest, GdiplusIsStartedOnlyForAMetafile) {
  ASSERT_EQ(Decode(L"formats\\photo.tif", 0), S_OK);
  EXPECT_FALSE(session().stagingGdiplus.token);
  // An orange rectangle recorded as a metafile, which no WIC codec reads.
  wchar_t folder[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, folder);
  const std::wstring path = std::wstring(folder) + L"brindora_orange.emf";
  HDC recorder = CreateEnhMetaFileW(nullptr, path.c_str(), nullptr, nullptr);
  HBRUSH orange = CreateSolidBrush(RGB(200, 100, 50));
  const RECT rect{0, 0, 400, 300};
  FillRect(recorder, &rect, orange);
  DeleteObject(orange);
  DeleteEnhMetaFile(CloseEnhMetaFile(recorder));
  EXPECT_FALSE(OpenWicPhoto(path.c_str()));
  staged_.SetFiles({path});
  ASSERT_EQ(DecodePhotoFitted(session(), 0), S_OK);
  EXPECT_TRUE(session().stagingGdiplus.graphics);
  EXPECT_TRUE(Near(staged_.Pixels()[size_t{512} * kMinStagingEdge + 512], kOrange, 2));
}

TEST_F(DecodePhotoTest, OrientationFollowsOneRuleInEveryFormat) {
  const struct {
    const wchar_t* name;
    int32_t orientation;
  } files[] = {{L"formats\\o6.png", 6},
               {L"formats\\o9.png", 0},
               {L"formats\\o6_long.png", 0},
               {L"formats\\photo.png", 0},
               {L"decode\\orange_4000x3000_o6.tif", 6},
               {L"decode\\orange_1000x1000_o8.tif", 8},
               {L"small\\o3.tif", 3},
               {L"decode\\orange_4000x3000_o6.jpg", 6}};
  for (const auto& file : files) {
    session().staged.orientation = -1;
    ASSERT_EQ(Decode(file.name, 0), S_OK) << testing::PrintToString(std::wstring(file.name));
    EXPECT_EQ(session().staged.orientation, file.orientation) << testing::PrintToString(std::wstring(file.name));
  }
}

TEST_F(DecodePhotoTest, AwkwardButValidPathsDecode) {
  EXPECT_EQ(Decode(L"odd\\\u0444\u043e\u0442\u043e \u00e9t\u00e9 \u5199\u771f.png", 0), S_OK);

  WIN32_FIND_DATAW item;
  HANDLE find = FindFirstFileW(Fixture(L"odd\\long\\*.png").c_str(), &item);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  FindClose(find);
  const std::wstring longPath = Fixture(L"odd\\long\\") + item.cFileName;
  ASSERT_EQ(longPath.size(), 259u);
  staged_.SetFiles({longPath});
  EXPECT_EQ(DecodePhotoFitted(session(), 0), S_OK);
}

TEST_F(DecodePhotoTest, AnIndexOutsideTheListTouchesNothing) {
  staged_.SetFiles({Fixture(L"decode\\orange_1000x1000.png")});
  session().photoIndex = 1;
  session().staged.orientation = 7;
  EXPECT_EQ(DecodePhotoFitted(session(), 0), E_INVALIDARG);
  EXPECT_EQ(session().staged.orientation, 7);
}

TEST_F(DecodePhotoTest, TheRandomFitDrawsEveryCommonMode) {
  staged_.SetFiles({Fixture(L"decode\\orange_1030x3.png")});
  std::set<int> seen;
  for (int i = 0; i < 30; ++i) {
    ASSERT_EQ(DecodePhoto(session()), S_OK);
    ASSERT_GE(session().staged.fitMode, 0);
    ASSERT_LE(session().staged.fitMode, 3);
    seen.insert(session().staged.fitMode);
  }
  // Each of 0, 1, 2 has a one-in-three chance per draw (all three appear in 30
  // draws but for odds of 1 in 60000); 3 is one in 32768.
  for (int mode : {0, 1, 2}) EXPECT_TRUE(seen.count(mode)) << mode;
}

TEST_F(DecodePhotoTest, EverySamplePhotoDecodes) {
  wchar_t unixPath[1024] = {};
  const DWORD n = GetEnvironmentVariableW(L"BRINDORA_SAMPLE_PHOTOS", unixPath, 1024);
  ASSERT_TRUE(n > 0 && n < 1024) << "BRINDORA_SAMPLE_PHOTOS is not set";
  std::wstring folder = L"Z:";
  for (const wchar_t* c = unixPath; *c; ++c) folder += *c == L'/' ? L'\\' : *c;

  WIN32_FIND_DATAW item;
  HANDLE find = FindFirstFileW((folder + L"\\*.jpg").c_str(), &item);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  int decoded = 0;
  do {
    staged_.SetFiles({folder + L"\\" + item.cFileName});
    EXPECT_EQ(DecodePhotoFitted(session(), 0), S_OK) << testing::PrintToString(std::wstring(item.cFileName));
    // The one sample that is stored upside down says so.
    if (std::wstring(item.cFileName) == L"IMG_20200124_231153.jpg") {
      EXPECT_EQ(session().staged.orientation, 3);
    }
    ++decoded;
  } while (FindNextFileW(find, &item));
  FindClose(find);
  EXPECT_EQ(decoded, 10);
}

}  // namespace
