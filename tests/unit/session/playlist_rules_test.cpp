#include "session/playlist_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace {

TEST(IndexArithmetic, WrapsAtTheEndOfTheList) {
  EXPECT_EQ(IndexAfter(0, 3), 1u);
  EXPECT_EQ(IndexAfter(2, 3), 0u);
  EXPECT_EQ(IndexAfter(7, 3), 0u);  // stale after removals
  EXPECT_EQ(IndexAfter(0, 1), 0u);
  EXPECT_EQ(IndexAfter(0xFFFFFFFFu, 5), 0u);

  // Right on the last photo goes to the first; Left on the first to the last.
  EXPECT_EQ(NextPhotoIndex(4, 5), 0u);
  EXPECT_EQ(NextPhotoIndex(1, 5), 2u);
  EXPECT_EQ(PreviousPhotoIndex(0, 5), 4u);
  EXPECT_EQ(PreviousPhotoIndex(3, 5), 2u);
  EXPECT_EQ(PreviousPhotoIndex(0, 1), 0u);
  EXPECT_EQ(PreviousPhotoIndex(0, 0), 0u);
}

TEST(IndexArithmetic, StepsPressedWhileTheLoaderWasBusyAddUp) {
  EXPECT_EQ(SteppedPhotoIndex(1, 2, 5), 3u);
  EXPECT_EQ(SteppedPhotoIndex(4, 1, 5), 0u);
  EXPECT_EQ(SteppedPhotoIndex(1, -3, 5), 3u);
  EXPECT_EQ(SteppedPhotoIndex(2, 0, 5), 2u);
  EXPECT_EQ(SteppedPhotoIndex(2, 12, 5), 4u);   // whole turns count for nothing
  EXPECT_EQ(SteppedPhotoIndex(2, -10, 5), 2u);
  EXPECT_EQ(SteppedPhotoIndex(9, 1, 5), 0u);    // a stale index wraps as Right wraps it
  EXPECT_EQ(SteppedPhotoIndex(3, 1, 0), 0u);
}

TEST(SlideClock, TheShowNeverChangesPhotosMoreThanOnceASecond) {
  for (int32_t stored : {-5, 0, 1, 500, 999}) EXPECT_EQ(ShownSlideTime(stored), 1000) << stored;
  EXPECT_EQ(ShownSlideTime(1000), 1000);
  EXPECT_EQ(ShownSlideTime(7500), 7500);
}

TEST(SlideClock, APauseMovesTheSlideStartByItsLength) {
  // A 10 s pause 2.5 s into a 5 s slide: after the resume the slide has
  // exactly the 2.5 s it had left.
  const uint32_t slideStart = 1000, pauseStart = 3500, now = 13500;
  const uint32_t moved = SlideStartAfterPause(slideStart, pauseStart, now);
  EXPECT_EQ(now - moved, pauseStart - slideStart);
  EXPECT_EQ(now + 2500 - moved, 5000u);

  EXPECT_EQ(SlideStartAfterPause(1000, 3500, 3500), 1000u);  // zero-length pause
}

TEST(SlideClock, APauseAcrossTheTickWrapAddsNothing) {
  EXPECT_EQ(SlideStartAfterPause(0xFFFFE000u, 0xFFFFF000u, 0x500u), 0xFFFFE000u);
}

TEST(SlideClock, ASlideStartBelowZeroKeepsItsElapsedTimeAcrossAPause) {
  // A slide begun just before the counter wrapped, paused just after it.
  const uint32_t slideStart = 0xFFFFF100u, pauseStart = 0x100u, now = 0x900u;
  const uint32_t moved = SlideStartAfterPause(slideStart, pauseStart, now);
  EXPECT_EQ(static_cast<uint32_t>(now - moved), 0x1000u);
}

// A fake loader: decodes by looking the path up in a set of good files.
struct FakeLoader {
  PhotoList files;
  uint32_t photoIndex = 0;
  bool random = false;
  std::set<std::wstring> good;
  std::vector<std::wstring> decoded;  // every attempt, good or bad
  int pauses = 0;
  int reshuffles = 0;
  int stopAfterPauses = -1;  // the stop is asked for after this many pauses

  explicit FakeLoader(std::vector<std::wstring> paths, std::set<std::wstring> ok) : good(std::move(ok)) {
    for (auto& p : paths) files.Append(p);
  }
  bool Step() {
    LoadStepActions actions{
        .decode =
            [this] {
              decoded.push_back(files[photoIndex]);
              return good.count(files[photoIndex]) > 0;
            },
        .afterFailure = [this] { ++pauses; },
        .reshuffle = [this] { ++reshuffles; },
        .stopAsked = [this] { return pauses == stopAfterPauses; },
    };
    return RunLoadStep(files, photoIndex, random, actions);
  }
  std::vector<std::wstring> List() const { return {files.begin(), files.end()}; }
};

TEST(RunLoadStep, InOrderTheListRestartsAfterTheLastPhoto) {
  FakeLoader f({L"a", L"b", L"c"}, {L"a", L"b", L"c"});
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(f.Step());
  EXPECT_EQ(f.decoded, (std::vector<std::wstring>{L"a", L"b", L"c", L"a", L"b"}));
  EXPECT_EQ(f.photoIndex, 2u);
  EXPECT_EQ(f.reshuffles, 0);
}

TEST(RunLoadStep, DropsFailuresUntilOneDecodes) {
  FakeLoader f({L"a", L"bad1", L"bad2", L"d"}, {L"a", L"d"});
  f.photoIndex = 1;
  EXPECT_TRUE(f.Step());
  EXPECT_EQ(f.decoded, (std::vector<std::wstring>{L"bad1", L"bad2", L"d"}));
  EXPECT_EQ(f.List(), (std::vector<std::wstring>{L"a", L"d"}));
  EXPECT_EQ(f.photoIndex, 0u);  // d was the last entry
  EXPECT_EQ(f.pauses, 2);
}

TEST(RunLoadStep, TheStopEndsARunOfFailuresAfterThePauseItInterrupted) {
  FakeLoader f({L"bad1", L"bad2", L"bad3", L"d"}, {L"d"});
  f.stopAfterPauses = 1;
  EXPECT_FALSE(f.Step());
  EXPECT_EQ(f.decoded, (std::vector<std::wstring>{L"bad1"}));
  EXPECT_EQ(f.List(), (std::vector<std::wstring>{L"bad2", L"bad3", L"d"}));
}

TEST(RunLoadStep, AFailureAtTheEndWrapsToTheFirstPhoto) {
  FakeLoader f({L"a", L"b", L"bad"}, {L"a", L"b"});
  f.photoIndex = 2;
  EXPECT_TRUE(f.Step());
  EXPECT_EQ(f.decoded.back(), L"a");
  EXPECT_EQ(f.photoIndex, 1u);
  EXPECT_EQ(f.List(), (std::vector<std::wstring>{L"a", L"b"}));
}

TEST(RunLoadStep, ADroppedFileIsNeverRetried) {
  FakeLoader f({L"a", L"bad", L"c"}, {L"a", L"c"});
  for (int i = 0; i < 6; ++i) EXPECT_TRUE(f.Step());
  EXPECT_EQ(std::count(f.decoded.begin(), f.decoded.end(), L"bad"), 1);
  EXPECT_EQ(f.decoded, (std::vector<std::wstring>{L"a", L"bad", L"c", L"a", L"c", L"a", L"c"}));
}

TEST(RunLoadStep, EveryFileFailingEmptiesTheListAndFails) {
  FakeLoader f({L"x", L"y", L"z"}, {});
  f.photoIndex = 1;
  EXPECT_FALSE(f.Step());
  EXPECT_TRUE(f.files.Empty());
  EXPECT_EQ(f.decoded.size(), 3u);
  EXPECT_EQ(f.photoIndex, 0u);

  // A later request decodes nothing and fails at once.
  EXPECT_FALSE(f.Step());
  EXPECT_EQ(f.decoded.size(), 3u);
}

TEST(RunLoadStep, AStaleIndexIsWrappedBeforeTheDecode) {
  FakeLoader f({L"a", L"b"}, {L"a", L"b"});
  f.photoIndex = 9;
  EXPECT_TRUE(f.Step());
  EXPECT_EQ(f.decoded, (std::vector<std::wstring>{L"a"}));
  EXPECT_EQ(f.photoIndex, 1u);
}

TEST(RunLoadStep, RandomOrderReshufflesOnceAPassAfterTheLastPhoto) {
  FakeLoader f({L"a", L"b", L"c"}, {L"a", L"b", L"c"});
  f.random = true;
  EXPECT_TRUE(f.Step());
  EXPECT_TRUE(f.Step());
  EXPECT_EQ(f.reshuffles, 0);
  EXPECT_TRUE(f.Step());  // c decoded, the index wraps
  EXPECT_EQ(f.reshuffles, 1);
  EXPECT_EQ(f.photoIndex, 0u);

  FakeLoader single({L"only"}, {L"only"});
  single.random = true;
  EXPECT_TRUE(single.Step());
  EXPECT_TRUE(single.Step());
  EXPECT_EQ(single.reshuffles, 2);
}

TEST(RunLoadStep, AFailedRequestDoesNotReshuffle) {
  FakeLoader f({L"bad"}, {});
  f.random = true;
  EXPECT_FALSE(f.Step());
  EXPECT_EQ(f.reshuffles, 0);
}

}  // namespace
