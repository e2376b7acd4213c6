#pragma once
// Index and tick arithmetic of the photo list and the slide clock, and the
// loader's walk over the list for one request. No platform calls: the decode,
// the pause between failures and the reshuffle come in as callbacks.

#include <cstddef>
#include <cstdint>
#include <functional>

#include "library/photo_list.h"
#include "settings/saver_settings.h"

// The photo Right and Left ask for, relative to the one on screen. shownIndex
// may be stale (past the end) after removals; the loader wraps the result.
uint32_t NextPhotoIndex(uint32_t shownIndex, size_t count);
uint32_t PreviousPhotoIndex(uint32_t shownIndex, size_t count);
// `steps` presses of Right (positive) or Left (negative) from `from`.
uint32_t SteppedPhotoIndex(uint32_t from, int steps, size_t count);

// slideStart moved forward by the length of a pause that began at pauseStart
// and ends at now. When the tick counter wrapped during the pause nothing is
// added: the wrap already ends the slide.
uint32_t SlideStartAfterPause(uint32_t slideStart, uint32_t pauseStart, uint32_t now);

// The slide time the running show uses. Below one second the show would
// change photos, and flash through black or white, several times a second: a
// hazard to photosensitive viewers. The stored setting is left as it is.
constexpr int32_t kShortestShownSlideMs = 1000;
int32_t ShownSlideTime(int32_t storedSlideTime);

struct LoadStepActions {
  std::function<bool()> decode;        // the entry at photoIndex; true on success
  std::function<void()> afterFailure;  // between two failed decodes
  std::function<void()> reshuffle;     // new order for the next pass
  // Asked after each pause: true ends the step at once, without a photo.
  std::function<bool()> stopAsked;
};

// One loader request: decodes the entry at photoIndex, dropping entries that
// fail until one decodes or the list is empty; then advances photoIndex and,
// at the start of a new pass in random order, reshuffles. False when the list
// ends up empty or the stop was asked for.
bool RunLoadStep(PhotoList& files, uint32_t& photoIndex, bool photoRandom, const LoadStepActions& actions);
