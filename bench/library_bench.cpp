// Figures for the library index: how soon a show could have its photos from
// the index, how long the walk takes and how many folders it lists, and the
// memory the photo list takes.
//   library_bench <index file> <photo folder>
// Prints "name value..." lines; never fails on a time.

#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "library/library_walk.h"
#include "library/photo_index.h"

#include "bench/bench_measure.h"

namespace {

// What the photo list itself holds on the heap: records and path text.
double ListMegabytes(const std::vector<LibraryPhoto>& photos) {
  size_t bytes = photos.capacity() * sizeof(LibraryPhoto);
  for (const LibraryPhoto& photo : photos) {
    if (photo.path.capacity() > 7) bytes += (photo.path.capacity() + 1) * sizeof(wchar_t);  // beyond the inline buffer
  }
  return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

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
  std::vector<LibraryPhoto> known;
  if (index) known = IndexedPhotos(*index, roots, true);
  std::printf("index-open ms %.1f usable %d\n", opened, index ? 1 : 0);
  std::printf("from-index ms %.1f photos %zu\n", NowMs() - start, known.size());

  std::vector<LibraryPhoto> walked;
  start = NowMs();
  const LibraryWalkOutcome outcome =
      WalkLibrary(index.get(), roots, true, nullptr, [&](std::vector<LibraryPhoto>&& photos) {
        for (LibraryPhoto& photo : photos) walked.push_back(std::move(photo));
      });
  std::printf("walk ms %.1f folders-reached %zu folders-listed %zu photos %zu complete %d\n", NowMs() - start,
              outcome.foldersReached, outcome.foldersListed, walked.size(), outcome.complete ? 1 : 0);
  std::printf("photo-list MB %.1f peak-working-set MB %.1f\n", ListMegabytes(walked), PeakMegabytes());

  // The deck over the whole library, as a show in random order keeps it.
  std::vector<Card> present;
  present.reserve(walked.size());
  for (const LibraryPhoto& photo : walked) present.push_back({photo.id, false, photo.failed});
  start = NowMs();
  Deck deck = index ? index->LoadDeck() : Deck();
  deck.Sync(present, [](size_t bound) { return static_cast<size_t>(std::rand()) % bound; });
  const bool saved = index && index->SaveDeck(deck);
  std::printf("deck ms %.1f cards %zu saved %d\n", NowMs() - start, deck.Cards().size(), saved ? 1 : 0);
  return 0;
}
