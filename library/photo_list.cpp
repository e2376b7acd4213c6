#include "library/photo_list.h"

void PhotoList::Reset() {
  order_ = {};
  paths_.Clear();
}

void PhotoList::Reorder(const std::vector<size_t>& order) {
  std::vector<uint32_t> reordered;
  reordered.reserve(order.size());
  for (const size_t from : order) reordered.push_back(order_[from]);
  order_.swap(reordered);
}

const std::wstring& PhotoList::operator[](size_t index) const {
  paths_.PathInto(order_[index], read_);
  return read_;
}
