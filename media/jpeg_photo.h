#pragma once
// A JPEG decoded by libjpeg-turbo at a reduced scale and handed to GDI+ as a
// bitmap, so that the fit draws it just as it draws any other photo.

#include <windows.h>

#include <objidl.h>

#include <gdiplus.h>

#include <optional>

#include "media/jpeg_decode.h"

// When libjpeg-turbo takes the file: the picture, and in `image` a GDI+ bitmap
// drawn from its pixels, which the caller disposes of before the picture goes.
// nullopt when libjpeg-turbo refuses the file; `image` is then left alone.
std::optional<ScaledJpeg> LoadScaledJpeg(const wchar_t* path, int fitMode, Gdiplus::GpImage** image);
