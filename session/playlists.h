#pragma once
// The session's photo and music lists: built once at session start, walked
// and trimmed by the loader, reshuffled after every pass in random order.

#include <windows.h>

#include "session/shuffle.h"
#include "session/slideshow_session.h"

// Copies the live settings into the session and expands the configured
// entries into its file lists, shuffled when random order is on: the two
// steps below, one after the other.
void BuildPlaylists(SlideshowSession& session, const SaverSettings& settings, const MediaList& photoEntries,
                    const MediaList& musicEntries);

// The settings the show runs with (the slide time at least a second).
void CopyShowSettings(SlideshowSession& session, const SaverSettings& settings);

// The file lists from the configured entries, by the session's settings.
// Walks folders: on the loader thread in a running saver.
void ExpandPlaylists(SlideshowSession& session, const MediaList& photoEntries, const MediaList& musicEntries);
// The photo half of that: a new list from the entries, shuffled in random order.
void ExpandPhotoList(SlideshowSession& session, const MediaList& photoEntries);
// The music half of that.
void ExpandMusicList(SlideshowSession& session, const MediaList& musicEntries);

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
template <typename List>
void SeedAndShuffle(List& list) {
  SeedThreadRand();
  if (!list.Empty()) ShuffleList(list);
}
