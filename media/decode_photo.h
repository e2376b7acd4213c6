#pragma once
// Decodes one photo file onto the staging surface, cropped to a square or
// letterboxed on black, and records how: fitMode, orientation and landscape.

#include <windows.h>
// after windows.h, whose types GDI+ uses
#include <objidl.h>

#include <gdiplus.h>

#include "media/photo_fit.h"
#include "media/staging_pixels.h"
#include "ownership/gdiplus_holders.h"

// The staging surface as the decoder draws on it: its memory, and where GDI+
// for it is kept. Its owner keeps both alive across the call, and shuts GDI+
// down after the last.
struct StagingTarget {
  StagingPixels pixels;
  StagingGdiplus* gdiplus = nullptr;  // null: nothing is drawn through GDI+
};

// GDI+ started and a graphics object made on the surface's memory in
// low-quality interpolation,
// unless there is one already: only metafiles and what no WIC codec reads are
// drawn through GDI+, so most shows never start it. False when either cannot
// be had.
bool StartStagingGdiplus(StagingGdiplus& gdiplus, const StagingPixels& surface);

// S_OK when the picture is on the surface, E_FAIL otherwise; E_INVALIDARG
// without a path or a surface. layout.orientation is always written (0 when
// unknown); layout.fitMode and layout.landscape only on S_OK. On E_FAIL the
// surface keeps what it held when the file could not be read; a draw that
// fails part-way may leave it partly drawn. A photo its decoder opened but
// could not draw (a JPEG libjpeg-turbo refuses part-way, a file a WIC codec
// claims but cannot read) is drawn again whole by the next decoder.
HRESULT DecodePhoto(const wchar_t* path, const StagingTarget& surface, PhotoLayout& layout);

// The same with the fit mode chosen by the caller instead of at random.
HRESULT DecodePhotoFitted(const wchar_t* path, const StagingTarget& surface, int fitMode, PhotoLayout& layout);

// The same with every format through GDI+, JPEG included: the reference the
// scaled JPEG decoder and WIC are held to, and the path photos took before them.
HRESULT DecodePhotoFittedByGdiplus(const wchar_t* path, const StagingTarget& surface, int fitMode, PhotoLayout& layout);

constexpr PROPID kExifOrientationTag = 0x0112;
