#include "library/photo_batch.h"

void PhotoBatch::Add(std::wstring_view folder, std::wstring_view name, PhotoId id, bool failed) {
  if (folders_.empty() || folders_.back() != folder) folders_.emplace_back(folder);
  entries_.push_back({id, static_cast<uint32_t>(folders_.size() - 1), static_cast<uint32_t>(names_.size())});
  names_.insert(names_.end(), name.begin(), name.end());
  failed_.push_back(failed);
}

void PhotoBatch::Append(const PhotoBatch& other) {
  for (size_t k = 0; k < other.Count(); ++k) Add(other.Folder(k), other.Name(k), other.Id(k), other.Failed(k));
}

std::wstring_view PhotoBatch::Name(size_t k) const {
  const size_t from = entries_[k].name;
  const size_t to = k + 1 < entries_.size() ? entries_[k + 1].name : names_.size();
  return {names_.data() + from, to - from};
}

std::wstring PhotoBatch::Path(size_t k) const {
  std::wstring path(Folder(k));
  path += Name(k);
  return path;
}
