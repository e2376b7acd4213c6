#include "library/deck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

namespace {

RandomBelow Seeded(std::mt19937& engine) {
  return [&engine](size_t bound) { return std::uniform_int_distribution<size_t>(0, bound - 1)(engine); };
}

bool Has(const std::vector<PhotoId>& ids, PhotoId id) { return std::count(ids.begin(), ids.end(), id) != 0; }

std::vector<Card> Library(const std::vector<PhotoId>& ids, const std::vector<PhotoId>& failed = {}) {
  std::vector<Card> cards;
  for (PhotoId id : ids) cards.push_back({id, false, Has(failed, id)});
  return cards;
}

// One show over photos 1..library, then a second show from the stored deck
// after the library changed: it finishes the pass with exactly the photos not
// yet on screen, each once, and the next pass does not open with the photo
// shown last.
struct ChangeCase {
  const char* name;
  PhotoId library;
  int shownFirst;  // on screen in the first show; one more is decoded ahead, never shown
  std::vector<PhotoId> added, removed, failed;
};

TEST(Deck, SecondShowFinishesThePassThenReshuffles) {
  const ChangeCase cases[] = {{"unchanged", 8, 4, {}, {}, {}},
                              {"nothing shown yet", 8, 0, {}, {}, {}},
                              {"all but one shown", 8, 7, {}, {}, {}},
                              {"new photos join the rest", 8, 4, {9, 10, 11}, {}, {}},
                              {"removed photos vanish", 8, 3, {}, {1, 2, 3, 4, 5}, {}},
                              {"failed photos are passed over", 8, 2, {}, {}, {6, 7, 8}},
                              {"all at once", 30, 10, {31, 32}, {5, 6, 7}, {20, 21}}};
  for (const ChangeCase& c : cases) {
    for (unsigned seed = 1; seed <= 20; ++seed) {
      std::mt19937 engine(seed);
      std::vector<PhotoId> present;
      for (PhotoId id = 1; id <= c.library; ++id) present.push_back(id);
      Deck first;
      first.Sync(Library(present), Seeded(engine));
      std::set<PhotoId> shown;
      for (int k = 0; k < c.shownFirst; ++k) {
        const PhotoId id = first.Next(Seeded(engine)).value();
        first.MarkShown(id);
        shown.insert(id);
      }
      first.Next(Seeded(engine));  // decoded ahead when the show ended

      std::erase_if(present, [&](PhotoId id) { return Has(c.removed, id); });
      present.insert(present.end(), c.added.begin(), c.added.end());
      Deck second(first.Cards(), first.LastShown());
      second.Sync(Library(present, c.failed), Seeded(engine));
      std::multiset<PhotoId> expected, rest;
      for (PhotoId id : present) {
        if (!shown.contains(id) && !Has(c.failed, id)) expected.insert(id);
      }
      PhotoId last = first.LastShown();
      for (size_t k = 0; k < expected.size(); ++k) {
        rest.insert(last = second.Next(Seeded(engine)).value());
        second.MarkShown(last);
      }
      EXPECT_EQ(rest, expected) << c.name << " seed " << seed;
      const PhotoId opening = second.Next(Seeded(engine)).value();
      EXPECT_NE(opening, last) << c.name << " seed " << seed;
      EXPECT_FALSE(Has(c.failed, opening) || Has(c.removed, opening)) << c.name;
    }
  }
}

TEST(Deck, FailuresEmptinessAndOnePhoto) {
  std::mt19937 engine(3);
  EXPECT_FALSE(Deck().Next(Seeded(engine)).has_value());
  Deck allFailed;
  allFailed.Sync(Library({1, 2}, {1, 2}), Seeded(engine));
  EXPECT_FALSE(allFailed.Next(Seeded(engine)).has_value());

  Deck deck;
  deck.Sync(Library({1, 2}), Seeded(engine));
  const PhotoId bad = deck.Next(Seeded(engine)).value();
  deck.MarkFailed(bad);
  const PhotoId good = deck.Next(Seeded(engine)).value();
  deck.MarkShown(good);
  // The only playable photo opens every pass, although it was shown last.
  for (int k = 0; k < 3; ++k) EXPECT_EQ(deck.Next(Seeded(engine)), good);
  // The index clears the mark when the file's size or time changes.
  deck.Sync(Library({1, 2}), Seeded(engine));
  const std::set<PhotoId> nextTwo{deck.Next(Seeded(engine)).value(), deck.Next(Seeded(engine)).value()};
  EXPECT_EQ(nextTwo, (std::set<PhotoId>{1, 2}));
}

TEST(Deck, ShownMarkOfAnEarlierPassDoesNotCountForTheNext) {
  std::mt19937 engine(11);
  Deck deck;
  deck.Sync(Library({1, 2, 3}), Seeded(engine));
  std::vector<PhotoId> handed;
  for (int k = 0; k < 3; ++k) handed.push_back(deck.Next(Seeded(engine)).value());
  deck.MarkShown(handed[0]);
  deck.MarkShown(handed[1]);
  const PhotoId opening = deck.Next(Seeded(engine)).value();  // a new pass
  deck.MarkShown(handed[2]);                                  // the last of the old pass reaches the screen
  deck.MarkShown(opening);
  std::set<PhotoId> pass{opening, deck.Next(Seeded(engine)).value(), deck.Next(Seeded(engine)).value()};
  EXPECT_EQ(pass, (std::set<PhotoId>{1, 2, 3}));
  EXPECT_NE(opening, handed[2]);
}

}  // namespace
