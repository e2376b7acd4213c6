#pragma once
// Photos decoded through the Windows Imaging Component: every format an
// installed codec reads, the system's own and extensions such as HEIF, WebP
// or camera RAW. The first frame is fitted by our own filter, read a band of
// rows at a time, or whole and already reduced from a codec that offers it.

#include <windows.h>

#include <wincodec.h>

#include <cstdint>
#include <optional>

#include "media/photo_fit.h"
#include "media/resample.h"
#include "media/staging_pixels.h"
#include "ownership/com_ref.h"

struct WicPhoto {
  ComRef<IWICImagingFactory> factory;
  ComRef<IWICBitmapFrameDecode> frame;
  uint32_t width = 0;  // frame 0 as stored
  uint32_t height = 0;
  int32_t orientation = 0;  // EXIF orientation by OrientationOf; 0 when none
};

// nullopt when no installed codec reads the file, it is empty, or COM is not
// initialised on the calling thread.
std::optional<WicPhoto> OpenWicPhoto(const wchar_t* path);

// Draws the part `source` of the photo (in its stored pixels) into `target`
// on the surface, transparent parts over black. False when nothing could be drawn.
bool DrawWicPhoto(const StagingPixels& surface, const WicPhoto& photo, SourceRect source, FitRect target);
