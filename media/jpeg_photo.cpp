#include "media/jpeg_photo.h"

#include <cstdio>
#include <vector>

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
  const PixelView source{reinterpret_cast<const uint32_t*>(jpeg.pixels.data()), jpeg.scaledWidth, jpeg.scaledHeight};
  const std::vector<uint32_t> pixels =
      ResampleTent(source, {x * scaleX, y * scaleY, width * scaleX, height * scaleY},
                   static_cast<uint32_t>(target.width), static_cast<uint32_t>(target.height));
  return DrawPixels(dc, pixels, target);
}
