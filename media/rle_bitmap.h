#pragma once
// Run-length bitmaps (BI_RLE8, BI_RLE4) decoded by GDI onto black. Their runs
// may skip pixels or stop early; GDI leaves such pixels as they were, so they
// stay black, where GDI+ under Wine shows whatever its memory held before.

#include <optional>

#include "media/jpeg_decode.h"

// The picture at full size, orientation 0, in the JPEG decoder's pixel layout;
// nullopt when the file is no run-length bitmap, cannot be read or would not
// fit the memory budget: GDI+ may then try it.
std::optional<ScaledJpeg> LoadRunLengthBitmap(const wchar_t* path);
