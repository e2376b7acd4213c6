#pragma once
// Photo paths held compactly: each folder's path once, the file names one
// after another in a shared buffer, and a path known by its slot number.
// A path is looked up through a hash of its folder number and name. Slots
// are only added, so a slot number stays valid until Clear. No platform calls.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "library/slot_index.h"

// A path cut after its last separator: folder + name gives it back exactly.
struct SplitPath {
  std::wstring_view folder;
  std::wstring_view name;
};
SplitPath SplitAtFolder(std::wstring_view path);

class PathStore {
 public:
  // The slot of folder + name, added when the store does not hold it yet.
  uint32_t Intern(std::wstring_view folder, std::wstring_view name);
  uint32_t Intern(std::wstring_view path);
  std::optional<uint32_t> Find(std::wstring_view path) const;

  size_t Count() const { return entries_.size(); }
  std::wstring_view Folder(uint32_t slot) const { return folders_[entries_[slot].folder]; }
  std::wstring_view Name(uint32_t slot) const;
  std::wstring Path(uint32_t slot) const;
  // Path(slot) written into `out`, reusing its buffer.
  void PathInto(uint32_t slot, std::wstring& out) const;

  void Clear();

 private:
  // A name runs from its offset to the next slot's (slots are added in the
  // order their names are written).
  struct Entry {
    uint32_t folder;
    uint32_t name;
  };

  std::optional<uint32_t> FindFolder(std::wstring_view folder) const;
  uint32_t FolderNumber(std::wstring_view folder);
  uint64_t HashOf(uint32_t folder, std::wstring_view name) const;
  std::optional<uint32_t> FindIn(uint32_t folder, std::wstring_view name) const;

  std::vector<std::wstring> folders_;
  SlotIndex folderIndex_;
  std::vector<wchar_t> names_;
  std::vector<Entry> entries_;
  SlotIndex pathIndex_;
};
