#pragma once
// One frame of the slideshow on the device: the slide change (the staged
// photo into the texture, its colour-effect image) and the per-frame world
// transform, composition, fade and blend.

#include <windows.h>

#include "render/renderer.h"
#include "render/slide_motion.h"

// What the frames of one show remember between them; only the render thread
// touches it.
struct FrameState {
  // Progress through the current slide, 0 when it begins.
  float slideProgress = 0.0f;
  // What was last sent to the device, so that states are set only on change.
  int lastMode = 0;
  float lastFadeLevel = 0.0f;
  float lastBlendFactor = 0.0f;
};

// The new slide on the device: the staging surface copied into the photo
// texture, the world reset, the colour-effect image drawn, progress back to 0.
void BeginSlideOnDevice(Renderer& renderer, int effectCode, FrameState& frame);

// Draws and presents the slide at frame.slideProgress. The first frame of a
// show sends every state whatever the caches say.
HRESULT DrawSlideFrame(Renderer& renderer, const SlideChoices& slide, FrameState& frame, bool firstFrame);
