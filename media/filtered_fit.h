#pragma once
// Puts a picture reduced by our own filter onto the staging surface: pixels
// already resampled, or a GDI+ bitmap read a band of rows at a time.

#include <windows.h>
// after windows.h, whose types GDI+ uses
#include <objidl.h>

#include <gdiplus.h>

#include <cstdint>
#include <vector>

#include "media/photo_fit.h"
#include "media/resample.h"

// target.width x target.height pixels at (target.x, target.y) of dc.
bool DrawPixels(HDC dc, const std::vector<uint32_t>& pixels, FitRect target);

// Scales the part `source` of a GDI+ bitmap into `target` on dc through the
// tent filter, transparent parts over black. False when the image is not a
// bitmap or cannot be read: GDI+ may still draw it.
bool DrawBitmapFiltered(HDC dc, Gdiplus::GpImage* image, SourceRect source, FitRect target);
