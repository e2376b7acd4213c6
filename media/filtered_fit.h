#pragma once
// Puts a picture reduced by our own filter onto the staging surface's memory:
// pixels already resampled, or a GDI+ bitmap read a band of rows at a time.

#include <windows.h>
// after windows.h, whose types GDI+ uses
#include <objidl.h>

#include <gdiplus.h>

#include <cstdint>

#include "media/photo_fit.h"
#include "media/resample.h"
#include "media/staging_pixels.h"

// The part `source` of a picture filtered into `target` on the surface,
// written a band of rows at a time as the filter gives them. False when a
// row could not be had; the bands before it are written.
bool DrawResampled(const StagingPixels& surface, const PixelRows& picture, SourceRect source, FitRect target);

// Scales the part `source` of a GDI+ bitmap into `target` on the surface
// through the tent filter, transparent parts over black. False when the image
// is not a bitmap or cannot be read: GDI+ may still draw it.
bool DrawBitmapFiltered(const StagingPixels& surface, Gdiplus::GpImage* image, SourceRect source, FitRect target);
