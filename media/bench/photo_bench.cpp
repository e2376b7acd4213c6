// Speed of the photo pipeline under Wine: decoding and fitting one photo onto
// the staging surface, and expanding a large folder tree. Prints figures;
// asserts nothing. Run through run_photo_bench.sh, which makes the inputs.
//   photo_bench decode <file>...   median of 5 per file, letterbox and crop
//   photo_bench expand <folder>    median of 5 walks with sub-folders
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "media/decode_photo.h"
#include "media/media_expand.h"
#include "media/photo_fit.h"
#include "session/staging_surface.h"

namespace {

constexpr int kRuns = 5;

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

double NowMs() {
  LARGE_INTEGER frequency, count;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&count);
  return 1000.0 * static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double PeakMegabytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
}

int Decode(int argc, wchar_t** argv) {
  SlideshowSession session;
  if (FAILED(CreateStagingSurface(session, nullptr)) || FAILED(StartStagingGraphics(session))) {
    std::fprintf(stderr, "no staging surface\n");
    return 1;
  }
  int status = 0;
  for (int i = 2; i < argc; ++i) {
    session.photoFiles.Clear();
    session.photoFiles.Append(argv[i]);
    for (int fitMode : {0, kFitSquareCrop}) {
      std::vector<double> times;
      for (int run = 0; run < kRuns; ++run) {
        session.photoIndex = 0;
        const double start = NowMs();
        const HRESULT hr = DecodePhotoFitted(session, fitMode);
        times.push_back(NowMs() - start);
        if (FAILED(hr)) status = 1;
      }
      std::printf("decode %-9s %8.1f ms median of %d  %ls\n", fitMode == kFitSquareCrop ? "crop" : "letterbox",
                  Median(times), kRuns, argv[i]);
    }
  }
  std::printf("decode peak working set %.0f MB\n", PeakMegabytes());
  StopStagingGraphics(session);
  return status;
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
  if (argc >= 3 && std::wcscmp(argv[1], L"decode") == 0) return Decode(argc, argv);
  if (argc == 3 && std::wcscmp(argv[1], L"expand") == 0) return Expand(argv[2]);
  std::fprintf(stderr, "usage: photo_bench decode <file>... | expand <folder>\n");
  return 2;
}
