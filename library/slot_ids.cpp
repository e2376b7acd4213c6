#include "library/slot_ids.h"

namespace {

uint64_t IdHash(PhotoId id) { return MixHash(static_cast<uint64_t>(id)); }

}  // namespace

bool SlotIds::Set(uint32_t slot, PhotoId id) {
  if (IdOf(slot) != 0) return false;
  if (slot >= ids_.size()) ids_.resize(slot + 1, 0);
  ids_[slot] = id;
  if (!SlotOf(id)) slots_.Insert(IdHash(id), slot, [this](uint32_t filed) { return IdHash(ids_[filed]); });
  return true;
}

std::optional<uint32_t> SlotIds::SlotOf(PhotoId id) const {
  return slots_.Find(IdHash(id), [&](uint32_t slot) { return ids_[slot] == id; });
}

void SlotIds::Clear() {
  ids_ = {};
  slots_.Clear();
}
