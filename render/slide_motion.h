#pragma once
// Slide motion and timing: the motion table, the per-slide random choices and
// the per-frame easing, fade and blend values. Nothing here touches a device.

#include <cstdint>
#include <functional>

#include "settings/saver_settings.h"

constexpr int kMotionRows = 22;
// Start scale x, y, start offset x, y, end scale x, y, end offset x, y.
extern const float MotionTable[kMotionRows][8];

// The C runtime's rand range, as every draw assumes it.
constexpr int kRandMax = 32767;

// truncate(r x n / 32767): n only when r is 32767.
int DrawOver(int r, int n);

// What the decoder left for the photo about to be shown.
struct SlidePhoto {
  int32_t orientation = 0;
  int fitMode = 0;
  bool landscape = true;
};

struct SlideChoices {
  float rotation = 0.0f;
  int motionIndex = 0;
  float motionStart[4] = {1.0f, 1.0f, 0.0f, 0.0f};
  float motionDelta[4] = {};
  int easing = 0;
  int fadeCode = 0;
  int transitionCode = 0;
  int effectCode = 0;
};

// Radians on screen for an orientation tag; mirrored tags and unknown ones turn nothing.
float RotationForOrientation(int32_t orientation);

// Draws, in order, motion row, easing, fade, transition and colour effect from
// `rand` (0..32767 per call).
SlideChoices ChooseSlide(const SlidePhoto& photo, const SaverSettings& settings, const std::function<int()>& rand);

// e(p): how far along its motion row the slide is.
float EaseMotion(int easing, float p);
// g(p): 1 untouched, below 1 towards black, above 1 towards white.
float FadeFactor(int fadeCode, float p);
// l(p): 0 the photo, 1 its colour-effect image.
float BlendFactor(int transitionCode, float p);

// Texture-stage compositions: the photo blended with its colour-effect image
// by the blend factor, or one of the two darkened or lightened by the fade.
enum CompositionMode : int {
  kModeBlend = 0,
  kModePhotoDarker = 1,
  kModeEffectDarker = 2,
  kModePhotoLighter = 3,
  kModeEffectLighter = 4,
};

// Texture-stage composition for a fade g and blend l.
int CompositionModeFor(float g, float l);
// D3DRS_TEXTUREFACTOR values: the fade grey in red, green and blue; the blend in alpha.
uint32_t FadeLevelFactor(float g);
uint32_t BlendFactorValue(float l);

// Progress through a slide from the clock: (now - slideStart) / slideTime,
// clamped to 0..1, so the motion and the fades end where they should at any
// frame rate. A slide time of 0 or less holds the slide at 0.
float SlideProgressAt(uint32_t now, uint32_t slideStart, int32_t slideTime);

// A slide ends when more than slideTime ms have passed (unsigned), the tick
// count wrapped, or nothing has been shown yet.
bool SlideIsOver(uint32_t now, uint32_t slideStart, int32_t slideTime, bool firstFrame);

// The world matrix, row-major with row vectors: scale, then rotate
// counter-clockwise, then move by the offset.
void WorldMatrix(float scaleX, float scaleY, float offsetX, float offsetY, float angle, float out[16]);
