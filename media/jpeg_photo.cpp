#include "media/jpeg_photo.h"

#include <cstdio>

#include "media/photo_budget.h"
#include "media/photo_file.h"

namespace gpx = Gdiplus::DllExports;

std::optional<ScaledJpeg> LoadScaledJpeg(const wchar_t* path, int fitMode, Gdiplus::GpImage** image) {
  const PhotoFile file = OpenPhotoFile(path);
  if (!file) return std::nullopt;
  // libjpeg reads 4 KB at a time; fewer, larger reads are much cheaper under Wine.
  std::setvbuf(file.get(), nullptr, _IOFBF, 1 << 16);
  std::optional<ScaledJpeg> jpeg = DecodeScaledJpeg(file.get(), fitMode, PhotoMemoryBudget());
  if (!jpeg) return std::nullopt;

  Gdiplus::GpBitmap* bitmap = nullptr;
  if (gpx::GdipCreateBitmapFromScan0(static_cast<INT>(jpeg->scaledWidth), static_cast<INT>(jpeg->scaledHeight),
                                     static_cast<INT>(jpeg->scaledWidth * 4), PixelFormat32bppRGB, jpeg->pixels.data(),
                                     &bitmap) != Gdiplus::Ok) {
    return std::nullopt;
  }
  *image = bitmap;
  return jpeg;
}
