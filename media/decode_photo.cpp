#include "media/decode_photo.h"

#include <objidl.h>

#include <gdiplus.h>

#include <memory>
#include <optional>
#include <random>
#include <utility>

#include "media/jpeg_photo.h"
#include "media/photo_budget.h"
#include "media/photo_fit.h"
#include "ownership/gdiplus_holders.h"

namespace gp = Gdiplus;
namespace gpx = Gdiplus::DllExports;  // the flat interface

namespace {

// Drawing a picture scaled, GDI+ blends its edge pixels with what lies beyond
// them, transparent black by default: a small photo would get a dark border
// and a 1 x 1 photo a gradient. Mirrored tiles beyond the edges keep the
// edges their own colours.
GdiplusImageAttributes EdgeKeepingAttributes() {
  GdiplusImageAttributes attributes;
  if (gpx::GdipCreateImageAttributes(attributes.put()) == gp::Ok) {
    gpx::GdipSetImageAttributesWrapMode(attributes.get(), gp::WrapModeTileFlipXY, 0, FALSE);
  }
  return attributes;
}

// 0 when the photo carries no orientation or it cannot be read.
int32_t ReadOrientation(gp::GpImage* image) {
  UINT size = 0;
  if (gpx::GdipGetPropertyItemSize(image, kExifOrientationTag, &size) != gp::Ok || size < sizeof(gp::PropertyItem)) {
    return 0;
  }
  auto buffer = std::make_unique<std::byte[]>(size);
  auto* item = reinterpret_cast<gp::PropertyItem*>(buffer.get());
  if (gpx::GdipGetPropertyItem(image, kExifOrientationTag, size, item) != gp::Ok) return 0;
  // The type is not checked, but a value shorter than one SHORT is not read.
  if (!item->value || item->length < sizeof(uint16_t)) return 0;
  uint16_t orientation = 0;
  memcpy(&orientation, item->value, sizeof orientation);
  return orientation;
}

// The loader thread's own generator: 15 bits, as the fit-mode mapping expects.
int Random15() {
  thread_local std::minstd_rand generator(GetTickCount() ^ GetCurrentThreadId());
  return static_cast<int>(generator() & 0x7FFF);
}

}  // namespace

namespace {

HRESULT DecodeWith(bool scaledJpeg, const wchar_t* path, const StagingTarget& target, int fitMode,
                   PhotoLayout& layout) {
  if (!path || !target.graphics || !target.dc) return E_INVALIDARG;
  // A JPEG comes from libjpeg-turbo, decoded only as large as the fit needs;
  // anything it refuses goes to GDI+.
  const std::optional<ScaledJpeg> jpeg = scaledJpeg ? LoadScaledJpeg(path, fitMode) : std::nullopt;
  GdiplusImage image;
  UINT width = 0, height = 0;
  if (jpeg) {
    layout.orientation = jpeg->orientation;
    width = jpeg->width;
    height = jpeg->height;
  } else {
    if (PhotoFitsMemory(path)) gpx::GdipLoadImageFromFile(path, image.put());
    layout.orientation = image.get() ? ReadOrientation(image.get()) : 0;
    if (image.get()) {
      gpx::GdipGetImageWidth(image.get(), &width);
      gpx::GdipGetImageHeight(image.get(), &height);
    }
  }
  if (width == 0 || height == 0) return E_FAIL;

  layout.fitMode = fitMode;
  gp::GpStatus status;
  if (fitMode == kFitSquareCrop) {
    layout.landscape = true;
    const SourceSquare source = CropSquare(width, height);
    if (jpeg) {
      status = DrawScaledJpeg(target.dc, *jpeg, source.x, source.y, source.side, source.side,
                              {0, 0, kStagingEdge, kStagingEdge})
                   ? gp::Ok
                   : gp::GenericError;
    } else {
      const GdiplusImageAttributes edges = EdgeKeepingAttributes();
      status = gpx::GdipDrawImageRectRect(target.graphics, image.get(), 0, 0, kStagingEdge, kStagingEdge,
                                          static_cast<gp::REAL>(source.x), static_cast<gp::REAL>(source.y),
                                          static_cast<gp::REAL>(source.side), static_cast<gp::REAL>(source.side),
                                          gp::UnitPixel, edges.get(), nullptr, nullptr);
    }
  } else {
    const FitRect rect = LetterboxRect(width, height);
    layout.landscape = LetterboxLandscape(width, height, layout.orientation);
    RECT surface;
    SetRect(&surface, 0, 0, kStagingEdge, kStagingEdge);
    FillRect(target.dc, &surface, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    if (jpeg) {
      status = DrawScaledJpeg(target.dc, *jpeg, 0, 0, width, height, rect) ? gp::Ok : gp::GenericError;
    } else {
      const GdiplusImageAttributes edges = EdgeKeepingAttributes();
      status = gpx::GdipDrawImageRectRectI(target.graphics, image.get(), rect.x, rect.y, rect.width, rect.height, 0, 0,
                                           static_cast<INT>(width), static_cast<INT>(height), gp::UnitPixel,
                                           edges.get(), nullptr, nullptr);
    }
  }
  return status == gp::Ok ? S_OK : E_FAIL;
}

}  // namespace

HRESULT DecodePhotoFitted(const wchar_t* path, const StagingTarget& target, int fitMode, PhotoLayout& layout) {
  return DecodeWith(true, path, target, fitMode, layout);
}

HRESULT DecodePhotoFittedByGdiplus(const wchar_t* path, const StagingTarget& target, int fitMode,
                                   PhotoLayout& layout) {
  return DecodeWith(false, path, target, fitMode, layout);
}

HRESULT DecodePhoto(const wchar_t* path, const StagingTarget& target, PhotoLayout& layout) {
  return DecodePhotoFitted(path, target, FitModeFromRandom(Random15()), layout);
}
