#pragma once
// The file extensions of the installed WIC decoders: the system's own and
// those an extension from the store adds (HEIF, WebP, AVIF, camera RAW).

#include <string>
#include <vector>

// Each decoder's list as it reports it (".bmp,.dib,.rle"); empty when WIC
// cannot be had. Initialises COM on the calling thread for the call.
std::vector<std::wstring> InstalledDecoderExtensions();
