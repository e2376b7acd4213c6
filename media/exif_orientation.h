#pragma once
// Reads the EXIF Orientation tag (0x0112 of IFD0) out of a JPEG's own APP1
// segment or a bare TIFF block (a PNG's eXIf chunk). The bytes come from the
// photo file, so every offset is checked against the block before it is
// followed.

#include <cstddef>
#include <cstdint>
#include <span>

// The one rule every orientation reader follows, whichever decoder found the
// tag: a SHORT from 1 to 8 is an orientation; another type or value is none
// (0), so that no reader turns a photo another would show upright.
constexpr int32_t OrientationOf(bool isShort, uint32_t value) {
  return isShort && value >= 1 && value <= 8 ? static_cast<int32_t>(value) : 0;
}

// `app1` is the segment's body after its length field: "Exif\0\0", then a
// TIFF header in either byte order and IFD0. Returns the tag's first value by
// OrientationOf, or 0 when the segment is no EXIF block, is malformed, or
// carries no orientation.
int32_t ExifOrientation(std::span<const uint8_t> app1);

// The same for a TIFF block without the "Exif\0\0" prefix.
int32_t TiffOrientation(std::span<const uint8_t> tiff);
