#include "settings/saver_settings.h"

#include <algorithm>

void ResetSettings(SaverSettings& settings) {
  settings = {};
  settings.photoIncludeSubDir = true;
  settings.photoRandom = true;
  settings.musicIncludeSubDir = true;
  settings.musicRandom = true;
  settings.slideTime = kDefaultSlideTime;
  for (int i = 0; i < kMaxColorEffects; ++i) settings.colorEffects[i] = i;
  for (int i = 0; i < kMaxTransitions; ++i) settings.transitions[i] = i;
  for (int i = 0; i < kMaxFades; ++i) settings.fades[i] = i;
  settings.colorEffectCount = kMaxColorEffects;
  settings.transitionCount = kMaxTransitions;
  settings.fadeCount = kMaxFades;
}

uint32_t IndexAfter(uint32_t index, size_t count) {
  const uint64_t next = uint64_t{index} + 1;
  return next >= count ? 0 : static_cast<uint32_t>(next);
}

void LimitEffectsToShaderLevel(SaverSettings& settings, int pixelShaderLevel) {
  if (pixelShaderLevel != 0) return;
  std::fill(std::begin(settings.colorEffects), std::end(settings.colorEffects), kEffectOriginal);
  settings.colorEffectCount = 1;
  settings.lessColorEffect = false;
  std::fill(std::begin(settings.transitions), std::end(settings.transitions), kTransitionPhotoOnly);
  settings.transitionCount = 1;
}

void ReadCodeList(const std::function<int32_t(int key)>& readKey, int capacity, int32_t highestCode, int32_t* codes,
                  int32_t& count) {
  int32_t value = readKey(0);
  if (value == kCodeListEnd) {
    count = 1;
    return;
  }
  int i = 0;
  while (i < capacity) {
    codes[i] = std::clamp(value, int32_t{0}, highestCode);
    ++i;
    if (i == capacity) break;  // keys beyond the capacity are never read
    value = readKey(i);
    if (value == kCodeListEnd) break;
  }
  count = std::max(i, 1);
}

int ShaderLevelFromVersion(uint32_t pixelShaderVersion) {
  if (pixelShaderVersion < 0xFFFF0101u) return 0;
  if (pixelShaderVersion < 0xFFFF0104u) return 1;
  return 2;
}
