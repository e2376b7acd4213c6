#pragma once
// What the settings dialog says when photos of the lists could not be shown
// for want of a codec: one line for the format that misses the most, naming
// the free Windows extension that reads it and where to get it.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "settings/saver_settings.h"

struct CodecAdvice {
  std::wstring text;              // "312 HEIC photos need the HEIF Image Extensions"
  const wchar_t* link = nullptr;  // the extension's store page (static: links keep the pointer)
};

// `failedByExtension`: files that could not be decoded, counted by extension
// (with its dot, any case). `decoderExtensions`: each installed decoder's
// list as it reports it (".heic,.heif"). Nothing to say when every failed
// format has a decoder (the files are damaged, not unreadable) or is none the
// extensions cover.
std::optional<CodecAdvice> AdviseMissingCodec(const std::vector<std::pair<std::wstring, int>>& failedByExtension,
                                              const std::vector<std::wstring>& decoderExtensions);

// The files of the lists counted by extension (lower case, with its dot;
// names without one are left out). Where no index has counted what failed,
// these stand for it: AdviseMissingCodec counts only the formats no installed
// decoder reads, and no such file can be shown.
std::vector<std::pair<std::wstring, int>> CountByExtension(const MediaList& files);
