#pragma once
// The arithmetic of one show per monitor: when each monitor's first slide
// ends, where each starts in the shared list, and which photo it takes so
// that no photo is on two monitors at once. No platform calls.

#include <cstddef>
#include <cstdint>
#include <functional>

// Where in the primary monitor's slide monitor `monitor` (0 the primary)
// of `monitors` changes photo: the changes come one monitor after another,
// evenly spread over the slide time, so that one decode at a time feeds them
// and the desk never changes all at once.
uint32_t StaggerOffsetMs(int32_t slideTime, uint32_t monitor, uint32_t monitors);

// How much longer (or shorter, when negative) than the slide time a slide
// beginning `sincePrimaryStart` ms into the primary's slide lasts, so that it
// ends `offset` ms into one of the primary's slides: the nearest such moment
// to a slide time from now. Each rate ends its slides a different part of a
// frame late, and decodes take their time: without this the monitors drift
// into changing together.
int32_t SlideTimeAdjustMs(uint32_t sincePrimaryStart, int32_t slideTime, uint32_t offset);

// Where monitor `monitor` of `monitors` starts in a list of `count` photos
// shown in order: spread evenly, so that the monitors show different parts.
uint32_t MonitorStartIndex(size_t count, uint32_t monitor, uint32_t monitors);

// The first index from `index` on, wrapping, whose photo `claimedElsewhere`
// does not hold; `index` itself when every photo is held (a list shorter
// than the monitors need shows some photo twice rather than none).
uint32_t FirstUnclaimedIndex(size_t count, uint32_t index, const std::function<bool(uint32_t)>& claimedElsewhere);
