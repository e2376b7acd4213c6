#include "config/photo_filter.h"

#include <algorithm>
#include <cwctype>

namespace {

// Read by the saver itself, whatever codecs are installed.
constexpr std::wstring_view kOwnExtensions[] = {L".jpg", L".jpeg", L".jpe", L".jfif", L".emf", L".wmf"};

// A dot and a name without separators or wildcards: anything else would
// change the meaning of the pattern list.
bool PlainExtension(std::wstring_view extension) {
  return extension.size() > 1 && extension.front() == L'.' &&
         extension.find_first_of(L".;*?\\/ ", 1) == std::wstring_view::npos &&
         extension.find(L'\0') == std::wstring_view::npos;
}

}  // namespace

std::wstring Lower(std::wstring_view text) {
  std::wstring lower(text);
  for (wchar_t& c : lower) c = static_cast<wchar_t>(std::towlower(c));
  return lower;
}

std::vector<std::wstring> PlainDecoderExtensions(const std::vector<std::wstring>& decoderExtensions) {
  std::vector<std::wstring> extensions;
  for (const std::wstring& list : decoderExtensions) {
    for (size_t start = 0; start <= list.size();) {
      const size_t comma = std::min(list.find(L',', start), list.size());
      std::wstring extension = Lower(std::wstring_view(list).substr(start, comma - start));
      extension.erase(0, extension.find_first_not_of(L' '));
      extension.erase(extension.find_last_not_of(L' ') + 1);
      if (PlainExtension(extension) && std::find(extensions.begin(), extensions.end(), extension) == extensions.end()) {
        extensions.push_back(std::move(extension));
      }
      start = comma + 1;
    }
  }
  return extensions;
}

std::wstring PhotoPickerFilter(const std::vector<std::wstring>& decoderExtensions) {
  std::vector<std::wstring> extensions(std::begin(kOwnExtensions), std::end(kOwnExtensions));
  for (std::wstring& extension : PlainDecoderExtensions(decoderExtensions)) {
    if (std::find(extensions.begin(), extensions.end(), extension) == extensions.end()) {
      extensions.push_back(std::move(extension));
    }
  }
  std::wstring filter = L"Image Files";
  filter.push_back(L'\0');
  for (size_t i = 0; i < extensions.size(); ++i) filter += (i ? L";*" : L"*") + extensions[i];
  filter.push_back(L'\0');
  filter += L"All Files";
  filter.push_back(L'\0');
  filter += L"*.*";
  filter.push_back(L'\0');
  filter.push_back(L'\0');
  return filter;
}
