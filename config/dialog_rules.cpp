#include "config/dialog_rules.h"

#include <algorithm>
#include <limits>

namespace {

void Append(int32_t* codes, int32_t& count, int capacity, int32_t code) {
  if (count < capacity) codes[count++] = code;
}

}  // namespace

EffectChoices ChoicesFromSettings(const SaverSettings& settings) {
  EffectChoices choices;
  const int effectCount = std::clamp(settings.colorEffectCount, 0, kMaxColorEffects);
  for (int i = 0; i < effectCount; ++i) {
    const int32_t code = settings.colorEffects[i];
    if (code >= 0 && code < kMaxColorEffects) choices.effects[code] = true;
  }
  choices.lessColorEffect = settings.lessColorEffect;
  const int transitionCount = std::clamp(settings.transitionCount, 0, kMaxTransitions);
  for (int i = 0; i < transitionCount; ++i) {
    const int32_t code = settings.transitions[i];
    if (code == kTransitionPhotoToEffect || code == kTransitionEffectToPhoto) choices.effectTransition = true;
  }
  const int fadeCount = std::clamp(settings.fadeCount, 0, kMaxFades);
  for (int i = 0; i < fadeCount; ++i) {
    if (settings.fades[i] == kFadeBlack) choices.fadeInOut = true;
  }
  return choices;
}

void ApplyChoices(const EffectChoices& choices, SaverSettings& settings) {
  std::fill(std::begin(settings.colorEffects), std::end(settings.colorEffects), 0);
  std::fill(std::begin(settings.transitions), std::end(settings.transitions), 0);
  std::fill(std::begin(settings.fades), std::end(settings.fades), 0);
  settings.colorEffectCount = 0;
  settings.transitionCount = 0;
  settings.fadeCount = 0;

  for (int32_t code = 0; code < kMaxColorEffects; ++code) {
    if (choices.effects[code]) Append(settings.colorEffects, settings.colorEffectCount, kMaxColorEffects, code);
  }

  // "Original" (or nothing) checked: the photo alone, and the effect alone as
  // well when another effect is checked beside it. Only other effects: the
  // effect alone.
  if (settings.colorEffects[0] == kEffectOriginal) {
    Append(settings.transitions, settings.transitionCount, kMaxTransitions, kTransitionPhotoOnly);
    if (settings.colorEffects[1] != kEffectOriginal)
      Append(settings.transitions, settings.transitionCount, kMaxTransitions, kTransitionEffectOnly);
  } else {
    Append(settings.transitions, settings.transitionCount, kMaxTransitions, kTransitionEffectOnly);
  }
  settings.lessColorEffect = choices.lessColorEffect;
  if (choices.effectTransition) {
    Append(settings.transitions, settings.transitionCount, kMaxTransitions, kTransitionPhotoToEffect);
    Append(settings.transitions, settings.transitionCount, kMaxTransitions, kTransitionEffectToPhoto);
  }

  if (choices.fadeInOut) {
    settings.fades[0] = kFadeBlack;
    settings.fades[1] = kFadeWhite;
    settings.fadeCount = 2;
  } else {
    settings.fades[0] = kFadeNone;
    settings.fadeCount = 1;
  }
}

int SecondsFromSlideTime(int32_t slideTime) { return std::max(slideTime / 1000, kMinSeconds); }

int32_t SlideTimeFromSecondsField(std::wstring_view text, uint32_t answer) {
  if (text.empty() || (answer >> 16) != 0) return kDefaultSlideTime;
  // The position is a signed 16-bit value; the range keeps it 1..999.
  const int16_t position = static_cast<int16_t>(answer & 0xFFFF);
  return std::max<int32_t>(position, kMinSeconds) * 1000;
}

std::vector<std::wstring> PathsFromPickedNames(const wchar_t* buffer, size_t capacity) {
  std::vector<std::wstring> paths;
  if (!buffer || capacity == 0) return paths;
  const std::wstring_view all(buffer, capacity);
  auto stringAt = [&](size_t at) -> std::optional<std::wstring_view> {
    if (at >= all.size()) return std::nullopt;
    const size_t end = all.find(L'\0', at);
    if (end == std::wstring_view::npos) return std::nullopt;  // not terminated inside the buffer
    return all.substr(at, end - at);
  };

  const auto first = stringAt(0);
  if (!first || first->empty()) return paths;
  const size_t next = first->size() + 1;
  if (next >= all.size() || all[next] == L'\0') {
    if (FitsListItem(first->size())) paths.emplace_back(*first);
    return paths;
  }

  // A folder, then names relative to it.
  if (first->size() >= kMaxListItemChars - 1) return paths;
  std::wstring folder(*first);
  // A drive root already ends with its separator.
  if (folder.back() != L'\\') folder += L'\\';
  for (size_t at = next;;) {
    const auto name = stringAt(at);
    if (!name || name->empty()) break;
    if (FitsListItem(folder.size() + name->size())) paths.push_back(folder + std::wstring(*name));
    at += name->size() + 1;
  }
  return paths;
}

std::optional<uint32_t> GrownNameBufferSize(int specLength, int folderLength, uint32_t currentSize) {
  if (specLength < 0 || folderLength < 0) return std::nullopt;
  const uint64_t needed = uint64_t(specLength) + uint64_t(folderLength);
  if (needed <= currentSize || needed > std::numeric_limits<uint32_t>::max()) return std::nullopt;
  return static_cast<uint32_t>(needed);
}

std::optional<int> MoveTarget(int selected, int count, MoveDirection direction) {
  if (selected < 0 || count <= 0 || selected >= count) return std::nullopt;
  if (direction == MoveDirection::kUp) return selected == 0 ? std::nullopt : std::optional<int>(selected - 1);
  return selected + 1 == count ? std::nullopt : std::optional<int>(selected + 1);
}
