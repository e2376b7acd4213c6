#pragma once
// The show's photo list from the per-user index: the photos it knows at
// once, a walk on its own low-priority thread that brings in the new ones
// and drops the gone ones, and in random order the deck kept across shows.
// Loader thread only (the walk has its own thread and connection); the
// window thread never reaches the index.

#include <windows.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "library/library_walk.h"
#include "library/slot_ids.h"
#include "ownership/scoped_handle.h"

struct SlideshowSession;

struct ShowLibrary {
  std::unique_ptr<PhotoIndex> index;
  std::wstring indexPath;
  std::vector<std::wstring> roots;
  Deck deck;
  // A photo the show knows is a slot of its list's path store (the list
  // holds slots, each path's text is there once); its id in the index.
  SlotIds ids;
  // By slot, those this show's walk reported: what is not among them once
  // the walk saw everything is gone.
  std::vector<bool> walked;
  std::wstring staged;  // decoded last: on screen once the next is asked for
  AutoHandle walkThread;
  // A show started from one photo the index knew, before its whole list:
  // the rest is loaded once that photo was tried, so it never waits for it.
  bool partial = false;
  bool firstTried = false;
  std::wstring first;
  bool pagesChecked = false;
  // Set by the walk with the first photos it finds, or at its end.
  AutoHandle firstFound;
  // On a first run the walk holds still after its first photos until the
  // first one is on screen: it would compete with that photo's decode.
  AutoHandle walkGoOn;

  // Handed from the walk's thread to the loader's.
  std::mutex lock;
  PhotoBatch found;
  bool walkComplete = false;
};

// Fills the session's photo list from the index when there is one and every
// entry is a folder: one photo the index knows, the rest after it; on a first
// run the photos of the first folders the walk finds, the rest as it finds
// them. False when the show must walk as it always did.
bool ExpandLibraryPhotos(SlideshowSession& session);

// A show that started from one photo gets its whole list. False when it
// already had it.
bool CompleteLibrary(SlideshowSession& session);

// The photos of a first show all failed so far: waits for the walk's next
// finds. False when the walk has no more to give.
bool WaitForLibraryPhotos(SlideshowSession& session);

// Before a request: the photo decoded last counts as shown, and what the
// walk found since joins the list.
void TakeLibraryNews(SlideshowSession& session);
// After a decode of `path`.
void NoteLibraryDecode(SlideshowSession& session, const std::wstring& path, bool decoded);
// A new pass of the random order: the deck decides it.
bool ReshuffleFromLibrary(SlideshowSession& session);
// At the stop: the deck's place is kept and the walk ended.
void CloseLibrary(SlideshowSession& session);
