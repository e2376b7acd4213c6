#include "media/jpeg_decode.h"

#include <algorithm>
#include <climits>
#include <csetjmp>
#include <span>

// clang-format off: jpeglib.h needs <cstdio> first
#include <jpeglib.h>
// clang-format on

#include "media/dct_scale.h"
#include "media/exif_orientation.h"

namespace {

constexpr int kBytesPerPixel = 4;

// libjpeg sees only `manager`; the jump target rides behind it.
struct ErrorTrap {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

[[noreturn]] void StopOnError(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<ErrorTrap*>(cinfo->err)->jump, 1); }

// A warning means corrupt data: hand the file to the other decoder rather
// than show libjpeg's grey fill.
void StopOnWarning(j_common_ptr cinfo, int level) {
  if (level < 0) StopOnError(cinfo);
}

struct DecodeJob {
  std::FILE* file;
  int fitMode;
  int edge;
  size_t memoryLimit;
  ScaledJpeg* out;
};

uint8_t* AllocatePixels(std::vector<uint8_t>& pixels, size_t bytes) noexcept {
  try {
    pixels.resize(bytes);
    return pixels.data();
  } catch (...) {
    return nullptr;
  }
}

// CMYK as libjpeg hands it over, inverted (255 is no ink), turned into blue,
// green, red in place: each colour is its ink's complement darkened by black.
// Adobe's writers store CMYK inverted and libjpeg turns YCCK into the same;
// a four-colour file without Adobe's marker is read the same way, since the
// files found without it are nearly always ones whose marker was stripped.
void InvertedCmykToBgrx(uint8_t* row, uint32_t width) noexcept {
  for (uint32_t x = 0; x < width; ++x, row += kBytesPerPixel) {
    const unsigned k = row[3];
    auto colour = [k](unsigned ink) { return static_cast<uint8_t>((ink * k + 127) / 255); };
    const uint8_t red = colour(row[0]), green = colour(row[1]), blue = colour(row[2]);
    row[0] = blue;
    row[1] = green;
    row[2] = red;
    row[3] = 0;
  }
}

int32_t OrientationFromMarkers(const jpeg_decompress_struct* cinfo) {
  for (jpeg_saved_marker_ptr m = cinfo->marker_list; m; m = m->next) {
    if (m->marker != JPEG_APP0 + 1) continue;
    if (const int32_t orientation = ExifOrientation(std::span<const uint8_t>(m->data, m->data_length))) {
      return orientation;
    }
  }
  return 0;
}

// The one function that sets the jump target. It owns no object with a
// destructor and calls only C code or noexcept helpers, so libjpeg's jump back
// on an error skips nothing that needed to run.
bool RunDecode(jpeg_decompress_struct* cinfo, ErrorTrap* trap, const DecodeJob* job) {
  if (setjmp(trap->jump)) return false;
  jpeg_create_decompress(cinfo);
  // long is 32 bits on Windows, also in 64-bit programs.
  cinfo->mem->max_memory_to_use = static_cast<long>(std::min<size_t>(job->memoryLimit, LONG_MAX));
  jpeg_stdio_src(cinfo, job->file);
  jpeg_save_markers(cinfo, JPEG_APP0 + 1, 0xFFFF);
  jpeg_read_header(cinfo, TRUE);

  ScaledJpeg* out = job->out;
  out->width = cinfo->image_width;
  out->height = cinfo->image_height;
  out->orientation = OrientationFromMarkers(cinfo);
  cinfo->scale_num = DctScaleEighths(out->width, out->height, job->fitMode, job->edge);
  cinfo->scale_denom = 8;
  // GDI+ under Wine turns CMYK into the wrong colours: both four-colour kinds are ours.
  const bool cmyk = cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK;
  cinfo->out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRX;
  jpeg_start_decompress(cinfo);

  out->scaledWidth = cinfo->output_width;
  out->scaledHeight = cinfo->output_height;
  const size_t stride = size_t{out->scaledWidth} * kBytesPerPixel;
  if (out->scaledHeight == 0 || stride > job->memoryLimit / out->scaledHeight) return false;
  uint8_t* pixels = AllocatePixels(out->pixels, stride * out->scaledHeight);
  if (!pixels) return false;
  while (cinfo->output_scanline < cinfo->output_height) {
    JSAMPROW row = pixels + stride * cinfo->output_scanline;
    if (jpeg_read_scanlines(cinfo, &row, 1) == 1 && cmyk) InvertedCmykToBgrx(row, out->scaledWidth);
  }
  jpeg_finish_decompress(cinfo);
  return true;
}

}  // namespace

std::optional<ScaledJpeg> DecodeScaledJpeg(std::FILE* file, int fitMode, int edge, size_t memoryLimit) {
  if (!file) return std::nullopt;
  ScaledJpeg out;
  jpeg_decompress_struct cinfo{};
  ErrorTrap trap{};
  cinfo.err = jpeg_std_error(&trap.manager);
  trap.manager.error_exit = StopOnError;
  trap.manager.emit_message = StopOnWarning;
  const DecodeJob job{file, fitMode, edge, memoryLimit, &out};
  const bool decoded = RunDecode(&cinfo, &trap, &job);
  jpeg_destroy_decompress(&cinfo);
  if (!decoded) return std::nullopt;
  return out;
}
