#include "media/jpeg_photo.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "media/filtered_fit.h"
#include "media/photo_budget.h"

namespace {

SourceRect ScaledRect(SourceRect source, uint32_t width, uint32_t height, uint32_t scaledWidth, uint32_t scaledHeight) {
  const double scaleX = static_cast<double>(scaledWidth) / width;
  const double scaleY = static_cast<double>(scaledHeight) / height;
  return {source.x * scaleX, source.y * scaleY, source.width * scaleX, source.height * scaleY};
}

}  // namespace

LibjpegPhoto LoadJpeg(const wchar_t* path, int fitMode, int edge) {
  LibjpegPhoto photo{OpenPhotoFile(path), std::nullopt, std::nullopt};
  if (!photo.file) return photo;
  // libjpeg reads 4 KB at a time; fewer, larger reads are much cheaper under Wine.
  std::setvbuf(photo.file.get(), nullptr, _IOFBF, 1 << 16);
  if (EndsWithJpegEnd(photo.file.get())) {
    photo.rows = JpegRows::Open(photo.file.get(), fitMode, edge, PhotoMemoryBudget());
  } else {
    photo.whole = DecodeScaledJpeg(photo.file.get(), fitMode, edge, PhotoMemoryBudget());
    photo.file.reset();
  }
  return photo;
}

bool DrawJpegRows(const StagingPixels& surface, JpegRows& rows, SourceRect source, FitRect target) {
  const JpegHeader& h = rows.Header();
  SourceRect scaled = ScaledRect(source, h.width, h.height, h.scaledWidth, h.scaledHeight);
  // The columns the filter reads and one more each side: libjpeg-turbo's
  // smooth upsampling repeats the outer columns of what it decodes.
  const int64_t last = int64_t{h.scaledWidth} - 1;
  const int64_t first = std::clamp<int64_t>(static_cast<int64_t>(std::floor(scaled.x)) - 1, 0, last);
  const int64_t end =
      std::clamp<int64_t>(static_cast<int64_t>(std::ceil(scaled.x + scaled.width)) + 1, first + 1, last + 1);
  if ((first > 0 || end <= last) &&
      !rows.KeepColumns(static_cast<uint32_t>(first), static_cast<uint32_t>(end - first))) {
    return false;
  }
  scaled.x -= rows.FirstColumn();
  const PixelRows picture{rows.Columns(), h.scaledHeight, [&rows](uint32_t y) { return rows.Row(y); }};
  return DrawResampled(surface, picture, scaled, target) && rows.Finish();
}

bool DrawScaledJpeg(const StagingPixels& surface, const ScaledJpeg& jpeg, SourceRect source, FitRect target) {
  const auto* pixels = reinterpret_cast<const uint32_t*>(jpeg.pixels.data());
  if (jpeg.pixels.size() < size_t{jpeg.scaledWidth} * jpeg.scaledHeight * 4) return false;
  const PixelRows rows{jpeg.scaledWidth, jpeg.scaledHeight,
                       [&](uint32_t row) { return pixels + size_t{row} * jpeg.scaledWidth; }};
  return DrawResampled(surface, rows, ScaledRect(source, jpeg.width, jpeg.height, jpeg.scaledWidth, jpeg.scaledHeight),
                       target);
}
