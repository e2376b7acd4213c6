#pragma once
// The index's photo id of each slot of a path store, and the slot of each
// id: a show's lookups both ways without a copy of a path. No platform calls.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "library/deck.h"
#include "library/slot_index.h"

class SlotIds {
 public:
  // Gives `slot` its id; false when it had one already (the first stays).
  bool Set(uint32_t slot, PhotoId id);
  // 0 when the slot has none.
  PhotoId IdOf(uint32_t slot) const { return slot < ids_.size() ? ids_[slot] : 0; }
  // The first slot given `id`.
  std::optional<uint32_t> SlotOf(PhotoId id) const;
  void Clear();

 private:
  std::vector<PhotoId> ids_;
  SlotIndex slots_;
};
