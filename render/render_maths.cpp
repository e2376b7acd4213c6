#include "render/render_maths.h"

#include <cmath>

#include "resources/resource_ids.h"
#include "settings/saver_settings.h"

void QuadVerticesFor(int edge, QuadVertex out[4]) {
  const float half = 0.5f / static_cast<float>(edge);
  const float last = 1.0f + half;
  const float side = kQuadUnits / 2.0f;
  out[0] = {-side, -side, 0.0f, half, last, half, last};
  out[1] = {-side, side, 0.0f, half, half, half, half};
  out[2] = {side, -side, 0.0f, last, last, last, last};
  out[3] = {side, side, 0.0f, last, half, last, half};
}

int PhotoEdgeFor(uint32_t screenWidth, uint32_t screenHeight) {
  const uint32_t longer = screenWidth > screenHeight ? screenWidth : screenHeight;
  int edge = kMinStagingEdge;
  while (static_cast<uint32_t>(edge) < longer && edge < kMaxPhotoEdge) edge *= 2;
  return edge;
}

int PhotoEdgeWithin(int edge, uint32_t maxTextureWidth, uint32_t maxTextureHeight) {
  const uint32_t limit = maxTextureWidth < maxTextureHeight ? maxTextureWidth : maxTextureHeight;
  while (edge > kMinStagingEdge && static_cast<uint32_t>(edge) > limit) edge /= 2;
  return edge < kMinStagingEdge ? kMinStagingEdge : edge;
}

ViewExtent ViewExtentFor(uint32_t width, uint32_t height) {
  if (width == 0 || height == 0) return {1024.0f, 1024.0f};
  if (width >= height) return {1024.0f, 1024.0f * static_cast<float>(height) / static_cast<float>(width)};
  return {1024.0f * static_cast<float>(width) / static_cast<float>(height), 1024.0f};
}

uint32_t FrameIntervalFor(uint32_t refreshRate) { return refreshRate != 0 ? 1000 / refreshRate : 16; }

int ToneCurveValue(int i) {
  const double step = 0.01232f;
  const double peak = 178.5f;
  return static_cast<int>(std::trunc(peak * std::sin(step * i)));
}

void FillToneTexels(uint32_t texels[kToneEntries]) {
  for (int i = 0; i < kToneEntries; ++i) {
    auto v = static_cast<uint32_t>(ToneCurveValue(i));
    texels[i] = v | (v << 8) | (v << 16);
  }
}

int ShaderResourceFor(int effectCode, int shaderLevel) {
  if (shaderLevel <= 0) return 0;
  switch (effectCode) {
    case kEffectOriginal:
      return IDR_SHADER_ORIGINAL;
    case kEffectBlackWhite:
      return IDR_SHADER_BLACK_WHITE;
    case kEffectSepia:
    case kEffectBlue:
      return shaderLevel == 1 ? IDR_SHADER_TINT_PS11 : IDR_SHADER_TINT_PS14;
    default:
      return 0;
  }
}

EffectConstants EffectConstantsFor(int effectCode) {
  EffectConstants k{false, {0.2989f, 0.587f, 0.114f}, false, {0.0f, 0.0f, 0.0f}};
  if (effectCode < kEffectBlackWhite || effectCode > kEffectBlue) return k;
  k.hasLuma = true;
  if (effectCode == kEffectSepia) k = {true, {0.2989f, 0.587f, 0.114f}, true, {0.1049f, -0.0282f, -0.1298f}};
  if (effectCode == kEffectBlue) k = {true, {0.2989f, 0.587f, 0.114f}, true, {-0.0502f, -0.0119f, 0.1927f}};
  return k;
}
