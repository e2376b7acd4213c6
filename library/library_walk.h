#pragma once
// The photo folders walked against the index: the photos it already holds at
// once, then a walk that lists only new and changed folders, handing over
// each folder's photos as it goes. Runs on a worker thread, never on the
// window's.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "library/photo_batch.h"
#include "library/photo_index.h"

struct LibraryPhoto {
  PhotoId id = 0;  // 0 without an index
  std::wstring path;
  bool failed = false;
};

// One folder's photos at a time, in walk order.
using OnFolderPhotos = std::function<void(PhotoBatch&& photos)>;

struct LibraryWalkOutcome {
  size_t foldersReached = 0;
  size_t foldersListed = 0;
  bool complete = false;  // every root walked to the end
};

// The photos under the folders `roots` as the index holds them, in walk
// order, with no access to the disk. Ends after the folder that brings the
// number of photos not marked failed to `enough`.
PhotoBatch IndexedPhotos(PhotoIndex& index, const std::vector<std::wstring>& roots, bool includeSubDirs,
                         size_t enough = SIZE_MAX);

// A photo under `roots` that is on the disk now, found with a few lookups so
// that a show can start before it has its whole list: in random order the
// deck's next card not shown in this pass, else the first photo in walk
// order. Nullopt when there is none such (a first run, a pass used up).
std::optional<LibraryPhoto> FirstKnownPhoto(PhotoIndex& index, const std::vector<std::wstring>& roots,
                                            bool includeSubDirs, bool random);

// Walks `roots` depth first in the platform's order, listing a folder only
// when the index does not know it or its last-write time moved (every folder
// without an index), and storing what it lists. A real folder reached again
// through a link is walked once. Checks `stopEvent` between folders. After
// a complete walk, folders no longer reached leave the index.
LibraryWalkOutcome WalkLibrary(PhotoIndex* index, const std::vector<std::wstring>& roots, bool includeSubDirs,
                               HANDLE stopEvent, const OnFolderPhotos& onFolder);
