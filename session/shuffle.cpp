#include "session/shuffle.h"

#include <cstdlib>
#include <numeric>
#include <string>
#include <utility>

std::vector<size_t> ShuffleOrder(size_t count, const Rand15& rand15) {
  std::vector<size_t> order(count);
  std::iota(order.begin(), order.end(), size_t{0});
  for (size_t i = 1; i < count; ++i) {
    const auto bound = static_cast<uint32_t>(i + 1);
    uint32_t r = static_cast<uint32_t>(rand15()) & 0x7FFF;
    uint32_t range = 0x7FFF;
    while (range < bound && range != 0xFFFFFFFFu) {
      r = (r << 15) | (static_cast<uint32_t>(rand15()) & 0x7FFF);
      range = (range << 15) | 0x7FFF;
    }
    std::swap(order[i], order[r % bound]);
  }
  return order;
}

void ShuffleList(MediaList& list, const Rand15& rand15) {
  const std::vector<size_t> order = ShuffleOrder(list.Count(), rand15);
  // MediaList only appends and removes, so the new order is built beside it.
  std::vector<std::wstring> shuffled;
  shuffled.reserve(order.size());
  for (size_t from : order) shuffled.push_back(list[from]);
  list.Clear();
  for (auto& path : shuffled) list.Append(std::move(path));
}

void ShuffleList(MediaList& list) {
  ShuffleList(list, [] { return std::rand(); });
}

void ShuffleList(PhotoList& list, const Rand15& rand15) { list.Reorder(ShuffleOrder(list.Count(), rand15)); }

void ShuffleList(PhotoList& list) {
  ShuffleList(list, [] { return std::rand(); });
}
