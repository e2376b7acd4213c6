#include "media/jpeg_photo.h"

#include <cstdio>

#include "media/filtered_fit.h"
#include "media/photo_budget.h"
#include "media/photo_file.h"
#include "media/resample.h"

std::optional<ScaledJpeg> LoadScaledJpeg(const wchar_t* path, int fitMode, int edge) {
  const PhotoFile file = OpenPhotoFile(path);
  if (!file) return std::nullopt;
  // libjpeg reads 4 KB at a time; fewer, larger reads are much cheaper under Wine.
  std::setvbuf(file.get(), nullptr, _IOFBF, 1 << 16);
  return DecodeScaledJpeg(file.get(), fitMode, edge, PhotoMemoryBudget());
}

bool DrawScaledJpeg(HDC dc, const ScaledJpeg& jpeg, double x, double y, double width, double height, FitRect target) {
  const double scaleX = static_cast<double>(jpeg.scaledWidth) / jpeg.width;
  const double scaleY = static_cast<double>(jpeg.scaledHeight) / jpeg.height;
  const auto* pixels = reinterpret_cast<const uint32_t*>(jpeg.pixels.data());
  if (jpeg.pixels.size() < size_t{jpeg.scaledWidth} * jpeg.scaledHeight * 4) return false;
  const PixelRows rows{jpeg.scaledWidth, jpeg.scaledHeight,
                       [&](uint32_t row) { return pixels + size_t{row} * jpeg.scaledWidth; }};
  return DrawResampled(dc, rows, {x * scaleX, y * scaleY, width * scaleX, height * scaleY}, target);
}
