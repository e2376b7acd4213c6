#include "library/path_store.h"

#include <functional>

namespace {

uint64_t TextHash(std::wstring_view text) { return MixHash(std::hash<std::wstring_view>{}(text)); }

}  // namespace

SplitPath SplitAtFolder(std::wstring_view path) {
  const size_t cut = path.find_last_of(L"\\/");
  if (cut == std::wstring_view::npos) return {{}, path};
  return {path.substr(0, cut + 1), path.substr(cut + 1)};
}

std::wstring_view PathStore::Name(uint32_t slot) const {
  const size_t from = entries_[slot].name;
  const size_t to = slot + 1 < entries_.size() ? entries_[slot + 1].name : names_.size();
  return {names_.data() + from, to - from};
}

std::wstring PathStore::Path(uint32_t slot) const {
  std::wstring path;
  PathInto(slot, path);
  return path;
}

void PathStore::PathInto(uint32_t slot, std::wstring& out) const {
  const std::wstring_view folder = Folder(slot);
  const std::wstring_view name = Name(slot);
  out.reserve(folder.size() + name.size());
  out.assign(folder);
  out.append(name);
}

uint64_t PathStore::HashOf(uint32_t folder, std::wstring_view name) const {
  return TextHash(name) ^ MixHash(folder + 1);
}

std::optional<uint32_t> PathStore::FindFolder(std::wstring_view folder) const {
  return folderIndex_.Find(TextHash(folder), [&](uint32_t number) { return folders_[number] == folder; });
}

uint32_t PathStore::FolderNumber(std::wstring_view folder) {
  // The walk hands over a folder's files together: the last folder is nearly always the one.
  if (!folders_.empty() && folders_.back() == folder) return static_cast<uint32_t>(folders_.size() - 1);
  if (auto known = FindFolder(folder)) return *known;
  const auto number = static_cast<uint32_t>(folders_.size());
  folders_.emplace_back(folder);
  folderIndex_.Insert(TextHash(folder), number, [this](uint32_t filed) { return TextHash(folders_[filed]); });
  return number;
}

std::optional<uint32_t> PathStore::FindIn(uint32_t folder, std::wstring_view name) const {
  return pathIndex_.Find(HashOf(folder, name),
                         [&](uint32_t slot) { return entries_[slot].folder == folder && Name(slot) == name; });
}

uint32_t PathStore::Intern(std::wstring_view folder, std::wstring_view name) {
  const uint32_t number = FolderNumber(folder);
  if (auto known = FindIn(number, name)) return *known;
  const auto slot = static_cast<uint32_t>(entries_.size());
  entries_.push_back({number, static_cast<uint32_t>(names_.size())});
  names_.insert(names_.end(), name.begin(), name.end());
  pathIndex_.Insert(HashOf(number, name), slot,
                    [this](uint32_t filed) { return HashOf(entries_[filed].folder, Name(filed)); });
  return slot;
}

uint32_t PathStore::Intern(std::wstring_view path) {
  const SplitPath split = SplitAtFolder(path);
  return Intern(split.folder, split.name);
}

std::optional<uint32_t> PathStore::Find(std::wstring_view path) const {
  const SplitPath split = SplitAtFolder(path);
  const std::optional<uint32_t> folder = FindFolder(split.folder);
  if (!folder) return std::nullopt;
  return FindIn(*folder, split.name);
}

void PathStore::Clear() {
  folders_ = {};
  folderIndex_.Clear();
  names_ = {};
  entries_ = {};
  pathIndex_.Clear();
}
