#include "media/wic_photo.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <new>
#include <vector>

#include "media/dct_scale.h"
#include "media/exif_orientation.h"
#include "media/filtered_fit.h"
#include "media/photo_file.h"
#include "media/png_exif.h"
#include "media/wic_source_transform.h"
#include "ownership/prop_variant.h"

namespace {

constexpr UINT kBytesPerPixel = 4;

// The first query a codec answers decides, even with a value the rule
// refuses: the photo's own tag, not a guess from another place. The names
// after the first are for codecs without the System names (Wine's).
int32_t MetadataOrientation(IWICBitmapFrameDecode* frame, bool& found) {
  found = false;
  ComRef<IWICMetadataQueryReader> reader;
  if (FAILED(frame->GetMetadataQueryReader(reader.put()))) return 0;
  for (const wchar_t* query : {L"System.Photo.Orientation", L"/ifd/{ushort=274}", L"/app1/ifd/{ushort=274}"}) {
    ScopedPropVariant value;
    if (FAILED(reader->GetMetadataByName(query, value.put())) || value.get().vt == VT_EMPTY) continue;
    found = true;
    return OrientationOf(value.get().vt == VT_UI2, value.get().vt == VT_UI2 ? value.get().uiVal : 0);
  }
  return 0;
}

int32_t ReadOrientation(const wchar_t* path, IWICBitmapDecoder* decoder, IWICBitmapFrameDecode* frame) {
  GUID container{};
  decoder->GetContainerFormat(&container);
  // HEIF codecs apply the container's own rotation as they decode; its EXIF
  // copy would turn the picture a second time.
  if (container == GUID_ContainerFormatHeif) return 0;
  bool found = false;
  const int32_t orientation = MetadataOrientation(frame, found);
  if (found || container != GUID_ContainerFormatPng) return orientation;
  const PhotoFile file = OpenPhotoFile(path);
  return file ? PngExifOrientation(ReadFromFile(file.get())) : 0;
}

// Rows of a WIC source as 32-bit premultiplied pixels, copied a band at a
// time: memory does not grow with the photo's height.
class WicBands {
 public:
  WicBands(IWICBitmapSource* source, uint32_t width, uint32_t height)
      : source_(source), width_(width), height_(height) {}

  const uint32_t* Row(uint32_t y) {
    if (y >= height_) return nullptr;
    if (rows_ == 0 || y < first_ || y >= first_ + rows_) {
      // A very wide picture gets fewer rows a band: WIC counts bytes in 32 bits.
      const UINT stride = width_ * kBytesPerPixel;
      const UINT rows = std::max(1u, std::min({kBandRows, height_ - y, UINT_MAX / stride}));
      try {
        band_.resize(size_t{width_} * rows);
      } catch (const std::bad_alloc&) {
        return nullptr;
      }
      const WICRect rect{0, static_cast<INT>(y), static_cast<INT>(width_), static_cast<INT>(rows)};
      rows_ = 0;
      if (FAILED(source_->CopyPixels(&rect, stride, stride * rows, reinterpret_cast<BYTE*>(band_.data())))) {
        return nullptr;
      }
      first_ = y;
      rows_ = rows;
    }
    return band_.data() + size_t{y - first_} * width_;
  }

 private:
  static constexpr UINT kBandRows = 64;

  IWICBitmapSource* source_;
  uint32_t width_;
  uint32_t height_;
  std::vector<uint32_t> band_;
  uint32_t first_ = 0;
  uint32_t rows_ = 0;
};

void Premultiply(std::vector<uint32_t>& pixels) {
  for (uint32_t& p : pixels) {
    const uint32_t alpha = p >> 24;
    auto channel = [&](int shift) { return (((p >> shift) & 0xFF) * alpha + 127) / 255 << shift; };
    p = alpha << 24 | channel(16) | channel(8) | channel(0);
  }
}

// A codec that hands over a reduced picture (IWICBitmapSourceTransform)
// spares decoding pixels the fit throws away, as the DCT scale does for our
// JPEGs. nullopt when it offers none small enough or not in a format we take:
// the full picture is read instead.
std::optional<bool> DrawReduced(const StagingPixels& surface, const WicPhoto& photo, SourceRect source,
                                FitRect target) {
  ComRef<WicSourceTransform> transform;
  if (FAILED(photo.frame->QueryInterface(IID_PPV_ARGS(transform.put())))) return std::nullopt;
  const double scale = std::max(target.width / source.width, target.height / source.height);
  if (!(scale < 1)) return std::nullopt;
  const auto needed = [scale](uint32_t side) { return static_cast<uint32_t>(std::ceil(side * scale)); };
  UINT width = needed(photo.width), height = needed(photo.height);
  if (FAILED(transform->GetClosestSize(&width, &height)) || width == 0 || height == 0 || width >= photo.width ||
      !NearlyCovers(width, needed(photo.width)) || !NearlyCovers(height, needed(photo.height))) {
    return std::nullopt;
  }
  WICPixelFormatGUID format = GUID_WICPixelFormat32bppPBGRA;
  if (FAILED(transform->GetClosestPixelFormat(&format))) return std::nullopt;
  const bool straightAlpha = format == GUID_WICPixelFormat32bppBGRA;
  if (format != GUID_WICPixelFormat32bppPBGRA && format != GUID_WICPixelFormat32bppBGR && !straightAlpha) {
    return std::nullopt;
  }
  if (uint64_t{width} * height * kBytesPerPixel > UINT_MAX) return std::nullopt;
  std::vector<uint32_t> pixels;
  try {
    pixels.resize(size_t{width} * height);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  if (FAILED(transform->CopyPixels(nullptr, width, height, &format, WICBitmapTransformRotate0, width * kBytesPerPixel,
                                   static_cast<UINT>(pixels.size() * kBytesPerPixel),
                                   reinterpret_cast<BYTE*>(pixels.data())))) {
    return std::nullopt;
  }
  if (straightAlpha) Premultiply(pixels);
  const double scaleX = static_cast<double>(width) / photo.width;
  const double scaleY = static_cast<double>(height) / photo.height;
  const PixelRows rows{width, height, [&](uint32_t y) { return pixels.data() + size_t{y} * width; }};
  return DrawResampled(surface, rows,
                       {source.x * scaleX, source.y * scaleY, source.width * scaleX, source.height * scaleY}, target);
}

}  // namespace

std::optional<WicPhoto> OpenWicPhoto(const wchar_t* path) {
  WicPhoto photo;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                              IID_PPV_ARGS(photo.factory.put())))) {
    return std::nullopt;
  }
  // The codec is chosen by the file's content, not its name.
  ComRef<IWICBitmapDecoder> decoder;
  UINT width = 0, height = 0;
  if (FAILED(photo.factory->CreateDecoderFromFilename(path, nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                                      decoder.put())) ||
      FAILED(decoder->GetFrame(0, photo.frame.put())) || FAILED(photo.frame->GetSize(&width, &height)) || width == 0 ||
      height == 0 || width > INT32_MAX / kBytesPerPixel || height > INT32_MAX) {
    return std::nullopt;
  }
  photo.width = width;
  photo.height = height;
  photo.orientation = ReadOrientation(path, decoder.get(), photo.frame.get());
  return photo;
}

bool DrawWicPhoto(const StagingPixels& surface, const WicPhoto& photo, SourceRect source, FitRect target) {
  if (target.width <= 0 || target.height <= 0) return true;  // nothing to draw, as for GDI+
  if (const auto reduced = DrawReduced(surface, photo, source, target)) return *reduced;
  // Premultiplied, transparent parts land on black; 16-bit, grey, CMYK and
  // palette pictures come out the same way.
  ComRef<IWICFormatConverter> converter;
  if (FAILED(photo.factory->CreateFormatConverter(converter.put())) ||
      FAILED(converter->Initialize(photo.frame.get(), GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr,
                                   0.0, WICBitmapPaletteTypeCustom))) {
    return false;
  }
  WicBands bands(converter.get(), photo.width, photo.height);
  const PixelRows rows{photo.width, photo.height, [&bands](uint32_t y) { return bands.Row(y); }};
  return DrawResampled(surface, rows, source, target);
}
