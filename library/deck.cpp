#include "library/deck.h"

#include <unordered_map>
#include <utility>

void ShuffleCards(std::vector<Card>& cards, size_t first, size_t last, const RandomBelow& random) {
  for (size_t i = last; i > first + 1; --i) {
    std::swap(cards[i - 1], cards[first + random(i - first)]);
  }
}

Deck::Deck(std::vector<Card> cards, PhotoId lastShown)
    : cards_(std::move(cards)), lastShown_(lastShown), lastHanded_(lastShown) {}

void Deck::Sync(const std::vector<Card>& present, const RandomBelow& random) {
  std::unordered_map<PhotoId, bool> failedById;
  failedById.reserve(present.size());
  for (const Card& card : present) failedById.emplace(card.id, card.failed);

  std::vector<Card> kept;
  kept.reserve(present.size());
  size_t cursor = 0;
  for (size_t i = 0; i < cards_.size(); ++i) {
    auto found = failedById.find(cards_[i].id);
    if (found == failedById.end()) continue;
    Card card = cards_[i];
    card.failed = found->second;
    kept.push_back(card);
    if (i < cursor_) ++cursor;
    failedById.erase(found);  // a second card of one photo is dropped too
  }
  // The rest are new, in the order given; the shuffle below mixes them in.
  const size_t known = kept.size();
  for (const Card& card : present) {
    if (failedById.erase(card.id) != 0) kept.push_back({card.id, false, card.failed});
  }
  const bool added = kept.size() > known;
  cards_ = std::move(kept);
  cursor_ = cursor;
  if (added) ShuffleCards(cards_, cursor_, cards_.size(), random);
}

std::optional<PhotoId> Deck::Next(const RandomBelow& random) {
  for (int pass = 0; pass < 2; ++pass) {
    while (cursor_ < cards_.size() && !Playable(cards_[cursor_])) ++cursor_;
    if (cursor_ < cards_.size()) {
      lastHanded_ = cards_[cursor_].id;
      return cards_[cursor_++].id;
    }
    if (pass == 0) StartPass(random);
  }
  return std::nullopt;
}

void Deck::StartPass(const RandomBelow& random) {
  for (Card& card : cards_) card.shown = false;
  ShuffleCards(cards_, 0, cards_.size(), random);
  cursor_ = 0;
  // The photo on screen now must not be the first of the new pass: swap it
  // with a later playable card (there is none when it is the only one).
  size_t first = 0;
  while (first < cards_.size() && !Playable(cards_[first])) ++first;
  if (first == cards_.size() || cards_[first].id != lastHanded_) return;
  std::vector<size_t> others;
  for (size_t i = first + 1; i < cards_.size(); ++i) {
    if (Playable(cards_[i])) others.push_back(i);
  }
  if (!others.empty()) std::swap(cards_[first], cards_[others[random(others.size())]]);
}

std::optional<size_t> Deck::Find(PhotoId id) const {
  // The card asked about is nearly always one just handed out.
  for (size_t i = cursor_; i > 0; --i) {
    if (cards_[i - 1].id == id) return i - 1;
  }
  return std::nullopt;
}

void Deck::MarkShown(PhotoId id) {
  if (auto at = Find(id)) {
    cards_[*at].shown = true;
    lastShown_ = id;
  }
}

void Deck::MarkFailed(PhotoId id) {
  if (auto at = Find(id)) cards_[*at].failed = true;
}
