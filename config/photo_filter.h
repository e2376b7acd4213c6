#pragma once
// The photo picker's filter: JPEG and metafiles, which the saver reads
// itself, beside the extensions of every installed WIC decoder, so that a
// codec the user adds (HEIF, WebP, camera RAW) makes its files pickable.

#include <string>
#include <string_view>
#include <vector>

// `text` in lower case: extensions compare without regard to case.
std::wstring Lower(std::wstring_view text);

// Every plain extension of the decoders' lists (each as it reports it:
// ".bmp,.dib,.rle"), lower case, each once.
std::vector<std::wstring> PlainDecoderExtensions(const std::vector<std::wstring>& decoderExtensions);

// Description and pattern pairs, each ended by a zero character, the whole
// ended by an empty string, as the open-file dialog takes them.
// `decoderExtensions` holds each decoder's list as it reports it: extensions
// separated by commas, each with its dot (".bmp,.dib,.rle"). Each extension
// appears once whatever its case; what is no plain extension is left out.
std::wstring PhotoPickerFilter(const std::vector<std::wstring>& decoderExtensions);
