#include "session/show_library.h"

#include <cstdlib>

#include "session/playlists.h"
#include "session/slideshow_session.h"

namespace {

// How long the stopping loader gives the walk to reach its next folder.
constexpr DWORD kWalkStopWaitMs = 200;
// How often a loader with nothing to decode looks for the walk's finds.
constexpr DWORD kNewsPollMs = 50;

size_t RandomBelow15(size_t bound) {
  // rand gives 15 bits; a library can hold far more photos.
  const size_t wide = (static_cast<size_t>(std::rand()) << 30) ^ (static_cast<size_t>(std::rand()) << 15) ^
                      static_cast<size_t>(std::rand());
  return wide % bound;
}

bool IsFile(const std::wstring& entry) {
  const DWORD attributes = GetFileAttributesW(entry.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool Random(const SlideshowSession& session) { return session.sessionSettings.photoRandom; }

// The id of a path the show knows; 0 for none.
PhotoId IdOf(const SlideshowSession& session, const std::wstring& path) {
  const std::optional<uint32_t> slot = session.photoFiles.Paths().Find(path);
  return slot ? session.library->ids.IdOf(*slot) : 0;
}

// Known to the show, and reported by its walk since the last prune.
bool Walked(const ShowLibrary& library, uint32_t slot) {
  return library.ids.IdOf(slot) != 0 && slot < library.walked.size() && library.walked[slot];
}

// Hands the deck's next `count` photos to the end of the list.
void HandOut(SlideshowSession& session, size_t count) {
  ShowLibrary& library = *session.library;
  for (size_t k = 0; k < count; ++k) {
    auto id = library.deck.Next(RandomBelow15);
    if (!id) break;
    // Every card is a photo the show knows: the deck is synced to them.
    if (auto slot = library.ids.SlotOf(*id)) session.photoFiles.AppendSlot(*slot);
  }
}

size_t CountCards(const Deck& deck, bool withShown) {
  size_t count = 0;
  for (const Card& card : deck.Cards()) count += !card.failed && (withShown || !card.shown);
  return count;
}

// New photos (not failed, unknown so far) join the list: in random order
// shuffled into the part of the pass not shown yet.
void Join(SlideshowSession& session, const PhotoBatch& photos) {
  ShowLibrary& library = *session.library;
  std::vector<Card> present = library.deck.Cards();
  const size_t known = present.size();
  for (size_t k = 0; k < photos.Count(); ++k) {
    const uint32_t slot = session.photoFiles.Paths().Intern(photos.Folder(k), photos.Name(k));
    if (slot >= library.walked.size()) library.walked.resize(slot + 1);
    library.walked[slot] = true;
    if (!library.ids.Set(slot, photos.Id(k))) continue;
    if (photos.Failed(k)) continue;
    if (Random(session)) {
      present.push_back({photos.Id(k), false, false});
    } else {
      session.photoFiles.AppendSlot(slot);
    }
  }
  if (present.size() == known) return;
  // The list always holds the whole pass handed out, so the new cards are
  // the only ones left to hand.
  library.deck.Sync(present, RandomBelow15);
  HandOut(session, present.size() - known);
  library.index->SaveDeck(library.deck);
}

// After a walk that saw everything: photos no longer there leave the list.
void Prune(SlideshowSession& session) {
  ShowLibrary& library = *session.library;
  PhotoList& files = session.photoFiles;
  for (size_t k = files.Count(); k > 0; --k) {
    if (Walked(library, files.SlotAt(k - 1))) continue;
    files.RemoveAt(k - 1);
    if (session.photoIndex >= k) --session.photoIndex;
  }
  if (session.photoIndex >= files.Count()) session.photoIndex = 0;
  if (!Random(session)) return;
  std::vector<Card> present;
  for (const Card& card : library.deck.Cards()) {
    const std::optional<uint32_t> slot = library.ids.SlotOf(card.id);
    if (slot && Walked(library, *slot)) present.push_back(card);
  }
  library.walked.assign(library.walked.size(), false);
  if (present.size() == library.deck.Cards().size()) return;
  library.deck.Sync(present, RandomBelow15);
  library.index->SaveDeck(library.deck);
}

DWORD WINAPI WalkThread(void* parameter) {
  auto& session = *static_cast<SlideshowSession*>(parameter);
  ShowLibrary& library = *session.library;
  // A connection of its own: one connection is used by one thread. The
  // loader's checked the pages.
  auto index = PhotoIndex::Open(library.indexPath, false);
  bool announced = false;
  const LibraryWalkOutcome outcome =
      !index ? LibraryWalkOutcome{}
             : WalkLibrary(index.get(), library.roots, session.sessionSettings.photoIncludeSubDir,
                           session.stopWalkEvent.get(), [&](PhotoBatch&& photos) {
                             const bool any = !photos.Empty();
                             {
                               std::lock_guard<std::mutex> hold(library.lock);
                               library.found.Append(photos);
                             }
                             if (!announced && any) {
                               // A first show has its first photos: the rest of the walk gives way.
                               announced = true;
                               SetEvent(library.firstFound.get());
                               SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_LOWEST);
                               const HANDLE waitOn[2] = {library.walkGoOn.get(), session.stopWalkEvent.get()};
                               if (waitOn[0]) WaitForMultipleObjects(2, waitOn, FALSE, INFINITE);
                             }
                           });
  if (outcome.complete) {
    std::lock_guard<std::mutex> hold(library.lock);
    library.walkComplete = true;
  }
  SetEvent(library.firstFound.get());
  return 0;
}

// On a first run the show waits for the walk's first photos, so the walk
// competes as an equal until it has them.
bool StartWalk(SlideshowSession& session, bool firstRun) {
  ShowLibrary& library = *session.library;
  library.firstFound.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!library.firstFound) return false;
  if (firstRun) library.walkGoOn.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  library.walkThread.reset(CreateThread(nullptr, 0, WalkThread, &session, 0, nullptr));
  if (!library.walkThread) return false;
  if (!firstRun) SetThreadPriority(library.walkThread.get(), THREAD_PRIORITY_LOWEST);
  return true;
}

// The pages are read through once a show, after its first photo: a damaged
// index is made again, and false sends the show to the walk it always had.
bool CheckPages(ShowLibrary& library) {
  if (library.pagesChecked) return library.index != nullptr;
  library.pagesChecked = true;
  if (library.index->PagesSound()) return true;
  library.index.reset();
  library.index = PhotoIndex::Open(library.indexPath);
  return false;
}

void WalkAsAlways(SlideshowSession& session) {
  session.library.reset();
  ExpandPhotoList(session, session.photoEntries);
}

// The list, and in random order the deck where the last show left it, from
// everything the index holds. A first photo already decoded stays at the
// head, handed out. How many photos the index knew.
size_t LoadKnown(SlideshowSession& session) {
  ShowLibrary& lib = *session.library;
  const PhotoBatch photos = IndexedPhotos(*lib.index, lib.roots, session.sessionSettings.photoIncludeSubDir);
  PathStore& paths = session.photoFiles.Paths();
  const std::optional<uint32_t> firstSlot =
      !lib.first.empty() && lib.staged == lib.first ? paths.Find(lib.first) : std::nullopt;
  const bool keepFirst = firstSlot.has_value();
  const uint32_t first = firstSlot.value_or(0);
  session.photoFiles.Clear();
  session.photoIndex = 0;
  for (size_t k = 0; k < photos.Count(); ++k) {
    const uint32_t slot = paths.Intern(photos.Folder(k), photos.Name(k));
    lib.ids.Set(slot, photos.Id(k));
    if (photos.Failed(k) || Random(session)) continue;
    session.photoFiles.AppendSlot(slot);
    if (keepFirst && slot == first) session.photoIndex = static_cast<uint32_t>(session.photoFiles.Count());
  }
  // None known (other folders indexed): the stored deck is no concern of this show's yet.
  if (!Random(session) || photos.Empty()) return photos.Count();
  lib.deck = lib.index->LoadDeck();
  std::vector<Card> present;
  present.reserve(photos.Count());
  for (size_t k = 0; k < photos.Count(); ++k) present.push_back({photos.Id(k), false, photos.Failed(k)});
  lib.deck.Sync(present, RandomBelow15);
  if (keepFirst) {
    const PhotoId id = lib.ids.IdOf(first);
    std::vector<Card> cards = lib.deck.Cards();
    for (Card& card : cards) card.shown = card.shown || card.id == id;
    lib.deck = Deck(std::move(cards), id);
    session.photoFiles.AppendSlot(first);
    session.photoIndex = 1;
  }
  const size_t left = CountCards(lib.deck, false);
  HandOut(session, left != 0 ? left : CountCards(lib.deck, true));
  lib.index->SaveDeck(lib.deck);
  return photos.Count();
}

void MarkStagedShown(SlideshowSession& session) {
  ShowLibrary& library = *session.library;
  if (library.staged.empty()) return;
  const PhotoId id = IdOf(session, library.staged);
  library.staged.clear();
  if (Random(session)) library.deck.MarkShown(id);
  library.index->MarkShown(id);
}

}  // namespace

bool ExpandLibraryPhotos(SlideshowSession& session) {
  session.library.reset();
  if (session.photoEntries.Empty() || !session.stopWalkEvent) return false;
  auto library = std::make_unique<ShowLibrary>();
  for (const std::wstring& entry : session.photoEntries) {
    // A single file keeps the walk it always had.
    if (IsFile(entry)) return false;
    library->roots.push_back(entry);
  }
  library->indexPath = DefaultIndexPath();
  if (library->indexPath.empty()) return false;
  library->index = PhotoIndex::Open(library->indexPath, false);
  if (!library->index) return false;

  session.library = std::move(library);
  ShowLibrary& lib = *session.library;
  session.photoFiles.Reset();
  session.photoIndex = 0;
  SeedThreadRand();
  const bool subDirs = session.sessionSettings.photoIncludeSubDir;
  if (auto first = FirstKnownPhoto(*lib.index, lib.roots, subDirs, Random(session))) {
    const uint32_t slot = session.photoFiles.Paths().Intern(first->path);
    lib.ids.Set(slot, first->id);
    lib.first = first->path;
    lib.partial = true;
    session.photoFiles.AppendSlot(slot);
    return true;
  }
  if (!CheckPages(lib)) {
    session.library.reset();
    return false;
  }
  if (LoadKnown(session) != 0) {
    StartWalk(session, false);
    return true;
  }
  // Nothing known: a first run starts with the first folders the walk finds.
  if (!StartWalk(session, true)) {
    session.library.reset();
    return false;
  }
  const HANDLE waitOn[2] = {lib.firstFound.get(), session.stopWalkEvent.get()};
  WaitForMultipleObjects(2, waitOn, FALSE, INFINITE);
  TakeLibraryNews(session);
  return true;
}

bool CompleteLibrary(SlideshowSession& session) {
  if (!session.library || !session.library->partial) return false;
  ShowLibrary& library = *session.library;
  library.partial = false;
  if (!CheckPages(library)) {
    WalkAsAlways(session);
    return true;
  }
  LoadKnown(session);
  StartWalk(session, false);
  return true;
}

void TakeLibraryNews(SlideshowSession& session) {
  if (!session.library) return;
  if (session.library->firstTried) CompleteLibrary(session);
  if (!session.library) return;
  ShowLibrary& library = *session.library;
  if (library.walkGoOn && library.firstTried) SetEvent(library.walkGoOn.get());
  MarkStagedShown(session);
  PhotoBatch found;
  bool complete = false;
  {
    std::lock_guard<std::mutex> hold(library.lock);
    std::swap(found, library.found);
    complete = library.walkComplete;
    library.walkComplete = false;
  }
  if (!found.Empty()) Join(session, found);
  if (complete) Prune(session);
}

bool WaitForLibraryPhotos(SlideshowSession& session) {
  if (!session.library || !session.library->walkGoOn || !session.library->walkThread) return false;
  ShowLibrary& library = *session.library;
  SetEvent(library.walkGoOn.get());
  for (;;) {
    {
      std::lock_guard<std::mutex> hold(library.lock);
      if (!library.found.Empty() || library.walkComplete) break;
    }
    if (session.loaderStopping) return false;
    if (WaitForSingleObject(library.walkThread.get(), kNewsPollMs) == WAIT_OBJECT_0) break;
  }
  TakeLibraryNews(session);
  return !session.photoFiles.Empty();
}

void NoteLibraryDecode(SlideshowSession& session, const std::wstring& path, bool decoded) {
  if (!session.library) return;
  ShowLibrary& library = *session.library;
  library.firstTried = true;
  if (decoded) {
    library.staged = path;
    return;
  }
  const PhotoId id = IdOf(session, path);
  if (id == 0) return;
  library.deck.MarkFailed(id);
  library.index->MarkFailed(id);
}

bool ReshuffleFromLibrary(SlideshowSession& session) {
  if (!session.library) return false;
  ShowLibrary& library = *session.library;
  // One photo so far: its list comes with the next request.
  if (library.partial) return true;
  // The last photo of the pass, on screen in a moment, belongs to this pass:
  // the new one starts with another.
  MarkStagedShown(session);
  session.photoFiles.Clear();
  session.photoIndex = 0;
  // Every card of the pass is handed out, so the first Next starts a new one.
  HandOut(session, CountCards(library.deck, true));
  library.index->SaveDeck(library.deck);
  return true;
}

void CloseLibrary(SlideshowSession& session) {
  if (!session.library) return;
  ShowLibrary& library = *session.library;
  // Before its list the show has no deck to keep: the stored one stays.
  if (Random(session) && !library.partial) library.index->SaveDeck(library.deck);
  if (library.walkThread) SetThreadPriority(library.walkThread.get(), THREAD_PRIORITY_NORMAL);
  if (library.walkThread && WaitForSingleObject(library.walkThread.get(), kWalkStopWaitMs) != WAIT_OBJECT_0) {
    // Still inside a folder listing: it may touch the session until it ends.
    session.workersLeftRunning = true;
  }
}
