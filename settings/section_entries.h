#pragma once
// An entry list read from one INI section in one call. A section read returns
// every "key=value" line at once (each ended by a NUL, the block by a second
// one), where reading key by key costs one pass over the file per entry: a
// list of 10,000 entries took seconds that way.

#include <string>
#include <string_view>
#include <unordered_map>

#include "settings/saver_settings.h"

class SectionValues {
 public:
  // Keys are found as the profile functions find them: trimmed, without
  // regard to case, the first of two equal keys winning. Values lose the
  // blanks around them and one pair of enclosing quotes. Comment lines (";")
  // are no keys.
  explicit SectionValues(std::wstring_view block);

  // The value of `key`; empty when the key is absent.
  std::wstring_view Find(std::wstring_view key) const;

 private:
  std::unordered_map<std::wstring, std::wstring> values_;
};

// The values of keys "0", "1", ... in order, up to the first key that is
// absent or empty. A value longer than an entry may be is skipped (it would
// name another file once cut short), and no more than kMaxMediaEntries keys
// are read.
void AppendSectionEntries(const SectionValues& section, MediaList& list);
