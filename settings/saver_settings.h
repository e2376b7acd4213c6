#pragma once
// The settings record, its codes and the rules for reading it that do not
// touch the platform. The INI store around it lives in settings_store.h.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

enum ColorEffectCode : int32_t { kEffectOriginal = 0, kEffectBlackWhite = 1, kEffectSepia = 2, kEffectBlue = 3 };
enum TransitionCode : int32_t {
  kTransitionPhotoOnly = 0,
  kTransitionEffectOnly = 1,
  kTransitionPhotoToEffect = 2,
  kTransitionEffectToPhoto = 3,
};
enum FadeCode : int32_t { kFadeNone = 0, kFadeBlack = 1, kFadeWhite = 2 };

// How the decoder fitted a photo into the square, read again by the slide's
// motion: 2 crops to a square; 0, 1 and 3 letterbox.
constexpr int kFitSquareCrop = 2;

// The smallest edge, in pixels, of the staging surface and of the photo
// texture it fills: the preview's size, and the fallback wherever a larger
// one cannot be had.
constexpr int kMinStagingEdge = 1024;

constexpr int kMaxColorEffects = 4;
constexpr int kMaxTransitions = 4;
constexpr int kMaxFades = 3;
constexpr int32_t kDefaultSlideTime = 5000;

// Value-initialise ({}) to get the all-zero record every producer starts from.
struct SaverSettings {
  bool photoIncludeSubDir;
  bool photoRandom;
  bool musicIncludeSubDir;
  bool musicRandom;
  int32_t slideTime;
  int32_t colorEffects[kMaxColorEffects];
  int32_t transitions[kMaxTransitions];
  int32_t fades[kMaxFades];
  int32_t colorEffectCount;
  int32_t transitionCount;
  int32_t fadeCount;
  bool lessColorEffect;
  bool exitByEscOnly;

  bool operator==(const SaverSettings&) const = default;
};

// Configured folders and files, or a session's expanded files, in order.
class MediaList {
 public:
  void Append(std::wstring path) { paths_.push_back(std::move(path)); }
  void RemoveAt(size_t index) { paths_.erase(paths_.begin() + static_cast<std::ptrdiff_t>(index)); }
  void Clear() { paths_.clear(); }
  size_t Count() const { return paths_.size(); }
  bool Empty() const { return paths_.empty(); }
  const std::wstring& operator[](size_t index) const { return paths_[index]; }
  auto begin() const { return paths_.begin(); }
  auto end() const { return paths_.end(); }

 private:
  std::vector<std::wstring> paths_;
};

// The index after `index` in a list of `count` entries, wrapping to 0: the
// photo and music cursors both move this way.
uint32_t IndexAfter(uint32_t index, size_t count);

// Path buffers hold 260 characters including the terminator.
constexpr size_t kPathChars = 260;

// Lists hold at most this many entries, each a path that fits the buffer.
constexpr size_t kMaxMediaEntries = 10000;
constexpr size_t kMaxEntryChars = kPathChars - 1;

// Defaults for the record; the entry lists are not part of it.
void ResetSettings(SaverSettings& settings);

// Without pixel shader 1.1 no colour effect can be drawn: keep only the
// photo's own colours. Fades need no shader and stay.
void LimitEffectsToShaderLevel(SaverSettings& settings, int pixelShaderLevel);

// Marks a code-list key that is absent (also a stored 255 ends a list).
constexpr int32_t kCodeListEnd = 255;

// Reads one code list. readKey(i) returns key i's integer, or kCodeListEnd
// when the key is absent. Out-of-range codes are clamped, never rejected; a
// missing key "0" gives the single code 0. `codes` must hold `capacity`
// entries, already zero.
void ReadCodeList(const std::function<int32_t(int key)>& readKey, int capacity, int32_t highestCode, int32_t* codes,
                  int32_t& count);

// 0: no pixel shader 1.1; 1: 1.1 up to below 1.4; 2: 1.4 or later.
int ShaderLevelFromVersion(uint32_t pixelShaderVersion);

// The photo texture is at least 1024 x 1024; smaller limits cannot show a photo.
constexpr bool SupportsLargeTextures(uint32_t maxWidth, uint32_t maxHeight) {
  return maxWidth >= 1024 && maxHeight >= 1024;
}
