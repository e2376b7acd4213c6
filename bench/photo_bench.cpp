// Speed of the photo pipeline under Wine: decoding and fitting one photo onto
// the staging surface, expanding a large folder tree, saving a long list.
// Prints figures; asserts nothing. Run through run_photo_bench.sh, which makes
// the inputs and sets the figures beside djpeg's.
//   photo_bench decode <file>...   median of 5 per file and fit, with the DCT
//                                  scale chosen
//   photo_bench gdiplus <file>...  the same through GDI+ alone, the path
//                                  before libjpeg-turbo and WIC
//   photo_bench expand <folder>    median of 5 walks with sub-folders
//   photo_bench save <entries>     median of 3 saves of a settings file with
//                                  that many photo entries
#include <windows.h>

#include <objidl.h>

#include <gdiplus.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "media/dct_scale.h"
#include "media/decode_photo.h"
#include "media/media_expand.h"
#include "media/photo_file.h"
#include "media/photo_fit.h"
#include "media/picture_size.h"
#include "ownership/com_ref.h"
#include "ownership/gdiplus_holders.h"
#include "settings/settings_store.h"

#include "bench/bench_measure.h"

namespace {

constexpr int kRuns = 5;

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// The staging surface's edge: BRINDORA_STAGING_EDGE, else a 1920 x 1080 screen's.
int StagingEdge() {
  const wchar_t* value = _wgetenv(L"BRINDORA_STAGING_EDGE");
  const int edge = value ? _wtoi(value) : 0;
  return edge >= kMinStagingEdge ? edge : 2048;
}

// The fit as it was done before JPEGs went to libjpeg-turbo and other photos
// to WIC: GDI+ decodes the whole picture and scales it onto the surface.
HRESULT DecodeWithGdiplusAlone(const StagingTarget& target, const wchar_t* path, int fitMode) {
  PhotoLayout layout;
  return DecodePhotoFittedByGdiplus(path, target, fitMode, layout);
}

// The eighths of the DCT scale the product picks for a JPEG, 0 for any other file.
uint32_t ChosenScale(const wchar_t* path, int fitMode) {
  const PhotoFile file = OpenPhotoFile(path);
  if (!file) return 0;
  std::FILE* f = file.get();
  const auto size = PeekPictureSize([f](uint64_t offset, std::span<uint8_t> out) -> size_t {
    if (_fseeki64(f, static_cast<int64_t>(offset), SEEK_SET) != 0) return 0;
    return std::fread(out.data(), 1, out.size(), f);
  });
  unsigned char magic[2] = {};
  _fseeki64(f, 0, SEEK_SET);
  if (!size || std::fread(magic, 1, 2, f) != 2 || magic[0] != 0xFF || magic[1] != 0xD8) return 0;
  return DctScaleEighths(size->width, size->height, fitMode, StagingEdge());
}

template <typename F>
double MedianMs(int runs, F&& run, bool& failed) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const double start = NowMs();
    if (FAILED(run())) failed = true;
    times.push_back(NowMs() - start);
  }
  return Median(times);
}

// One line per file and fit, for run_photo_bench.sh to read:
//   decode <fit> <median ms> <DCT scale M/8, - when not a JPEG> <file>
// then the process's peak working set: run one path per process for it to
// be that path's own.
int Decode(int argc, wchar_t** argv, bool gdiplusAlone) {
  ScopedComInit com;
  // The saver writes into its staging texture's memory, locked: memory of
  // the same size stands in for it without a device.
  const int edge = StagingEdge();
  std::vector<uint32_t> memory(static_cast<size_t>(edge) * static_cast<size_t>(edge));
  StagingGdiplus gdiplus;
  const StagingTarget target{{reinterpret_cast<uint8_t*>(memory.data()), ptrdiff_t{edge} * 4, edge}, &gdiplus};
  bool failed = false;
  for (int i = 2; i < argc; ++i) {
    for (int fitMode : {0, kFitSquareCrop}) {
      const double ms = MedianMs(
          kRuns,
          [&] {
            if (gdiplusAlone) return DecodeWithGdiplusAlone(target, argv[i], fitMode);
            PhotoLayout layout;
            return DecodePhotoFitted(argv[i], target, fitMode, layout);
          },
          failed);
      const uint32_t eighths = ChosenScale(argv[i], fitMode);
      const std::string scale = eighths ? std::to_string(eighths) + "/8" : "-";
      std::printf("decode %s %.1f %s %ls\n", fitMode == kFitSquareCrop ? "crop" : "letterbox", ms, scale.c_str(),
                  argv[i]);
    }
  }
  std::printf("peak %.0f\n", PeakMegabytes());
  return failed ? 1 : 0;
}

int Save(const wchar_t* folder, int entries) {
  SetSettingsProgramPathForTesting((std::wstring(folder) + L"\\BrindoraPro.scr").c_str());
  ResetSettings();
  photoEntries.Clear();
  for (int i = 0; i < entries; ++i) {
    photoEntries.Append(L"C:\\Users\\someone\\Pictures\\Holiday 2024\\IMG_" + std::to_wstring(100000 + i) + L".jpg");
  }
  bool failed = false;
  const double ms = MedianMs(
      3, [] { return SaveSettingsFile(); }, failed);
  std::printf("save %d entries %8.1f ms median of 3\n", entries, ms);
  return failed ? 1 : 0;
}

int Expand(const wchar_t* folder) {
  std::vector<double> times;
  size_t files = 0;
  for (int run = 0; run < kRuns; ++run) {
    MediaList list;
    const double start = NowMs();
    ExpandEntry(list, folder, true);
    times.push_back(NowMs() - start);
    files = list.Count();
  }
  std::printf("expand %zu files %8.1f ms median of %d  %ls\n", files, Median(times), kRuns, folder);
  return files == 0 ? 1 : 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc >= 3 && std::wcscmp(argv[1], L"decode") == 0) return Decode(argc, argv, false);
  if (argc >= 3 && std::wcscmp(argv[1], L"gdiplus") == 0) return Decode(argc, argv, true);
  if (argc == 3 && std::wcscmp(argv[1], L"expand") == 0) return Expand(argv[2]);
  if (argc == 4 && std::wcscmp(argv[1], L"save") == 0) return Save(argv[2], _wtoi(argv[3]));
  std::fprintf(stderr, "usage: photo_bench decode|gdiplus <file>... | expand <folder> | save <folder> <entries>\n");
  return 2;
}
