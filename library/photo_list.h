#pragma once
// The show's photo list in order: slots of a path store, four bytes an
// entry, so that a list of a whole library holds each path's text once.
// Read by index, a path is built in the list's one path buffer. No platform
// calls.

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "library/path_store.h"

class PhotoList {
 public:
  // Yields each path as a string of its own.
  class Iterator {
   public:
    using iterator_category = std::input_iterator_tag;
    using value_type = std::wstring;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = std::wstring;

    Iterator() = default;
    Iterator(const PhotoList* list, size_t at) : list_(list), at_(at) {}
    std::wstring operator*() const { return list_->PathAt(at_); }
    Iterator& operator++() {
      ++at_;
      return *this;
    }
    Iterator operator++(int) {
      Iterator before = *this;
      ++at_;
      return before;
    }
    bool operator==(const Iterator& other) const { return at_ == other.at_; }

   private:
    const PhotoList* list_ = nullptr;
    size_t at_ = 0;
  };

  void Append(std::wstring_view path) { order_.push_back(paths_.Intern(path)); }
  void AppendSlot(uint32_t slot) { order_.push_back(slot); }
  void RemoveAt(size_t index) { order_.erase(order_.begin() + static_cast<std::ptrdiff_t>(index)); }
  // Empties the list; the paths stay in the store, their slots valid.
  void Clear() { order_.clear(); }
  // Empties the list and the store: a new show's list.
  void Reset();
  // Entry k of the list becomes the one that was at order[k].
  void Reorder(const std::vector<size_t>& order);

  size_t Count() const { return order_.size(); }
  bool Empty() const { return order_.empty(); }
  uint32_t SlotAt(size_t index) const { return order_[index]; }
  std::wstring PathAt(size_t index) const { return paths_.Path(order_[index]); }
  // The path at `index` in the list's path buffer: valid until the list is
  // next read this way. The list has one reader at a time (the session's
  // photoFiles belong to whoever holds the loader's completion).
  const std::wstring& operator[](size_t index) const;

  PathStore& Paths() { return paths_; }
  const PathStore& Paths() const { return paths_; }

  Iterator begin() const { return {this, 0}; }
  Iterator end() const { return {this, order_.size()}; }

 private:
  PathStore paths_;
  std::vector<uint32_t> order_;
  mutable std::wstring read_;
};
