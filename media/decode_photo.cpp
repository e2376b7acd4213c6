#include "media/decode_photo.h"

#include <objidl.h>

#include <gdiplus.h>

#include <memory>
#include <optional>
#include <random>
#include <utility>

#include "media/filtered_fit.h"
#include "media/jpeg_photo.h"
#include "media/photo_budget.h"
#include "media/photo_fit.h"
#include "media/rle_bitmap.h"
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

// Our filter rather than GDI+'s scaling: reducing, GDI+ samples without
// filtering first (under Wine at any quality setting), so fine stripes would
// turn into moiré; enlarging onto a screen-sized surface, it takes half a
// second under Wine where ours takes a few tens of milliseconds. GDI+ still
// draws what is not a bitmap (a metafile) or cannot be read.
gp::GpStatus DrawThroughGdiplus(const StagingTarget& target, gp::GpImage* image, SourceRect source, FitRect rect) {
  if (DrawBitmapFiltered(target.dc, image, source, rect)) return gp::Ok;
  const GdiplusImageAttributes edges = EdgeKeepingAttributes();
  return gpx::GdipDrawImageRectRect(target.graphics, image, static_cast<gp::REAL>(rect.x),
                                    static_cast<gp::REAL>(rect.y), static_cast<gp::REAL>(rect.width),
                                    static_cast<gp::REAL>(rect.height), static_cast<gp::REAL>(source.x),
                                    static_cast<gp::REAL>(source.y), static_cast<gp::REAL>(source.width),
                                    static_cast<gp::REAL>(source.height), gp::UnitPixel, edges.get(), nullptr, nullptr);
}

HRESULT DecodeWith(bool scaledJpeg, const wchar_t* path, const StagingTarget& target, int fitMode,
                   PhotoLayout& layout) {
  layout.orientation = 0;
  if (!path || !target.graphics || !target.dc) return E_INVALIDARG;
  // A JPEG comes from libjpeg-turbo, decoded only as large as the fit needs,
  // a run-length bitmap from GDI; anything else goes to GDI+.
  std::optional<ScaledJpeg> jpeg = scaledJpeg ? LoadScaledJpeg(path, fitMode, target.edge) : std::nullopt;
  if (scaledJpeg && !jpeg) jpeg = LoadRunLengthBitmap(path);
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

  // The fit is the caller's only once the picture is on the surface.
  PhotoLayout drawn = layout;
  drawn.fitMode = fitMode;
  const int edge = target.edge;
  // Black first, in either fit: a picture that leaves parts of itself unset (a
  // metafile, transparency) must not show an earlier photo through them.
  RECT surface;
  SetRect(&surface, 0, 0, edge, edge);
  FillRect(target.dc, &surface, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  gp::GpStatus status;
  if (fitMode == kFitSquareCrop) {
    drawn.landscape = true;
    const SourceSquare square = CropSquare(width, height);
    const SourceRect source{double(square.x), double(square.y), double(square.side), double(square.side)};
    const FitRect whole{0, 0, edge, edge};
    if (jpeg) {
      status = DrawScaledJpeg(target.dc, *jpeg, source.x, source.y, source.width, source.height, whole)
                   ? gp::Ok
                   : gp::GenericError;
    } else {
      status = DrawThroughGdiplus(target, image.get(), source, whole);
    }
  } else {
    const FitRect rect = LetterboxRect(width, height, edge);
    drawn.landscape = LetterboxLandscape(width, height, layout.orientation);
    if (jpeg) {
      status = DrawScaledJpeg(target.dc, *jpeg, 0, 0, width, height, rect) ? gp::Ok : gp::GenericError;
    } else {
      status = DrawThroughGdiplus(target, image.get(), {0, 0, double(width), double(height)}, rect);
    }
  }
  if (status != gp::Ok) return E_FAIL;
  layout = drawn;
  return S_OK;
}

}  // namespace

HRESULT DecodePhotoFitted(const wchar_t* path, const StagingTarget& target, int fitMode, PhotoLayout& layout) {
  return DecodeWith(true, path, target, fitMode, layout);
}

HRESULT DecodePhotoFittedByGdiplus(const wchar_t* path, const StagingTarget& target, int fitMode, PhotoLayout& layout) {
  return DecodeWith(false, path, target, fitMode, layout);
}

HRESULT DecodePhoto(const wchar_t* path, const StagingTarget& target, PhotoLayout& layout) {
  return DecodePhotoFitted(path, target, FitModeFromRandom(Random15()), layout);
}
