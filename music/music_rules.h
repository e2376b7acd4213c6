#pragma once
// The numbers of the music player and the volume keys: fade-in steps, the
// list cursor, waits, and the speaker volume and mute steps.

#include <cstddef>
#include <cstdint>

// Fade-in of the first track: timer 105 adds kFadeStep every kFadeTimerMs up
// to kFadeEnd, ten seconds from silence to the device's full volume.
inline constexpr uintptr_t kFadeTimerId = 105;
inline constexpr uint32_t kFadeTimerMs = 500;
inline constexpr int32_t kFadeStep = 50;
inline constexpr int32_t kFadeEnd = 1000;

// Waits on the window thread: between attempts at failing files, and after
// the device reports a failure during playback.
inline constexpr uint32_t kFailedTrackWaitMs = 30;
inline constexpr uint32_t kFailureNoticeWaitMs = 500;

struct FadeTick {
  int32_t volume;  // the new fadeVolume, sent to the open track
  bool finished;   // the timer stops after this tick
};
FadeTick NextFadeTick(int32_t fadeVolume);

// musicIndex after the entry at `index` was removed, leaving `countAfter`
// entries: the entry that moved up into its place, 0 past the end.
uint32_t IndexAfterRemoval(uint32_t index, size_t countAfter);

// Speaker volume on the fixed scale 0 to 0xFFFF, 16 steps from silence to full.
inline constexpr uint32_t kVolumeFull = 0xFFFF;
inline constexpr uint32_t kVolumeStep = 0x1000;
// step +1 louder, -1 softer; clamped to the scale.
uint32_t SteppedVolume(uint32_t volume, int step);
// Any non-zero mute value counts as on.
uint32_t ToggledMute(uint32_t mute);
