#pragma once
// The session's photo and music lists: built once at session start, walked
// and trimmed by the loader, reshuffled after every pass in random order.

#include <windows.h>

#include "session/shuffle.h"
#include "session/slideshow_session.h"

// Copies the live settings into the session and expands the configured
// entries into its file lists, shuffled when random order is on.
void BuildPlaylists(SlideshowSession& session, const SaverSettings& settings, const MediaList& photoEntries,
                    const MediaList& musicEntries);

// Appends the files an entry stands for to the session's photoFiles
// (musicFiles), walking sub-folders when the session's photoIncludeSubDir
// (musicIncludeSubDir) is set. E_INVALIDARG for an absent or empty entry.
HRESULT ExpandPhotoEntry(const wchar_t* entry, SlideshowSession& session);
HRESULT ExpandMusicEntry(const wchar_t* entry, SlideshowSession& session);

// The loader's work for one request: decodes the photo at photoIndex onto the
// staging surface, dropping files that do not decode. E_FAIL when the list
// is or becomes empty.
HRESULT LoadStep(SlideshowSession& session);

// rand's state is per thread: a thread seeds its own from the tick count
// right before it draws.
void SeedThreadRand();
void SeedAndShuffle(MediaList& list);
