#pragma once
// The forward shuffle of the photo and music lists, driven by the C runtime's
// 15-bit rand. Seeding is the caller's: the generator's state is per thread.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "library/photo_list.h"
#include "settings/saver_settings.h"

// Yields 15 random bits per call (0 to 32767 after masking).
using Rand15 = std::function<int()>;

// The order the shuffle gives a list of `count` entries: element k of the
// result is the original index of the entry that ends at position k. For each
// position i from 1 up, swaps it with r mod (i + 1), widening r by 15 bits at a
// time until it covers i + 1.
std::vector<size_t> ShuffleOrder(size_t count, const Rand15& rand15);

// Reorders the list in place with the C runtime's rand.
void ShuffleList(MediaList& list);
void ShuffleList(MediaList& list, const Rand15& rand15);
void ShuffleList(PhotoList& list);
void ShuffleList(PhotoList& list, const Rand15& rand15);
