#include "config/codec_advice.h"

#include "config/photo_filter.h"

#include <algorithm>
#include <map>
#include <string_view>

namespace {

struct MissingFormat {
  const wchar_t* name;       // as users know the files
  const wchar_t* extension;  // the Windows extension that reads them
  const wchar_t* link;
  std::vector<std::wstring_view> fileExtensions;
};

const std::vector<MissingFormat>& Formats() {
  static const std::vector<MissingFormat> formats = {
      {L"HEIC",
       L"HEIF Image Extensions",
       L"https://apps.microsoft.com/detail/9PMMSR1CGPWG",
       {L".heic", L".heif", L".hif"}},
      {L"WebP", L"Webp Image Extensions", L"https://apps.microsoft.com/detail/9PG2DK419DRG", {L".webp"}},
      {L"AVIF", L"AV1 Video Extension", L"https://apps.microsoft.com/detail/9MVZQVXJBQ9V", {L".avif"}},
      {L"JPEG XL", L"JPEG XL Image Extension", L"https://apps.microsoft.com/detail/9MZPRTH5C0TB", {L".jxl"}},
      {L"camera RAW",
       L"Raw Image Extension",
       L"https://apps.microsoft.com/detail/9NCTDW2W1BH8",
       {L".arw", L".cr2", L".cr3", L".crw", L".dng", L".erf", L".kdc", L".mrw", L".nef", L".nrw", L".orf", L".pef",
        L".raf", L".raw", L".rw2", L".sr2", L".srf", L".srw", L".x3f"}},
  };
  return formats;
}

}  // namespace

std::optional<CodecAdvice> AdviseMissingCodec(const std::vector<std::pair<std::wstring, int>>& failedByExtension,
                                              const std::vector<std::wstring>& decoderExtensions) {
  const std::vector<std::wstring> installed = PlainDecoderExtensions(decoderExtensions);
  const MissingFormat* worst = nullptr;
  long long worstCount = 0;
  for (const MissingFormat& format : Formats()) {
    long long count = 0;
    for (const auto& [extension, failed] : failedByExtension) {
      const std::wstring lower = Lower(extension);
      const bool ours =
          std::find(format.fileExtensions.begin(), format.fileExtensions.end(), lower) != format.fileExtensions.end();
      const bool readable = std::find(installed.begin(), installed.end(), lower) != installed.end();
      if (ours && !readable && failed > 0) count += failed;
    }
    if (count > worstCount) worst = &format, worstCount = count;
  }
  if (!worst) return std::nullopt;
  const std::wstring noun = worstCount == 1 ? L" photo needs the " : L" photos need the ";
  return CodecAdvice{std::to_wstring(worstCount) + L" " + worst->name + noun + worst->extension, worst->link};
}

std::vector<std::pair<std::wstring, int>> CountByExtension(const MediaList& files) {
  std::map<std::wstring, int> counts;
  for (const std::wstring& path : files) {
    const size_t dot = path.find_last_of(L"./\\");
    if (dot != std::wstring::npos && path[dot] == L'.') ++counts[Lower(std::wstring_view(path).substr(dot))];
  }
  return {counts.begin(), counts.end()};
}
