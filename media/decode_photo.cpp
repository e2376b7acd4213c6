#include "media/decode_photo.h"

#include <objidl.h>

#include <gdiplus.h>

#include <memory>
#include <optional>
#include <random>
#include <utility>

#include "media/exif_orientation.h"
#include "media/filtered_fit.h"
#include "media/jpeg_photo.h"
#include "media/photo_budget.h"
#include "media/photo_fit.h"
#include "media/rle_bitmap.h"
#include "media/wic_photo.h"
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
  if (!item->value || item->length < sizeof(uint16_t)) return 0;
  uint16_t orientation = 0;
  memcpy(&orientation, item->value, sizeof orientation);
  return OrientationOf(item->type == PropertyTagTypeShort, orientation);
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
  if (DrawBitmapFiltered(target.pixels, image, source, rect)) return gp::Ok;
  const GdiplusImageAttributes edges = EdgeKeepingAttributes();
  return gpx::GdipDrawImageRectRect(target.gdiplus->graphics.get(), image, static_cast<gp::REAL>(rect.x),
                                    static_cast<gp::REAL>(rect.y), static_cast<gp::REAL>(rect.width),
                                    static_cast<gp::REAL>(rect.height), static_cast<gp::REAL>(source.x),
                                    static_cast<gp::REAL>(source.y), static_cast<gp::REAL>(source.width),
                                    static_cast<gp::REAL>(source.height), gp::UnitPixel, edges.get(), nullptr, nullptr);
}

// The picture as one of the decoders has it: a JPEG from libjpeg-turbo (or a
// run-length bitmap from GDI), a photo through WIC, or a GDI+ image.
struct OpenedPhoto {
  LibjpegPhoto libjpeg;
  std::optional<ScaledJpeg> runLength;
  std::optional<WicPhoto> wic;
  GdiplusImage image;
  UINT width = 0;
  UINT height = 0;
  int32_t orientation = 0;
};

// A JPEG comes from libjpeg-turbo, decoded only as large as the fit needs,
// and a run-length bitmap from GDI.
void OpenOwnDecoders(const wchar_t* path, int fitMode, const StagingTarget& target, OpenedPhoto& photo) {
  photo.libjpeg = LoadJpeg(path, fitMode, target.pixels.edge);
  if (photo.libjpeg.rows) {
    const JpegHeader& header = photo.libjpeg.rows->Header();
    photo.width = header.width;
    photo.height = header.height;
    photo.orientation = header.orientation;
    return;
  }
  if (!photo.libjpeg.whole) photo.runLength = LoadRunLengthBitmap(path);
  const std::optional<ScaledJpeg>& whole = photo.libjpeg.whole ? photo.libjpeg.whole : photo.runLength;
  if (whole) {
    photo.width = whole->width;
    photo.height = whole->height;
    photo.orientation = whole->orientation;
  }
}

// Anything else (and a JPEG libjpeg-turbo refuses) from WIC, and what no WIC
// codec reads (a metafile) from GDI+.
void OpenOtherDecoders(bool wic, const wchar_t* path, const StagingTarget& target, OpenedPhoto& photo) {
  // A header declaring more pixels than memory holds is refused before any
  // codec allocates for it.
  if (!PhotoFitsMemory(path)) return;
  if (wic) photo.wic = OpenWicPhoto(path);
  if (photo.wic) {
    photo.width = photo.wic->width;
    photo.height = photo.wic->height;
    photo.orientation = photo.wic->orientation;
    return;
  }
  if (!target.gdiplus || !StartStagingGdiplus(*target.gdiplus, target.pixels)) return;
  gpx::GdipLoadImageFromFile(path, photo.image.put());
  if (!photo.image.get()) return;
  photo.orientation = ReadOrientation(photo.image.get());
  gpx::GdipGetImageWidth(photo.image.get(), &photo.width);
  gpx::GdipGetImageHeight(photo.image.get(), &photo.height);
}

bool DrawPhoto(const StagingTarget& target, OpenedPhoto& photo, SourceRect source, FitRect rect) {
  if (photo.libjpeg.rows) return DrawJpegRows(target.pixels, *photo.libjpeg.rows, source, rect);
  if (photo.libjpeg.whole) return DrawScaledJpeg(target.pixels, *photo.libjpeg.whole, source, rect);
  if (photo.runLength) return DrawScaledJpeg(target.pixels, *photo.runLength, source, rect);
  if (photo.wic) return DrawWicPhoto(target.pixels, *photo.wic, source, rect);
  return photo.image.get() && DrawThroughGdiplus(target, photo.image.get(), source, rect) == gp::Ok;
}

// Black beside the picture, and under it too where GDI+ draws: a metafile
// or transparency leaves parts of it unset, which must not show an earlier
// photo. Our filter sets every pixel of its rectangle: black under it would
// only write the largest surface twice.
void FillAround(const StagingPixels& surface, FitRect picture, bool under) {
  const int edge = surface.edge;
  if (under) {
    FillBlack(surface, 0, 0, edge, edge);
    return;
  }
  const int right = picture.x + picture.width, bottom = picture.y + picture.height;
  FillBlack(surface, 0, 0, edge, picture.y);
  FillBlack(surface, 0, bottom, edge, edge);
  FillBlack(surface, 0, picture.y, picture.x, bottom);
  FillBlack(surface, right, picture.y, edge, bottom);
}

// Black and the picture in the fit; layout.orientation is the photo's
// whatever happens, the rest of layout only once the picture is drawn.
bool DrawFitted(const StagingTarget& target, OpenedPhoto& photo, int fitMode, PhotoLayout& layout) {
  layout.orientation = photo.orientation;
  const UINT width = photo.width, height = photo.height;
  if (width == 0 || height == 0) return false;

  // The fit is the caller's only once the picture is on the surface.
  PhotoLayout drawn = layout;
  drawn.fitMode = fitMode;
  const int edge = target.pixels.edge;
  SourceRect source{0, 0, double(width), double(height)};
  FitRect rect;
  if (fitMode == kFitSquareCrop) {
    drawn.landscape = true;
    const SourceSquare square = CropSquare(width, height);
    source = {double(square.x), double(square.y), double(square.side), double(square.side)};
    rect = {0, 0, edge, edge};
  } else {
    drawn.landscape = LetterboxLandscape(width, height, layout.orientation);
    rect = LetterboxRect(width, height, edge);
  }
  FillAround(target.pixels, rect, photo.image.get() != nullptr);
  const bool ok = DrawPhoto(target, photo, source, rect);
  if (ok) layout = drawn;
  return ok;
}

// A decoder opened the photo but could not draw it: the next one draws all
// of it again. After libjpeg-turbo (a file refused part-way) comes WIC; after
// WIC (a codec that claims a file it cannot read, a pixel format no converter
// takes) GDI+.
HRESULT DrawHandedOn(bool wic, const wchar_t* path, const StagingTarget& target, int fitMode, PhotoLayout& layout) {
  OpenedPhoto next;
  OpenOtherDecoders(wic, path, target, next);
  if (DrawFitted(target, next, fitMode, layout)) return S_OK;
  return next.wic ? DrawHandedOn(false, path, target, fitMode, layout) : E_FAIL;
}

HRESULT DecodeWith(bool ownDecoders, const wchar_t* path, const StagingTarget& target, int fitMode,
                   PhotoLayout& layout) {
  layout.orientation = 0;
  if (!path || !target.pixels.bits) return E_INVALIDARG;
  OpenedPhoto photo;
  if (ownDecoders) OpenOwnDecoders(path, fitMode, target, photo);
  if (photo.width == 0) OpenOtherDecoders(ownDecoders, path, target, photo);
  if (DrawFitted(target, photo, fitMode, layout)) return S_OK;
  if (!photo.libjpeg.rows && !photo.wic) return E_FAIL;
  return DrawHandedOn(photo.libjpeg.rows.has_value(), path, target, fitMode, layout);
}

}  // namespace

bool StartStagingGdiplus(StagingGdiplus& gdiplus, const StagingPixels& surface) {
  if (gdiplus.graphics) return true;
  if (!gdiplus.token) {
    gp::GdiplusStartupInput input;  // version 1, no debug callback, background thread on
    if (gp::GdiplusStartup(gdiplus.token.put(), &input, nullptr) != gp::Ok) return false;
  }
  gp::GpBitmap* canvas = nullptr;
  if (gpx::GdipCreateBitmapFromScan0(surface.edge, surface.edge, static_cast<INT>(surface.pitch), PixelFormat32bppRGB,
                                     surface.bits, &canvas) != gp::Ok ||
      !canvas) {
    return false;
  }
  gdiplus.canvas.reset(canvas);
  if (gpx::GdipGetImageGraphicsContext(canvas, gdiplus.graphics.put()) != gp::Ok || !gdiplus.graphics) return false;
  // Speed over smoothness: the renderer filters again when it scales.
  gpx::GdipSetInterpolationMode(gdiplus.graphics.get(), gp::InterpolationModeLowQuality);
  return true;
}

HRESULT DecodePhotoFitted(const wchar_t* path, const StagingTarget& target, int fitMode, PhotoLayout& layout) {
  return DecodeWith(true, path, target, fitMode, layout);
}

HRESULT DecodePhotoFittedByGdiplus(const wchar_t* path, const StagingTarget& target, int fitMode, PhotoLayout& layout) {
  return DecodeWith(false, path, target, fitMode, layout);
}

HRESULT DecodePhoto(const wchar_t* path, const StagingTarget& target, PhotoLayout& layout) {
  return DecodePhotoFitted(path, target, FitModeFromRandom(Random15()), layout);
}
