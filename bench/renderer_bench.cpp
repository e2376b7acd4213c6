// Renderer speed on this display: presented frames per second with the render
// thread's pacing, our own per-frame CPU cost, and the per-slide upload and
// effect pass, at the photo texture size the saver picks for this screen
// (BRINDORA_BENCH_EDGE=1024 gives the smallest). Prints figures; asserts
// nothing. Run it under Wine on a display of the size to measure.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "render/render_maths.h"
#include "render/slide_motion.h"
#include "session/render_thread.h"
#include "session/slideshow_session.h"
#include "tests/win32/render/render_test_support.h"

namespace {

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int main() {
  TestWindow window = TestWindow::FullScreen();
  auto session = std::make_unique<SlideshowSession>();
  Renderer& renderer = session->renderer;
  const char* edgeAsked = std::getenv("BRINDORA_BENCH_EDGE");
  renderer.photoEdge = edgeAsked ? std::atoi(edgeAsked)
                                 : PhotoEdgeFor(static_cast<uint32_t>(GetSystemMetrics(SM_CXSCREEN)),
                                                static_cast<uint32_t>(GetSystemMetrics(SM_CYSCREEN)));
  if (FAILED(renderer.Init(window.get()))) {
    std::printf("no Direct3D 9 device\n");
    return 1;
  }
  SettleWindows();
  const int edge = renderer.photoEdge;
  TestStaging staging(edge);
  for (int y = 0; y < edge; ++y) {
    for (int x = 0; x < edge; ++x)
      staging.at(x, y) = static_cast<uint32_t>((x * 255 / (edge - 1)) << 16 | (y * 255 / (edge - 1)) << 8 | 0x40);
  }
  std::printf("screen %d x %d, photo texture %d x %d, view %.0f x %.0f units, frame interval %u ms\n",
              GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), edge, edge, renderer.viewWidth,
              renderer.viewHeight, renderer.frameInterval);

  // Per slide: the upload from the staging texture and the effect pass (Sepia
  // through shader 148).
  if (FAILED(staging.CopyTo(renderer))) {
    std::printf("no staging texture\n");
    return 1;
  }
  constexpr int kSlides = 20;
  double upload = 0, effect = 0;
  for (int i = 0; i < kSlides; ++i) {
    double t = Now();
    renderer.UploadStaging();
    upload += Now() - t;
    t = Now();
    renderer.SetWorld(1, 1, 0, 0, 0);
    renderer.RenderEffect(2);
    Pixels done = ReadRenderTarget(renderer, renderer.effectSurface.get());  // waits for the pass
    effect += Now() - t;
  }
  std::printf("UploadStaging: %.2f ms, RenderEffect (with one read-back): %.2f ms per slide\n",
              upload * 1000.0 / kSlides, effect * 1000.0 / kSlides);

  // Our own per-frame work: the eased transform, fade, blend and mode maths.
  constexpr int kMaths = 1000000;
  volatile float sink = 0;
  double start = Now();
  for (int i = 0; i < kMaths; ++i) {
    float p = static_cast<float>(i % 1000) / 1000.0f;
    float e = EaseMotion(i % 7, p);
    float g = FadeFactor(1, p);
    float l = BlendFactor(2, p);
    float m[16];
    WorldMatrix(1.0f + 0.2f * e, 1.0f + 0.2f * e, 80 * e, 80 * e, 0.0f, m);
    sink = sink + m[12] + static_cast<float>(CompositionModeFor(g, l)) + static_cast<float>(FadeLevelFactor(g));
  }
  std::printf("frame maths: %.5f ms per frame\n", (Now() - start) * 1000.0 / kMaths);

  // The state calls of a frame where everything changes (the worst case).
  constexpr int kStates = 20000;
  start = Now();
  for (int i = 0; i < kStates; ++i) {
    float p = static_cast<float>(i % 1000) / 1000.0f;
    renderer.SetWorld(1.0f + 0.2f * p, 1.0f + 0.2f * p, 80 * p, 80 * p, 0.0f);
    renderer.SetCompositionMode(i % 2 ? 0 : 1);
    renderer.SetFadeLevel(p);
    renderer.SetBlendFactor(p);
  }
  std::printf("world transform + state changes: %.5f ms per frame\n", (Now() - start) * 1000.0 / kStates);

  // The show itself: RenderFrame paced like the render thread.
  session->frameInterval = renderer.frameInterval;
  session->loadPhotoEvent.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  session->loadCompleteEvent.reset(CreateEventW(nullptr, FALSE, TRUE, nullptr));
  session->stopRenderEvent.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  session->photoFiles.Append(L"bench.jpg");
  ResetSettings(session->sessionSettings);
  session->sessionSettings.slideTime = 1000;
  session->showRunning = true;
  session->firstFrame = true;
  int frames = 0, slides = 0;
  double inFrame = 0, inChange = 0, worstChange = 0, worstThisChange = 0;
  bool changing = false;
  start = Now();
  while (Now() - start < 8.0) {
    const bool dueBefore = session->nextPhotoDue;
    double t = Now();
    if (SUCCEEDED(RenderFrame(*session))) ++frames;
    const double took = Now() - t;
    inFrame += took;
    // From the frame that began a slide to the one that asks for the next
    // photo, the longest: the hitch a viewer may see at a slide change.
    if (!dueBefore && session->nextPhotoDue) {
      changing = true;
      worstThisChange = 0;
    }
    if (changing) worstThisChange = std::max(worstThisChange, took);
    if (WaitForSingleObject(session->loadPhotoEvent.get(), 0) == WAIT_OBJECT_0) {
      if (changing && slides++ > 0) {  // the first also made the device's first frame
        inChange += worstThisChange;
        worstChange = std::max(worstChange, worstThisChange);
      }
      changing = false;
      SetEvent(session->loadCompleteEvent.get());  // an instant loader
    }
    WaitForSingleObject(session->stopRenderEvent.get(), session->frameInterval - 1);
  }
  double elapsed = Now() - start;
  std::printf(
      "RenderFrame paced by the render thread: %.1f frames per second, %.2f ms per call (driver included)\n"
      "slide change (upload, effect pass, draw), longest frame until the next photo is asked for: %.1f ms mean, "
      "%.1f ms worst over %d changes\n",
      frames / elapsed, inFrame * 1000.0 / frames, slides > 1 ? inChange * 1000.0 / (slides - 1) : 0.0,
      worstChange * 1000.0, slides - 1);
  session->stagingLock.reset();
  renderer.Release();
  return 0;
}
