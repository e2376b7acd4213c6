#pragma once
// The square surface the loader draws each photo onto and the renderer copies
// into its texture: a bitmap compatible with the saver window in a memory DC,
// with a GDI+ graphics object on it once a photo needs one.

#include <windows.h>

#include "session/slideshow_session.h"

// Creates stagingDC and a stagingBitmap of edge x edge pixels, compatible with
// the window's DC (the screen's when window is null). They stay until the
// session record goes; a later call keeps a surface of the same edge, and on
// failure the surface it found.
HRESULT CreateStagingSurface(SlideshowSession& session, HWND window, int edge);

// Deletes the staging graphics and shuts GDI+ down; harmless when not
// started. Only once the loader is done with the surface.
void StopStagingGraphics(SlideshowSession& session);

// The photo at photoIndex decoded onto the session's staging surface, its
// layout left in `staged` (see DecodePhotoFitted in media/decode_photo.h).
// E_INVALIDARG when photoIndex is past the list or the surface is missing.
HRESULT DecodePhoto(SlideshowSession& session);
HRESULT DecodePhotoFitted(SlideshowSession& session, int fitMode);
