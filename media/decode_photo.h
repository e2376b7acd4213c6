#pragma once
// Decodes the photo at photoIndex onto the staging surface, cropped to a
// square or letterboxed on black, and records how: fitMode,
// photoOrientation and photoLandscape.

#include <windows.h>

#include "session/slideshow_session.h"

// S_OK when the picture is on the surface, E_FAIL otherwise. On E_FAIL the
// surface, fitMode and photoLandscape keep what they held.
HRESULT DecodePhoto(SlideshowSession& session);

// The same with the fit mode chosen by the caller instead of at random.
HRESULT DecodePhotoFitted(SlideshowSession& session, int fitMode);

constexpr PROPID kExifOrientationTag = 0x0112;
