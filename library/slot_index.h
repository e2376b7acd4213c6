#pragma once
// A hash table of slot numbers (uint32) that keeps no keys of its own: the
// caller hashes and compares through its own compact records, so a lookup
// by path or by id costs four bytes a bucket, not a copy of the key.
// Slots are only added, never removed. No platform calls.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// Spreads every bit of a key over the low bits the table masks with.
inline uint64_t MixHash(uint64_t key) {
  key ^= key >> 30;
  key *= 0xBF58476D1CE4E5B9ull;
  key ^= key >> 27;
  key *= 0x94D049BB133111EBull;
  return key ^ (key >> 31);
}

class SlotIndex {
 public:
  // The slot filed under `hash` for which `same(slot)` holds.
  template <typename Same>
  std::optional<uint32_t> Find(uint64_t hash, const Same& same) const {
    if (buckets_.empty()) return std::nullopt;
    const size_t mask = buckets_.size() - 1;
    for (size_t at = hash & mask;; at = (at + 1) & mask) {
      const uint32_t slot = buckets_[at];
      if (slot == kEmpty) return std::nullopt;
      if (same(slot)) return slot;
    }
  }

  // Files `slot` under `hash`; `hashOf(slot)` gives the hash of a slot filed
  // earlier, needed when the table grows.
  template <typename HashOf>
  void Insert(uint64_t hash, uint32_t slot, const HashOf& hashOf) {
    // At most half full: probes stay short.
    if ((count_ + 1) * 2 > buckets_.size()) {
      std::vector<uint32_t> old(buckets_.empty() ? 16 : buckets_.size() * 2, kEmpty);
      old.swap(buckets_);
      for (const uint32_t filed : old) {
        if (filed != kEmpty) Place(hashOf(filed), filed);
      }
    }
    Place(hash, slot);
    ++count_;
  }

  void Clear() {
    buckets_ = {};
    count_ = 0;
  }

 private:
  static constexpr uint32_t kEmpty = UINT32_MAX;
  void Place(uint64_t hash, uint32_t slot) {
    const size_t mask = buckets_.size() - 1;
    size_t at = hash & mask;
    while (buckets_[at] != kEmpty) at = (at + 1) & mask;
    buckets_[at] = slot;
  }

  std::vector<uint32_t> buckets_;
  size_t count_ = 0;
};
