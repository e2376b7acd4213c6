#include "render/render_frame.h"

#include <cstdlib>

#include "render/slide_motion.h"
#include "session/slideshow_session.h"

float slideProgress = 0.0f;
int lastMode = 0;
float lastFadeLevel = 0.0f;
float lastBlendFactor = 0.0f;

void BeginSlideChoices(SlideshowSession& session) {
  SlidePhoto photo{session.photoOrientation, session.fitMode, session.photoLandscape};
  SlideChoices c = ChooseSlide(photo, session.sessionSettings, [] { return std::rand(); });
  session.rotation = c.rotation;
  session.motionIndex = c.motionIndex;
  for (int k = 0; k < 4; ++k) {
    session.motionStart[k] = c.motionStart[k];
    session.motionDelta[k] = c.motionDelta[k];
  }
  session.easing = c.easing;
  session.fadeCode = c.fadeCode;
  session.transitionCode = c.transitionCode;
  session.effectCode = c.effectCode;
}

namespace {

// The slide change: the loader's completion is consumed here, and until the
// next request is signalled this thread owns the staging surface.
HRESULT BeginSlide(SlideshowSession& session) {
  if (WaitForSingleObject(session.loadCompleteEvent.get(), 0) != WAIT_OBJECT_0) return E_FAIL;
  if (session.photoFiles.Empty()) return E_FAIL;
  session.shownIndex =
      session.photoIndex == 0 ? static_cast<uint32_t>(session.photoFiles.Count() - 1) : session.photoIndex - 1;
  BeginSlideChoices(session);
  Renderer& renderer = session.renderer;
  renderer.UploadStaging(session.stagingDC);
  renderer.SetWorld(1.0f, 1.0f, 0.0f, 0.0f, 0.0f);
  renderer.RenderEffect(session.effectCode);
  slideProgress = 0.0f;
  session.slideStart = GetTickCount();
  SetEvent(session.loadPhotoEvent.get());
  return S_OK;
}

}  // namespace

HRESULT RenderFrame(SlideshowSession& session) {
  if (!session.showRunning || session.paused) return S_OK;
  const bool firstFrame = session.firstFrame;
  const int32_t slideTime = session.sessionSettings.slideTime;
  const uint32_t now = GetTickCount();
  if (SlideIsOver(now, session.slideStart, slideTime, firstFrame)) {
    if (HRESULT hr = BeginSlide(session); FAILED(hr)) return hr;
  } else {
    slideProgress = SlideProgressAt(now, session.slideStart, slideTime);
  }

  const float p = slideProgress;
  const float e = EaseMotion(session.easing, p);
  const float g = FadeFactor(session.fadeCode, p);
  const float l = BlendFactor(session.transitionCode, p);
  const int mode = CompositionModeFor(g, l);

  Renderer& renderer = session.renderer;
  float world[4];
  for (int k = 0; k < 4; ++k) world[k] = session.motionStart[k] + e * session.motionDelta[k];
  renderer.SetWorld(world[0], world[1], world[2], world[3], session.rotation);

  bool becameModeZero = false;
  if (mode != lastMode || firstFrame) {
    renderer.SetCompositionMode(mode);
    lastMode = mode;
    becameModeZero = mode == 0;
  }
  if (g != lastFadeLevel || firstFrame) {
    renderer.SetFadeLevel(g);
    lastFadeLevel = g;
  }
  // After the fade level: in mode 0 the blend owns the texture factor.
  if (mode == 0 && (l != lastBlendFactor || becameModeZero)) {
    renderer.SetBlendFactor(l);
    lastBlendFactor = l;
  }
  renderer.DrawFrame();
  session.firstFrame = false;
  return S_OK;
}
