#pragma once
// The session's photo and music lists: built once at session start, walked
// and trimmed by the loader, reshuffled after every pass in random order.

#include <windows.h>

#include "session/shuffle.h"
#include "session/slideshow_session.h"

// Copies the live settings into the session and expands the configured
// entries into its file lists, shuffled when random order is on.
void BuildPlaylists(SlideshowSession& session = slideshowSession);

// The loader's work for one request: decodes the photo at photoIndex onto the
// staging surface, dropping files that do not decode. E_FAIL when the list
// is or becomes empty.
HRESULT LoadStep(SlideshowSession& session);
