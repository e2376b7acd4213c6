// A day of slides at SlideTime 0 on a driven clock: the slide clock
// (SlideIsOver, SlideProgressAt) and the loader's walk over the list
// (RunLoadStep with the shuffle) as the render and loader threads use them,
// frame by frame, with the tick counter wrapping half way. No threads, events,
// decoding or drawing: those run for real only in the soak. Prints figures;
// counts broken invariants and exits 1 if any.
//   slide_clock_sim [hours] [photos] [frame ms] [decode ms]
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "render/slide_motion.h"
#include "session/playlist_rules.h"
#include "session/shuffle.h"

namespace {

struct Figures {
  uint64_t frames = 0;
  uint64_t slides = 0;
  uint64_t passes = 0;
  uint64_t reshuffles = 0;
  uint32_t longestSlideMs = 0;
  uint64_t broken = 0;
};

void Broken(Figures& f, const char* what, uint64_t frame) {
  if (f.broken++ < 10) std::printf("broken at frame %llu: %s\n", static_cast<unsigned long long>(frame), what);
}

}  // namespace

int main(int argc, char** argv) {
  const double hours = argc > 1 ? std::atof(argv[1]) : 24.0;
  const size_t photos = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 200;
  const uint32_t frameMs = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 16;
  const uint32_t decodeMs = argc > 4 ? std::strtoul(argv[4], nullptr, 10) : 40;
  constexpr int32_t slideTime = 0;

  PhotoList files;
  for (size_t i = 0; i < photos; ++i) files.Append(std::to_wstring(i));

  std::srand(12345);
  const Rand15 rand15 = [] { return std::rand(); };
  ShuffleList(files, rand15);

  const uint64_t totalMs = static_cast<uint64_t>(hours * 3600.0 * 1000.0);
  // Half the run before the 32-bit tick counter wraps, half after.
  uint32_t now = static_cast<uint32_t>(0x100000000ULL - totalMs / 2);
  uint32_t photoIndex = 0;
  uint32_t slideStart = 0;
  float progress = 0.0f;
  bool firstFrame = true;
  Figures f;

  std::wstring staged;
  uint64_t shownElsewhere = 0;
  // The loader's request in flight: done once the clock passes readyAt.
  auto load = [&] {
    const LoadStepActions actions{
        .decode =
            [&] {
              staged = files[photoIndex];
              return true;
            },
        .afterFailure = [] {},
        .reshuffle =
            [&] {
              ++f.reshuffles;
              ShuffleList(files, rand15);
            },
        .stopAsked = [] { return false; },
    };
    if (!RunLoadStep(files, photoIndex, true, actions)) Broken(f, "the list ran empty", f.frames);
  };
  load();  // the first photo is staged before anything is drawn
  uint64_t elapsed = 0;
  uint64_t readyAt = 0;
  std::vector<int> seenThisPass(photos, 0);
  size_t seenCount = 0;

  for (; elapsed < totalMs; elapsed += frameMs, now += frameMs) {
    ++f.frames;
    if (SlideIsOver(now, slideStart, slideTime, firstFrame)) {
      if (elapsed < readyAt) continue;  // the next photo is not staged yet: nothing drawn
      const uint32_t shown = photoIndex == 0 ? static_cast<uint32_t>(files.Count() - 1) : photoIndex - 1;
      if (shown >= files.Count()) Broken(f, "shown index past the list", f.frames);
      if (!firstFrame && now - slideStart > f.longestSlideMs) f.longestSlideMs = now - slideStart;
      // After a reshuffle the index names another entry than the staged one.
      if (files[shown] != staged) ++shownElsewhere;
      const size_t photo = std::wcstoul(staged.c_str(), nullptr, 10);
      if (seenThisPass[photo]++) Broken(f, "a photo came twice in one pass", f.frames);
      if (++seenCount == photos) {
        ++f.passes;
        seenCount = 0;
        std::fill(seenThisPass.begin(), seenThisPass.end(), 0);
      }
      ++f.slides;
      progress = 0.0f;
      slideStart = now;
      firstFrame = false;
      load();
      readyAt = elapsed + decodeMs;
    } else {
      progress = SlideProgressAt(now, slideStart, slideTime);
      Broken(f, "a slide outlived SlideTime 0 by a frame", f.frames);
    }
    if (!std::isfinite(progress) || progress < 0.0f || progress > 1.0f) Broken(f, "progress out of 0..1", f.frames);
    if (photoIndex >= files.Count()) Broken(f, "photo index past the list", f.frames);
  }

  std::printf(
      "simulated %.1f h at SlideTime %d: %zu photos, a frame every %u ms, a decode taking %u ms; "
      "tick counter wrapped at %.1f h\n",
      hours, slideTime, photos, frameMs, decodeMs, hours / 2);
  std::printf("slides whose shown index names another entry than the one on screen: %llu\n",
              static_cast<unsigned long long>(shownElsewhere));
  std::printf("frames=%llu slides=%llu passes=%llu reshuffles=%llu longest_slide_ms=%u broken=%llu\n",
              static_cast<unsigned long long>(f.frames), static_cast<unsigned long long>(f.slides),
              static_cast<unsigned long long>(f.passes), static_cast<unsigned long long>(f.reshuffles),
              f.longestSlideMs, static_cast<unsigned long long>(f.broken));
  return f.broken ? 1 : 0;
}
