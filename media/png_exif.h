#pragma once
// The EXIF orientation a PNG carries in its eXIf chunk, read for decoders
// whose metadata readers do not look there. The bytes are untrusted: every
// length is checked and the walk is bounded.

#include <cstdint>

#include "media/picture_size.h"  // ReadAt

// 0 when the file is no PNG, has no eXIf chunk before its picture data, or
// the chunk holds no orientation (by OrientationOf).
int32_t PngExifOrientation(const ReadAt& read);
