#pragma once
// The square surface the loader draws each photo onto and the renderer
// uploads: the renderer's staging texture in system memory, locked while the
// loader writes it, with a GDI+ graphics object on it once a photo needs one.

#include <windows.h>

#include "media/decode_photo.h"
#include "session/slideshow_session.h"

// Gives the loader the staging surface, locked before a photo is asked for.
// Fails when the renderer has no staging texture or it cannot be locked.
HRESULT HandStagingToLoader(SlideshowSession& session);

// Takes the surface back once the loader's completion is consumed: the
// graphics object on it goes, then the lock, so that the texture can be
// uploaded. Harmless when the loader does not hold it.
void TakeStagingFromLoader(SlideshowSession& session);

// Takes the surface back and shuts GDI+ down; harmless when not started.
// Only once the loader is done with the surface.
void StopStagingGraphics(SlideshowSession& session);

// The photo at photoIndex decoded onto the session's staging surface, its
// layout left in `staged` (see DecodePhotoFitted in media/decode_photo.h).
// E_INVALIDARG when photoIndex is past the list or the loader does not hold
// the surface.
HRESULT DecodePhoto(SlideshowSession& session);
// The surface as the decoders see it while the loader holds it.
StagingTarget StagingTargetOf(SlideshowSession& session);
HRESULT DecodePhotoFitted(SlideshowSession& session, int fitMode);
