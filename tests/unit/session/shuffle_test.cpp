#include "session/shuffle.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace {

// Hands out the given values in turn and counts the calls.
struct ScriptedRand {
  std::vector<int> values;
  size_t calls = 0;
  Rand15 fn() {
    return [this] { return values.at(calls++ % values.size()); };
  }
};

TEST(ShuffleOrder, SwapsEachPositionWithOneAtOrBelowIt) {
  // Worked by hand: every draw 0 swaps i with 0 in turn.
  // [0 1 2 3] -> [1 0 2 3] -> [2 0 1 3] -> [3 0 1 2]
  ScriptedRand zeros{{0}};
  EXPECT_EQ(ShuffleOrder(4, zeros.fn()), (std::vector<size_t>{3, 0, 1, 2}));
  EXPECT_EQ(zeros.calls, 3u);

  // Draws 1, 2, 3 are each i itself: nothing moves.
  ScriptedRand identity{{1, 2, 3}};
  EXPECT_EQ(ShuffleOrder(4, identity.fn()), (std::vector<size_t>{0, 1, 2, 3}));

  // Only the low 15 bits of a draw count (glibc's rand yields 31).
  ScriptedRand high{{0x40000000 | 1, 0x8000 | 2, 0x7FFF8000 | 3}};
  EXPECT_EQ(ShuffleOrder(4, high.fn()), (std::vector<size_t>{0, 1, 2, 3}));
}

TEST(ShuffleOrder, EmptyAndSingleListsDrawNothing) {
  ScriptedRand r{{0}};
  EXPECT_TRUE(ShuffleOrder(0, r.fn()).empty());
  EXPECT_EQ(ShuffleOrder(1, r.fn()), (std::vector<size_t>{0}));
  EXPECT_EQ(r.calls, 0u);
}

TEST(ShuffleOrder, EveryChoiceSequenceGivesADifferentPermutation) {
  // With n = 5 the draws for i = 1..4 range over 2 * 3 * 4 * 5 = 120
  // sequences: each must give its own permutation, so every permutation (and
  // every entry at every position) is reachable.
  std::set<std::vector<size_t>> seen;
  for (int a = 0; a < 2; ++a)
    for (int b = 0; b < 3; ++b)
      for (int c = 0; c < 4; ++c)
        for (int d = 0; d < 5; ++d) {
          ScriptedRand r{{a, b, c, d}};
          seen.insert(ShuffleOrder(5, r.fn()));
        }
  EXPECT_EQ(seen.size(), 120u);
}

TEST(ShuffleOrder, ListsLongerThan32767DrawTwiceFromThereOn) {
  // Positions 1..32766 have bounds up to 32767 and take one draw; positions
  // 32767..39999 need a second 15-bit draw each.
  ScriptedRand r{{0}};
  ShuffleOrder(40000, r.fn());
  EXPECT_EQ(r.calls, 32766u + 2u * (40000u - 32767u));

  // The widened draw is (first << 15) | second: 1 and 1 give 32769, which is
  // 1 mod 32768 (position 32767) and 0 mod 32769 (position 32768).
  ScriptedRand ones{{1}};
  const std::vector<size_t> order = ShuffleOrder(32769, ones.fn());
  // Position 1 swaps with 1 % 2 = 1, position i >= 2 with 1: entry i lands at 1
  // and the old occupant of 1 moves to i, so after 32766 positions entry 32766
  // sits at 1. Then 32767 swaps with 1, and 32768 with 0.
  EXPECT_EQ(order[32767], 32766u);
  EXPECT_EQ(order[1], 32767u);
  EXPECT_EQ(order[0], 32768u);
  EXPECT_EQ(order[32768], 0u);
}

TEST(ShuffleList, SameSeedGivesTheSamePermutation) {
  MediaList photos, music;
  for (int i = 0; i < 50; ++i) {
    photos.Append(L"p" + std::to_wstring(i));
    music.Append(L"m" + std::to_wstring(i));
  }
  std::srand(1234);
  ShuffleList(photos);
  std::srand(1234);
  ShuffleList(music);

  std::vector<std::wstring> p(photos.begin(), photos.end());
  std::set<std::wstring> distinct(p.begin(), p.end());
  EXPECT_EQ(distinct.size(), 50u);  // a permutation: nothing lost or doubled
  bool moved = false;
  for (int i = 0; i < 50; ++i) {
    EXPECT_EQ(photos[i].substr(1), music[i].substr(1)) << i;
    moved |= photos[i] != L"p" + std::to_wstring(i);
  }
  EXPECT_TRUE(moved);
}

TEST(ShuffleList, ReordersTheEntriesAsTheOrderSays) {
  MediaList list;
  for (const wchar_t* s : {L"a", L"b", L"c", L"d"}) list.Append(s);
  ScriptedRand zeros{{0}};
  ShuffleList(list, zeros.fn());
  std::vector<std::wstring> got(list.begin(), list.end());
  EXPECT_EQ(got, (std::vector<std::wstring>{L"d", L"a", L"b", L"c"}));
}

}  // namespace
