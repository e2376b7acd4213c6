#include "session/monitor_rules.h"

#include <gtest/gtest.h>

#include <set>

TEST(MonitorRules, ChangesAndStartsSpreadEvenlyOverTheMonitors) {
  struct Case {
    int32_t slideTime;
    uint32_t monitor, monitors;
    uint32_t delay;
    size_t count;
    uint32_t start;
  } cases[] = {
      {5000, 0, 2, 0, 10, 0},
      {5000, 1, 2, 2500, 10, 5},
      {6000, 2, 3, 4000, 3, 2},
      {5000, 1, 1, 0, 10, 0},
      {0, 1, 2, 0, 0, 0},
      {1000, 1, 2, 500, 1, 0},
      {2147483000, 2, 3, 1431655333, 4000000000u, 2666666666u},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.monitor << " of " << c.monitors);
    EXPECT_EQ(StaggerOffsetMs(c.slideTime, c.monitor, c.monitors), c.delay);
    EXPECT_EQ(MonitorStartIndex(c.count, c.monitor, c.monitors), c.start);
  }
}

TEST(MonitorRules, EachSlideEndsAtItsPlaceInThePrimarysSlide) {
  struct Case {
    uint32_t sincePrimaryStart, offset;
    int32_t adjust;
  } cases[] = {
      {0, 2500, 2500},                        // the first slide, begun with the primary's: half a slide longer
      {2510, 2500, -10},                      // ten late: ten shorter
      {2490, 2500, 10},   {7520, 2500, -20},  // the primary's next slide already begun
      {100, 3333, -1767},                     // two thirds in: the nearer moment is a third sooner
      {300, 0, -300},     {4990, 0, 10},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SlideTimeAdjustMs(c.sincePrimaryStart, 5000, c.offset), c.adjust) << c.sincePrimaryStart;
  }
  EXPECT_EQ(SlideTimeAdjustMs(1234, 0, 0), 0);
}

TEST(MonitorRules, TakesTheNextPhotoNoOtherMonitorHolds) {
  struct Case {
    size_t count;
    uint32_t index;
    std::set<uint32_t> claimed;
    uint32_t taken;
  } cases[] = {
      {5, 2, {}, 2},        {5, 2, {2, 3}, 4}, {5, 4, {4}, 0},  // wraps to the start
      {3, 1, {0, 1, 2}, 1},                                     // every photo held: shown twice
      {3, 7, {0}, 1},                                           // past the end after removals
      {0, 0, {}, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FirstUnclaimedIndex(c.count, c.index, [&](uint32_t i) { return c.claimed.count(i) > 0; }), c.taken)
        << c.count << " photos from " << c.index;
  }
}
