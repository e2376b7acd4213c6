#pragma once
// Photos as the walk or the index hands them over, in order, with their ids
// and failed marks: each folder's path held once, the names one after
// another in a shared buffer. No platform calls.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "library/deck.h"

class PhotoBatch {
 public:
  void Add(std::wstring_view folder, std::wstring_view name, PhotoId id, bool failed);
  void Append(const PhotoBatch& other);

  size_t Count() const { return entries_.size(); }
  bool Empty() const { return entries_.empty(); }
  std::wstring_view Folder(size_t k) const { return folders_[entries_[k].folder]; }
  std::wstring_view Name(size_t k) const;
  std::wstring Path(size_t k) const;
  PhotoId Id(size_t k) const { return entries_[k].id; }
  bool Failed(size_t k) const { return failed_[k]; }

 private:
  struct Entry {
    PhotoId id;
    uint32_t folder;
    uint32_t name;  // runs to the next entry's
  };

  std::vector<std::wstring> folders_;  // a new one each time the folder changes
  std::vector<wchar_t> names_;
  std::vector<Entry> entries_;
  std::vector<bool> failed_;
};
