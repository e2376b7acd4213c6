#include "render/render_frame.h"

void BeginSlideOnDevice(Renderer& renderer, int effectCode, FrameState& frame) {
  renderer.UploadStaging();
  renderer.SetWorld(1.0f, 1.0f, 0.0f, 0.0f, 0.0f);
  renderer.RenderEffect(effectCode);
  renderer.MarkSlideChangeQueued();
  frame.slideProgress = 0.0f;
}

HRESULT DrawSlideFrame(Renderer& renderer, const SlideChoices& slide, FrameState& frame, bool firstFrame) {
  const float p = frame.slideProgress;
  const float e = EaseMotion(slide.easing, p);
  const float g = FadeFactor(slide.fadeCode, p);
  const float l = BlendFactor(slide.transitionCode, p);
  const int mode = CompositionModeFor(g, l);

  float world[4];
  for (int k = 0; k < 4; ++k) world[k] = slide.motionStart[k] + e * slide.motionDelta[k];
  renderer.SetWorld(world[0], world[1], world[2], world[3], slide.rotation);

  bool becameModeZero = false;
  if (mode != frame.lastMode || firstFrame) {
    renderer.SetCompositionMode(mode);
    frame.lastMode = mode;
    becameModeZero = mode == kModeBlend;
  }
  if (g != frame.lastFadeLevel || firstFrame) {
    renderer.SetFadeLevel(g);
    frame.lastFadeLevel = g;
  }
  // After the fade level: in mode 0 the blend owns the texture factor.
  if (mode == kModeBlend && (l != frame.lastBlendFactor || becameModeZero)) {
    renderer.SetBlendFactor(l);
    frame.lastBlendFactor = l;
  }
  return renderer.DrawFrame();
}
