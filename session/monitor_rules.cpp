#include "session/monitor_rules.h"

uint32_t StaggerOffsetMs(int32_t slideTime, uint32_t monitor, uint32_t monitors) {
  if (slideTime <= 0 || monitors == 0) return 0;
  return static_cast<uint32_t>(static_cast<uint64_t>(slideTime) * (monitor % monitors) / monitors);
}

int32_t SlideTimeAdjustMs(uint32_t sincePrimaryStart, int32_t slideTime, uint32_t offset) {
  if (slideTime <= 0) return 0;
  const auto period = static_cast<int64_t>(slideTime);
  int64_t adjust = (static_cast<int64_t>(offset) - static_cast<int64_t>(sincePrimaryStart) % period) % period;
  if (adjust > period / 2) adjust -= period;
  if (adjust <= -period / 2) adjust += period;
  return static_cast<int32_t>(adjust);
}

uint32_t MonitorStartIndex(size_t count, uint32_t monitor, uint32_t monitors) {
  if (count == 0 || monitors == 0) return 0;
  return static_cast<uint32_t>(count * (monitor % monitors) / monitors);
}

uint32_t FirstUnclaimedIndex(size_t count, uint32_t index, const std::function<bool(uint32_t)>& claimedElsewhere) {
  if (count == 0) return 0;
  if (index >= count) index = 0;
  uint32_t candidate = index;
  for (size_t tried = 0; tried < count; ++tried) {
    if (!claimedElsewhere(candidate)) return candidate;
    candidate = candidate + 1 < count ? candidate + 1 : 0;
  }
  return index;
}
