#include "render/slide_motion.h"

#include <algorithm>
#include <cmath>

const float MotionTable[kMotionRows][8] = {
    {1.0f, 1.0f, 0.0f, 0.0f, 1.2f, 1.2f, 0.0f, 0.0f},       {1.2f, 1.2f, 0.0f, 0.0f, 1.0f, 1.0f, 0.0f, 0.0f},
    {1.0f, 1.0f, 0.0f, 0.0f, 1.2f, 1.2f, -80.0f, -80.0f},   {1.0f, 1.0f, 0.0f, 0.0f, 1.2f, 1.2f, -80.0f, 80.0f},
    {1.0f, 1.0f, 0.0f, 0.0f, 1.2f, 1.2f, 80.0f, -80.0f},    {1.0f, 1.0f, 0.0f, 0.0f, 1.2f, 1.2f, 80.0f, 80.0f},
    {1.2f, 1.2f, -80.0f, -80.0f, 1.0f, 1.0f, 0.0f, 0.0f},   {1.2f, 1.2f, -80.0f, 80.0f, 1.0f, 1.0f, 0.0f, 0.0f},
    {1.2f, 1.2f, 80.0f, -80.0f, 1.0f, 1.0f, 0.0f, 0.0f},    {1.2f, 1.2f, 80.0f, 80.0f, 1.0f, 1.0f, 0.0f, 0.0f},
    {1.5f, 1.5f, 0.0f, 0.0f, 1.5f, 1.5f, -256.0f, -256.0f}, {1.5f, 1.5f, 0.0f, 0.0f, 1.5f, 1.5f, -256.0f, 256.0f},
    {1.5f, 1.5f, 0.0f, 0.0f, 1.5f, 1.5f, 256.0f, -256.0f},  {1.5f, 1.5f, 0.0f, 0.0f, 1.5f, 1.5f, 256.0f, 256.0f},
    {1.5f, 1.5f, -256.0f, -256.0f, 1.5f, 1.5f, 0.0f, 0.0f}, {1.5f, 1.5f, -256.0f, 256.0f, 1.5f, 1.5f, 0.0f, 0.0f},
    {1.5f, 1.5f, 256.0f, -256.0f, 1.5f, 1.5f, 0.0f, 0.0f},  {1.5f, 1.5f, 256.0f, 256.0f, 1.5f, 1.5f, 0.0f, 0.0f},
    {1.8f, 1.8f, -409.0f, 0.0f, 1.8f, 1.8f, 409.0f, 0.0f},  {1.8f, 1.8f, 409.0f, 0.0f, 1.8f, 1.8f, -409.0f, 0.0f},
    {1.8f, 1.8f, 0.0f, -409.0f, 1.8f, 1.8f, 0.0f, 409.0f},  {1.8f, 1.8f, 0.0f, 409.0f, 1.8f, 1.8f, 0.0f, -409.0f},
};

int DrawOver(int r, int n) { return static_cast<int>(static_cast<int64_t>(r) * n / kRandMax); }

namespace {

// A list pick never reads past the list, even from a record whose count was
// never set or was damaged.
int32_t PickFrom(const int32_t* codes, int32_t count, int capacity, int r) {
  int n = std::clamp<int32_t>(count, 0, capacity);
  if (n == 0) return 0;
  return codes[std::min(DrawOver(r, n), n - 1)];
}

}  // namespace

float RotationForOrientation(int32_t orientation) {
  switch (orientation) {
    case 3:
      return 3.1416f;
    case 6:
      return 4.7124f;
    case 8:
      return 1.5708f;
    default:
      return 0.0f;
  }
}

SlideChoices ChooseSlide(const SlidePhoto& photo, const SaverSettings& settings, const std::function<int()>& rand) {
  SlideChoices c;
  c.rotation = RotationForOrientation(photo.orientation);

  int row = std::min(DrawOver(rand(), kMotionRows), kMotionRows - 1);
  // Cropped photos have no edge to pan to; landscape pans across, portrait up and down.
  if (row >= 18 && photo.fitMode == kFitSquareCrop) row -= 4;
  if ((row == 20 || row == 21) && photo.landscape) {
    row -= 2;
  } else if ((row == 18 || row == 19) && !photo.landscape) {
    row += 2;
  }
  c.motionIndex = row;
  for (int k = 0; k < 4; ++k) {
    c.motionStart[k] = MotionTable[row][k];
    c.motionDelta[k] = MotionTable[row][k + 4] - MotionTable[row][k];
  }

  c.easing = DrawOver(rand(), 6);
  c.fadeCode = PickFrom(settings.fades, settings.fadeCount, kMaxFades, rand());
  c.transitionCode = PickFrom(settings.transitions, settings.transitionCount, kMaxTransitions, rand());

  if (!settings.lessColorEffect) {
    c.effectCode = PickFrom(settings.colorEffects, settings.colorEffectCount, kMaxColorEffects, rand());
  } else {
    // Four draws in n hit an effect once; with Original listed, its own share
    // is left out so that it does not come more often than the others.
    int count = std::clamp<int32_t>(settings.colorEffectCount, 0, kMaxColorEffects);
    int n = 4 * count;
    if (count > 0 && settings.colorEffects[0] == kEffectOriginal) n -= 4;
    int i = DrawOver(rand(), n);
    c.effectCode = i < count ? settings.colorEffects[i] : kEffectOriginal;
  }
  return c;
}

float EaseMotion(int easing, float p) {
  switch (easing) {
    case 1:
      return std::pow(p, 2.0f);
    case 2:
      return std::pow(1.0f - p, 2.0f);
    case 3:
      if (p < 0.5f) return static_cast<float>(0.5 * std::sin(3.14f * p));
      return static_cast<float>(1.0 - 0.5 * std::sin(3.14f * p));
    case 4:
      return static_cast<float>((1.0 - std::cos(3.14f * p)) * 0.5);
    case 5:
      if (p <= 0.2f) return 0.0f;
      if (p < 0.8f) return (p - 0.2f) * 1.6666666f;
      return 1.0f;
    case 6:
      return 0.0f;
    default:
      return p;
  }
}

float FadeFactor(int fadeCode, float p) {
  if (fadeCode == kFadeNone) return 1.0f;
  float x;
  if (p <= 0.15f) {
    x = p * 6.6666665f;
  } else if (p > 0.85f) {
    x = (1.0f - p) * 6.666668f;
  } else {
    return 1.0f;
  }
  return fadeCode == kFadeWhite ? 2.0f - x : x;
}

float BlendFactor(int transitionCode, float p) {
  if (transitionCode == kTransitionPhotoOnly) return 0.0f;
  if (transitionCode == kTransitionEffectOnly) return 1.0f;
  float b;
  if (p <= 0.3f) {
    b = 0.0f;
  } else if (p <= 0.7f) {
    b = (p - 0.3f) * 2.5000002f;
  } else {
    b = 1.0f;
  }
  return transitionCode == kTransitionEffectToPhoto ? 1.0f - b : b;
}

int CompositionModeFor(float g, float l) {
  if (g == 1.0f) return kModeBlend;
  if (g < 1.0f) return l == 0.0f ? kModePhotoDarker : l == 1.0f ? kModeEffectDarker : kModeBlend;
  return l == 0.0f ? kModePhotoLighter : l == 1.0f ? kModeEffectLighter : kModeBlend;
}

namespace {

// 0..255 from a factor, never wrapping into a neighbouring byte.
uint32_t ToByte(float scaled) {
  if (!(scaled > 0.0f)) return 0;
  if (scaled >= 255.0f) return 255;
  return static_cast<uint32_t>(scaled);
}

}  // namespace

uint32_t FadeLevelFactor(float g) {
  uint32_t k = g <= 1.0f ? ToByte((1.0f - g) * 255.0f) : ToByte((g - 1.0f) * 255.0f);
  return k * 0x010101u;
}

uint32_t BlendFactorValue(float l) { return ToByte(l * 255.0f) << 24; }

float SlideProgressAt(uint32_t now, uint32_t slideStart, int32_t slideTime) {
  if (slideTime <= 0) return 0.0f;
  const uint32_t elapsed = now - slideStart;  // unsigned: right across a wrap of the counter
  if (elapsed >= static_cast<uint32_t>(slideTime)) return 1.0f;
  return static_cast<float>(elapsed) / static_cast<float>(slideTime);
}

bool SlideIsOver(uint32_t now, uint32_t slideStart, int32_t slideTime, bool firstFrame) {
  return firstFrame || now < slideStart || now - slideStart > static_cast<uint32_t>(slideTime);
}

void WorldMatrix(float scaleX, float scaleY, float offsetX, float offsetY, float angle, float out[16]) {
  float c = std::cos(angle);
  float s = std::sin(angle);
  const float m[16] = {
      scaleX * c,  scaleX * s, 0.0f, 0.0f,  //
      -scaleY * s, scaleY * c, 0.0f, 0.0f,  //
      0.0f,        0.0f,       1.0f, 0.0f,  //
      offsetX,     offsetY,    0.0f, 1.0f,  //
  };
  std::copy(std::begin(m), std::end(m), out);
}
