#include "settings/section_entries.h"

#include <cwctype>

namespace {

std::wstring_view Trim(std::wstring_view text) {
  const auto blank = [](wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

std::wstring Folded(std::wstring_view key) {
  std::wstring folded(key);
  for (wchar_t& c : folded) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
  return folded;
}

}  // namespace

SectionValues::SectionValues(std::wstring_view block) {
  while (!block.empty() && block.front() != L'\0') {
    const size_t end = block.find(L'\0');
    const std::wstring_view line = block.substr(0, end);
    block.remove_prefix(end == std::wstring_view::npos ? block.size() : end + 1);

    const size_t equals = line.find(L'=');
    const std::wstring_view key = Trim(line.substr(0, equals));
    if (key.empty() || key.front() == L';') continue;
    std::wstring_view value = equals == std::wstring_view::npos ? std::wstring_view() : Trim(line.substr(equals + 1));
    if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') && value.back() == value.front()) {
      value = value.substr(1, value.size() - 2);
    }
    values_.try_emplace(Folded(key), value);
  }
}

std::wstring_view SectionValues::Find(std::wstring_view key) const {
  const auto found = values_.find(Folded(key));
  return found == values_.end() ? std::wstring_view() : std::wstring_view(found->second);
}

void AppendSectionEntries(const SectionValues& section, MediaList& list) {
  for (size_t i = 0; i < kMaxMediaEntries; ++i) {
    const std::wstring_view value = section.Find(std::to_wstring(i));
    if (value.empty()) break;
    if (value.size() > kMaxEntryChars) continue;
    list.Append(std::wstring(value));
  }
}
