#include "media/jpeg_photo.h"

#include <cstdio>
#include <vector>

#include "media/photo_budget.h"
#include "media/photo_file.h"
#include "media/resample.h"

std::optional<ScaledJpeg> LoadScaledJpeg(const wchar_t* path, int fitMode) {
  const PhotoFile file = OpenPhotoFile(path);
  if (!file) return std::nullopt;
  // libjpeg reads 4 KB at a time; fewer, larger reads are much cheaper under Wine.
  std::setvbuf(file.get(), nullptr, _IOFBF, 1 << 16);
  return DecodeScaledJpeg(file.get(), fitMode, PhotoMemoryBudget());
}

bool DrawScaledJpeg(HDC dc, const ScaledJpeg& jpeg, double x, double y, double width, double height, FitRect target) {
  if (target.width <= 0 || target.height <= 0) return true;  // nothing to draw, as for GDI+
  const double scaleX = static_cast<double>(jpeg.scaledWidth) / jpeg.width;
  const double scaleY = static_cast<double>(jpeg.scaledHeight) / jpeg.height;
  const PixelView source{reinterpret_cast<const uint32_t*>(jpeg.pixels.data()), jpeg.scaledWidth, jpeg.scaledHeight};
  const std::vector<uint32_t> pixels =
      ResampleArea(source, {x * scaleX, y * scaleY, width * scaleX, height * scaleY},
                   static_cast<uint32_t>(target.width), static_cast<uint32_t>(target.height));

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = target.width;
  info.bmiHeader.biHeight = -target.height;  // rows top first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return SetDIBitsToDevice(dc, target.x, target.y, static_cast<DWORD>(target.width), static_cast<DWORD>(target.height),
                           0, 0, 0, static_cast<UINT>(target.height), pixels.data(), &info,
                           DIB_RGB_COLORS) == target.height;
}
