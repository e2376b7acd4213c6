// Figures for the library index: how soon a show could have its photos from
// the index, how long the walk takes and how many folders it lists, and the
// memory a show keeps for its list of the whole library.
//   library_bench <index file> <photo folder>
// Prints "name value..." lines; never fails on a time.

#include <windows.h>

#include <malloc.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "library/library_walk.h"
#include "library/photo_index.h"
#include "library/photo_list.h"
#include "library/slot_ids.h"

#include "bench/bench_measure.h"

// Bytes the program holds from operator new: the lists are measured by what
// they really take from the heap, padding and spare capacity included.
// SQLite allocates on its own and is not counted. One thread only.
namespace {
size_t liveHeapBytes = 0;
}  // namespace

void* operator new(size_t size) {
  void* block = std::malloc(size != 0 ? size : 1);
  if (!block) throw std::bad_alloc();
  liveHeapBytes += _msize(block);
  return block;
}
void operator delete(void* block) noexcept {
  if (!block) return;
  liveHeapBytes -= _msize(block);
  std::free(block);
}
void operator delete(void* block, size_t) noexcept { operator delete(block); }

namespace {

double Megabytes(size_t bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: library_bench <index file> <photo folder>\n");
    return 2;
  }
  const std::wstring indexFile = argv[1];
  const std::vector<std::wstring> roots{argv[2]};

  // What a show waits for before its first photo: an open without the page
  // check and one lookup, in walk order and in the deck's order.
  for (const bool random : {false, true}) {
    const double begun = NowMs();
    auto quick = PhotoIndex::Open(indexFile, false);
    const bool found = quick && FirstKnownPhoto(*quick, roots, true, random).has_value();
    std::printf("first-photo-lookup %s ms %.1f found %d\n", random ? "random" : "sequential", NowMs() - begun,
                found ? 1 : 0);
  }

  double start = NowMs();
  auto index = PhotoIndex::Open(indexFile);
  const double opened = NowMs() - start;
  size_t known = 0;
  if (index) known = IndexedPhotos(*index, roots, true).Count();
  std::printf("index-open ms %.1f usable %d\n", opened, index ? 1 : 0);
  std::printf("from-index ms %.1f photos %zu\n", NowMs() - start, known);

  // What a show in random order keeps: its list (each path's text held
  // once), the index's id of each path and back, and the deck.
  const size_t heapBefore = liveHeapBytes;
  PhotoList list;
  SlotIds ids;
  std::vector<Card> present;
  start = NowMs();
  const LibraryWalkOutcome outcome = WalkLibrary(index.get(), roots, true, nullptr, [&](PhotoBatch&& photos) {
    for (size_t k = 0; k < photos.Count(); ++k) {
      const uint32_t slot = list.Paths().Intern(photos.Folder(k), photos.Name(k));
      ids.Set(slot, photos.Id(k));
      list.AppendSlot(slot);
      present.push_back({photos.Id(k), false, photos.Failed(k)});
    }
  });
  std::printf("walk ms %.1f folders-reached %zu folders-listed %zu photos %zu complete %d\n", NowMs() - start,
              outcome.foldersReached, outcome.foldersListed, list.Count(), outcome.complete ? 1 : 0);

  start = NowMs();
  Deck deck = index ? index->LoadDeck() : Deck();
  deck.Sync(present, [](size_t bound) { return static_cast<size_t>(std::rand()) % bound; });
  const bool saved = index && index->SaveDeck(deck);
  std::printf("deck ms %.1f cards %zu saved %d\n", NowMs() - start, deck.Cards().size(), saved ? 1 : 0);
  present = {};
  std::printf("photo-list MB %.1f peak-working-set MB %.1f\n", Megabytes(liveHeapBytes - heapBefore), PeakMegabytes());
  return 0;
}
