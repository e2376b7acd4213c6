#include "media/photo_budget.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>

#include "media/photo_file.h"
#include "media/picture_size.h"

namespace {

// The filter's output for the largest staging surface, and GDI's copy of it
// while it is drawn.
constexpr uint64_t kFilterShare = uint64_t{4096} * 4096 * 4 * 2;

}  // namespace

size_t PhotoShareOf(uint64_t freeBytes) {
  const uint64_t whole = freeBytes / 4;
  const uint64_t share = whole > kFilterShare ? (whole - kFilterShare) / 2 : 0;
  return static_cast<size_t>(std::min<uint64_t>(share, SIZE_MAX));
}

size_t PhotoMemoryBudget() {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  if (!GlobalMemoryStatusEx(&status)) return size_t{256} << 20;
  return PhotoShareOf(std::min(status.ullAvailVirtual, status.ullAvailPhys));
}

bool PhotoFitsMemory(const wchar_t* path) {
  const PhotoFile file = OpenPhotoFile(path);
  if (!file) return true;
  const auto size = PeekPictureSize(ReadFromFile(file.get()));
  return !size || PictureFitsBudget(*size, PhotoMemoryBudget());
}
