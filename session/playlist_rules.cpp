#include "session/playlist_rules.h"

uint32_t NextPhotoIndex(uint32_t shownIndex, size_t count) { return IndexAfter(shownIndex, count); }

uint32_t PreviousPhotoIndex(uint32_t shownIndex, size_t count) {
  if (shownIndex == 0) return count == 0 ? 0 : static_cast<uint32_t>(count - 1);
  return shownIndex - 1;
}

uint32_t SteppedPhotoIndex(uint32_t from, int steps, size_t count) {
  if (count == 0) return 0;
  // A whole turn round the list changes nothing.
  const long long turns = steps % static_cast<long long>(count);
  for (long long k = 0; k < turns; ++k) from = NextPhotoIndex(from, count);
  for (long long k = 0; k > turns; --k) from = PreviousPhotoIndex(from, count);
  return from;
}

uint32_t SlideStartAfterPause(uint32_t slideStart, uint32_t pauseStart, uint32_t now) {
  return now > pauseStart ? slideStart + (now - pauseStart) : slideStart;
}

bool RunLoadStep(PhotoList& files, uint32_t& photoIndex, bool photoRandom, const LoadStepActions& actions) {
  while (!files.Empty()) {
    if (photoIndex >= files.Count()) photoIndex = 0;
    if (actions.decode()) {
      photoIndex = IndexAfter(photoIndex, files.Count());
      break;
    }
    // Dropped for the rest of the session; the next entry moves into its place.
    files.RemoveAt(photoIndex);
    if (photoIndex >= files.Count()) photoIndex = 0;
    if (files.Empty()) break;
    actions.afterFailure();
    if (actions.stopAsked && actions.stopAsked()) return false;
  }
  if (files.Empty()) return false;
  if (photoIndex == 0 && photoRandom) actions.reshuffle();
  return true;
}

int32_t ShownSlideTime(int32_t storedSlideTime) {
  return storedSlideTime < kShortestShownSlideMs ? kShortestShownSlideMs : storedSlideTime;
}
