#include "music/music_rules.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "settings/saver_settings.h"

namespace {

TEST(FadeTick, TwentyStepsOfFiftyReachFullVolumeAndStop) {
  std::vector<int32_t> volumes;
  int32_t volume = 0;
  for (;;) {
    const FadeTick tick = NextFadeTick(volume);
    volume = tick.volume;
    volumes.push_back(volume);
    if (tick.finished) break;
    ASSERT_LT(volumes.size(), 100u) << "the fade never finishes";
  }
  ASSERT_EQ(volumes.size(), 20u);
  for (size_t i = 0; i < volumes.size(); ++i) EXPECT_EQ(volumes[i], 50 * static_cast<int32_t>(i + 1));
  EXPECT_EQ(volumes.size() * kFadeTimerMs, 10000u);
}

TEST(FadeTick, FinishesFromAnyStartAtOrPastTheEnd) {
  EXPECT_TRUE(NextFadeTick(960).finished);  // 1010: past the end also stops
  EXPECT_FALSE(NextFadeTick(940).finished);
  EXPECT_TRUE(NextFadeTick(std::numeric_limits<int32_t>::max()).finished);
  EXPECT_EQ(NextFadeTick(std::numeric_limits<int32_t>::max()).volume, std::numeric_limits<int32_t>::max());
}

TEST(MusicIndex, AdvancesAndWraps) {
  EXPECT_EQ(IndexAfter(0, 3), 1u);
  EXPECT_EQ(IndexAfter(2, 3), 0u);
  EXPECT_EQ(IndexAfter(0, 1), 0u);  // one file plays over and over
  EXPECT_EQ(IndexAfter(7, 3), 0u);  // past the end counts as the end
  EXPECT_EQ(IndexAfter(std::numeric_limits<uint32_t>::max(), 5), 0u);
}

TEST(MusicIndex, RemovalLeavesTheNextEntryUnderTheCursor) {
  EXPECT_EQ(IndexAfterRemoval(1, 3), 1u);  // the entry behind moved up
  EXPECT_EQ(IndexAfterRemoval(3, 3), 0u);  // the last one went: wrap
  EXPECT_EQ(IndexAfterRemoval(0, 0), 0u);  // the list is empty now
}

TEST(SpeakerVolume, StepsClampAtBothEnds) {
  EXPECT_EQ(SteppedVolume(0xEFFF, +1), 0xFFFFu);
  EXPECT_EQ(SteppedVolume(0xF000, +1), 0xFFFFu);
  EXPECT_EQ(SteppedVolume(0xFFFF, +1), 0xFFFFu);
  EXPECT_EQ(SteppedVolume(0xEFFE, +1), 0xFFFEu);
  EXPECT_EQ(SteppedVolume(0, +1), 0x1000u);
  EXPECT_EQ(SteppedVolume(4095, -1), 0u);
  EXPECT_EQ(SteppedVolume(4096, -1), 0u);
  EXPECT_EQ(SteppedVolume(0, -1), 0u);
  EXPECT_EQ(SteppedVolume(4097, -1), 1u);
  EXPECT_EQ(SteppedVolume(0xFFFF, -1), 0xEFFFu);
  EXPECT_EQ(SteppedVolume(0x8000, 0), 0x8000u);
}

TEST(SpeakerVolume, SixteenStepsFromSilenceToFullAndBack) {
  uint32_t volume = 0;
  int ups = 0;
  while (volume < kVolumeFull) {
    volume = SteppedVolume(volume, +1);
    ASSERT_LE(++ups, 16);
  }
  EXPECT_EQ(ups, 16);
  int downs = 0;
  while (volume > 0) {
    volume = SteppedVolume(volume, -1);
    ASSERT_LE(++downs, 16);
  }
  EXPECT_EQ(downs, 16);
}

TEST(SpeakerMute, AnyNonZeroIsOnAndToggleIsItsOwnInverse) {
  EXPECT_EQ(ToggledMute(0), 1u);
  EXPECT_EQ(ToggledMute(1), 0u);
  EXPECT_EQ(ToggledMute(0xFFFFFFFF), 0u);
  EXPECT_EQ(ToggledMute(ToggledMute(0)), 0u);
}

}  // namespace
