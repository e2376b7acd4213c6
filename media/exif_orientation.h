#pragma once
// Reads the EXIF Orientation tag (0x0112 of IFD0) out of a JPEG's own APP1
// segment. The bytes come from the photo file, so every offset is checked
// against the segment before it is followed.

#include <cstddef>
#include <cstdint>
#include <span>

// `app1` is the segment's body after its length field: "Exif\0\0", then a
// TIFF header in either byte order and IFD0. Returns the first value of the
// tag as stored when it is a SHORT, or 0 when the segment is no EXIF block,
// is malformed, or carries no orientation.
int32_t ExifOrientation(std::span<const uint8_t> app1);
