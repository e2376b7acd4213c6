#pragma once
// The random order of a library, kept across shows: a shuffled deck of
// photos, each shown once before any is shown again. Cards are the index's
// photo ids; paths stay with the caller. No platform calls: randomness comes
// in as a callback.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

using PhotoId = int64_t;

struct Card {
  PhotoId id = 0;
  bool shown = false;   // on screen in this pass
  bool failed = false;  // did not decode; passed over until the file changes

  bool operator==(const Card&) const = default;
};

// A number in [0, bound); bound is at least 1.
using RandomBelow = std::function<size_t(size_t bound)>;

class Deck {
 public:
  Deck() = default;
  // A deck as stored: its cards in order and the photo on screen last.
  Deck(std::vector<Card> cards, PhotoId lastShown);

  // Brings the deck to the photos the library holds now (failed marks as the
  // index has them): photos gone leave, new ones are shuffled into the part
  // of the deck not handed out yet, so they come up in this pass.
  void Sync(const std::vector<Card>& present, const RandomBelow& random);

  // The next photo to decode, past those shown in this pass and those that
  // failed. At the end of a pass the deck is shuffled again, and the photo
  // handed out last does not come first. Nullopt when no photo can be shown.
  std::optional<PhotoId> Next(const RandomBelow& random);

  // A photo counts as shown when it was on screen, not when decoded ahead.
  // One handed out in an earlier pass does not count for this one.
  void MarkShown(PhotoId id);
  void MarkFailed(PhotoId id);

  const std::vector<Card>& Cards() const { return cards_; }
  PhotoId LastShown() const { return lastShown_; }

 private:
  bool Playable(const Card& card) const { return !card.shown && !card.failed; }
  std::optional<size_t> Find(PhotoId id) const;
  void StartPass(const RandomBelow& random);

  std::vector<Card> cards_;
  size_t cursor_ = 0;  // cards before it were handed out in this pass
  PhotoId lastShown_ = 0;
  PhotoId lastHanded_ = 0;
};

// Shuffles [first, last) of `cards` in place.
void ShuffleCards(std::vector<Card>& cards, size_t first, size_t last, const RandomBelow& random);
