#include "music/music_rules.h"

#include <limits>

FadeTick NextFadeTick(int32_t fadeVolume) {
  // The timer stops at kFadeEnd, so the sum never nears the type's limit;
  // saturate anyway rather than overflow.
  const int32_t volume = fadeVolume > std::numeric_limits<int32_t>::max() - kFadeStep
                             ? std::numeric_limits<int32_t>::max()
                             : fadeVolume + kFadeStep;
  return {volume, volume >= kFadeEnd};
}

uint32_t IndexAfterRemoval(uint32_t index, size_t countAfter) { return index >= countAfter ? 0 : index; }

uint32_t SteppedVolume(uint32_t volume, int step) {
  if (step > 0) return volume > kVolumeFull - kVolumeStep ? kVolumeFull : volume + kVolumeStep;
  if (step < 0) return volume < kVolumeStep ? 0 : volume - kVolumeStep;
  return volume;
}

uint32_t ToggledMute(uint32_t mute) { return mute == 0 ? 1 : 0; }
