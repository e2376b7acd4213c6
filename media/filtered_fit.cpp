#include "media/filtered_fit.h"

#include <algorithm>
#include <cstddef>

namespace gp = Gdiplus;
namespace gpx = Gdiplus::DllExports;

namespace {

// Rows of a GDI+ bitmap as 32-bit pixels premultiplied by their alpha (so
// transparency lands on black), locked a band at a time: a photo of 200
// megapixels is never held twice over.
class BitmapBands {
 public:
  BitmapBands(gp::GpBitmap* bitmap, UINT width, UINT height) : bitmap_(bitmap), width_(width), height_(height) {}
  BitmapBands(const BitmapBands&) = delete;
  BitmapBands& operator=(const BitmapBands&) = delete;
  ~BitmapBands() { Unlock(); }

  const uint32_t* Row(uint32_t y) {
    if (!locked_ || y < first_ || y >= first_ + data_.Height) {
      Unlock();
      const gp::GpRect band{0, static_cast<INT>(y), static_cast<INT>(width_),
                            static_cast<INT>(std::min<UINT>(kBandRows, height_ - y))};
      if (gpx::GdipBitmapLockBits(bitmap_, &band, gp::ImageLockModeRead, PixelFormat32bppPARGB, &data_) != gp::Ok) {
        return nullptr;
      }
      locked_ = true;
      first_ = y;
    }
    const auto* scan = static_cast<const std::byte*>(data_.Scan0);
    return reinterpret_cast<const uint32_t*>(scan + static_cast<ptrdiff_t>(y - first_) * data_.Stride);
  }

 private:
  static constexpr UINT kBandRows = 64;

  void Unlock() {
    if (locked_) gpx::GdipBitmapUnlockBits(bitmap_, &data_);
    locked_ = false;
  }

  gp::GpBitmap* bitmap_;
  UINT width_;
  UINT height_;
  gp::BitmapData data_{};
  uint32_t first_ = 0;
  bool locked_ = false;
};

}  // namespace

bool DrawResampled(const StagingPixels& surface, const PixelRows& picture, SourceRect source, FitRect target) {
  if (target.width <= 0 || target.height <= 0) return true;  // nothing to draw, as for GDI+
  const auto width = static_cast<uint32_t>(target.width);
  return ResampleTentBands(picture, source, width, static_cast<uint32_t>(target.height),
                           [&](uint32_t firstRow, uint32_t count, const uint32_t* pixels) {
                             WritePixelRows(surface, target.x, target.y + static_cast<int>(firstRow), width, count,
                                            pixels);
                             return true;
                           });
}

bool DrawBitmapFiltered(const StagingPixels& surface, gp::GpImage* image, SourceRect source, FitRect target) {
  gp::ImageType type = gp::ImageTypeUnknown;
  UINT width = 0, height = 0;
  if (!image || gpx::GdipGetImageType(image, &type) != gp::Ok || type != gp::ImageTypeBitmap ||
      gpx::GdipGetImageWidth(image, &width) != gp::Ok || gpx::GdipGetImageHeight(image, &height) != gp::Ok) {
    return false;
  }
  if (target.width <= 0 || target.height <= 0) return true;
  BitmapBands bands(static_cast<gp::GpBitmap*>(image), width, height);
  const PixelRows rows{width, height, [&bands](uint32_t y) { return bands.Row(y); }};
  return DrawResampled(surface, rows, source, target);
}
