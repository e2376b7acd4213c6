#include "library/deck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

namespace {

struct Draws {
  std::mt19937 engine;
  explicit Draws(unsigned seed) : engine(seed) {}
  RandomBelow Random() {
    return [this](size_t bound) { return std::uniform_int_distribution<size_t>(0, bound - 1)(engine); };
  }
};

std::vector<Card> Library(const std::vector<PhotoId>& ids, const std::vector<PhotoId>& failed = {}) {
  std::vector<Card> cards;
  for (PhotoId id : ids) cards.push_back({id, false, std::count(failed.begin(), failed.end(), id) != 0});
  return cards;
}

std::vector<PhotoId> Range(PhotoId first, PhotoId last) {
  std::vector<PhotoId> ids;
  for (PhotoId id = first; id <= last; ++id) ids.push_back(id);
  return ids;
}

// One show over a library, then a second show from the stored deck after the
// library changed: the second show finishes the pass with exactly the photos
// not yet on screen, each once, and the next pass does not open with the
// photo shown last.
struct ChangeCase {
  const char* name;
  PhotoId library;  // photos 1..library
  int shownFirst;   // on screen in the first show; one more is decoded ahead, never shown
  std::vector<PhotoId> added, removed, failed;
};

class DeckAcrossShows : public testing::TestWithParam<ChangeCase> {};

TEST_P(DeckAcrossShows, FinishesThePassThenReshuffles) {
  const ChangeCase& c = GetParam();
  for (unsigned seed = 1; seed <= 20; ++seed) {
    Draws draws(seed);
    Deck first;
    first.Sync(Library(Range(1, c.library)), draws.Random());
    std::set<PhotoId> shown;
    for (int k = 0; k < c.shownFirst; ++k) {
      const PhotoId id = first.Next(draws.Random()).value();
      first.MarkShown(id);
      shown.insert(id);
    }
    ASSERT_EQ(shown.size(), static_cast<size_t>(c.shownFirst)) << c.name;
    first.Next(draws.Random());  // decoded ahead when the show ended

    std::vector<PhotoId> present;
    for (PhotoId id : Range(1, c.library)) {
      if (std::count(c.removed.begin(), c.removed.end(), id) == 0) present.push_back(id);
    }
    present.insert(present.end(), c.added.begin(), c.added.end());
    Deck second(first.Cards(), first.LastShown());
    second.Sync(Library(present, c.failed), draws.Random());

    std::multiset<PhotoId> expected;
    for (PhotoId id : present) {
      if (!shown.contains(id) && std::count(c.failed.begin(), c.failed.end(), id) == 0) expected.insert(id);
    }
    std::multiset<PhotoId> rest;
    PhotoId last = first.LastShown();
    for (size_t k = 0; k < expected.size(); ++k) {
      last = second.Next(draws.Random()).value();
      second.MarkShown(last);
      rest.insert(last);
    }
    EXPECT_EQ(rest, expected) << c.name << " seed " << seed;
    const std::optional<PhotoId> opening = second.Next(draws.Random());
    ASSERT_TRUE(opening.has_value()) << c.name;
    EXPECT_NE(*opening, last) << c.name << " seed " << seed;
    EXPECT_EQ(std::count(c.failed.begin(), c.failed.end(), *opening), 0) << c.name;
    EXPECT_EQ(std::count(c.removed.begin(), c.removed.end(), *opening), 0) << c.name;
  }
}

INSTANTIATE_TEST_SUITE_P(Library, DeckAcrossShows,
                         testing::Values(ChangeCase{"unchanged", 8, 4, {}, {}, {}},
                                         ChangeCase{"nothing shown yet", 8, 0, {}, {}, {}},
                                         ChangeCase{"all but one shown", 8, 7, {}, {}, {}},
                                         ChangeCase{"new photos join the rest", 8, 4, {9, 10, 11}, {}, {}},
                                         ChangeCase{"removed photos vanish", 8, 3, {}, {1, 2, 3, 4, 5}, {}},
                                         ChangeCase{"failed photos are passed over", 8, 2, {}, {}, {6, 7, 8}},
                                         ChangeCase{"all at once", 30, 10, {31, 32}, {5, 6, 7}, {20, 21}}),
                         [](const testing::TestParamInfo<ChangeCase>& info) {
                           std::string name = info.param.name;
                           std::replace(name.begin(), name.end(), ' ', '_');
                           return name;
                         });

TEST(Deck, EmptyOrAllFailedGivesNothing) {
  Draws draws(7);
  Deck empty;
  EXPECT_FALSE(empty.Next(draws.Random()).has_value());
  Deck failed;
  failed.Sync(Library({1, 2}, {1, 2}), draws.Random());
  EXPECT_FALSE(failed.Next(draws.Random()).has_value());
}

TEST(Deck, OnePhotoRepeatsAndAFailureIsForgivenWhenTheFileChanges) {
  Draws draws(3);
  Deck deck;
  deck.Sync(Library({1, 2}), draws.Random());
  const PhotoId bad = deck.Next(draws.Random()).value();
  deck.MarkFailed(bad);
  const PhotoId good = deck.Next(draws.Random()).value();
  deck.MarkShown(good);
  // The only playable photo opens every pass, although it was shown last.
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(deck.Next(draws.Random()), good);
    deck.MarkShown(good);
  }
  // The index clears the mark when the file's size or time changes.
  deck.Sync(Library({1, 2}), draws.Random());
  std::set<PhotoId> nextTwo{deck.Next(draws.Random()).value(), deck.Next(draws.Random()).value()};
  EXPECT_EQ(nextTwo, (std::set<PhotoId>{1, 2}));
}

TEST(Deck, ShownMarkOfAnEarlierPassDoesNotCountForTheNext) {
  Draws draws(11);
  Deck deck;
  deck.Sync(Library({1, 2, 3}), draws.Random());
  std::vector<PhotoId> handed;
  for (int k = 0; k < 3; ++k) handed.push_back(deck.Next(draws.Random()).value());
  deck.MarkShown(handed[0]);
  deck.MarkShown(handed[1]);
  const PhotoId opening = deck.Next(draws.Random()).value();  // a new pass
  deck.MarkShown(handed[2]);                                  // the last of the old pass reaches the screen
  std::set<PhotoId> pass{opening};
  deck.MarkShown(opening);
  for (int k = 0; k < 2; ++k) pass.insert(deck.Next(draws.Random()).value());
  EXPECT_EQ(pass, (std::set<PhotoId>{1, 2, 3}));
  EXPECT_NE(opening, handed[2]);
}

}  // namespace
