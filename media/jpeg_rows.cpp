#include "media/jpeg_rows.h"

#include <algorithm>
#include <climits>
#include <csetjmp>
#include <span>
#include <vector>

// clang-format off: jpeglib.h needs <cstdio> first
#include <jpeglib.h>
// clang-format on

#include "media/dct_scale.h"
#include "media/exif_orientation.h"

namespace {

constexpr int kBytesPerPixel = 4;
// Rows decoded per call into libjpeg: few calls, and a batch that stays in
// the cache until the filter has read it.
constexpr size_t kBatchBytes = size_t{128} << 10;
constexpr uint32_t kMaxBatchRows = 16;

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

// Runs one call into libjpeg with its error exit landing here: false when it
// errs or warns. The only function that sets the jump target; it owns nothing
// with a destructor and the steps call only C code, so the jump back skips
// nothing that needed to run.
template <typename Step>
[[gnu::noinline]] bool Guarded(ErrorTrap& trap, const Step& step) noexcept {
  if (setjmp(trap.jump)) return false;
  step();
  return true;
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

int32_t OrientationFromMarkers(const jpeg_decompress_struct& cinfo) {
  for (jpeg_saved_marker_ptr m = cinfo.marker_list; m; m = m->next) {
    if (m->marker != JPEG_APP0 + 1) continue;
    if (const int32_t orientation = ExifOrientation(std::span<const uint8_t>(m->data, m->data_length))) {
      return orientation;
    }
  }
  return 0;
}

}  // namespace

// Never moves: libjpeg keeps pointers to cinfo and to the trap.
struct JpegRows::State {
  jpeg_decompress_struct cinfo{};
  ErrorTrap trap{};
  JpegHeader header;
  bool cmyk = false;
  bool failed = false;
  uint32_t firstColumn = 0;
  std::vector<uint8_t> batch;
  uint32_t batchFirst = 0;  // the scaled picture's row in batch[0]
  uint32_t batchRows = 0;

  State() {
    cinfo.err = jpeg_std_error(&trap.manager);
    trap.manager.error_exit = StopOnError;
    trap.manager.emit_message = StopOnWarning;
  }
  ~State() { jpeg_destroy_decompress(&cinfo); }
  State(const State&) = delete;
  State& operator=(const State&) = delete;

  size_t Stride() const { return size_t{cinfo.output_width} * kBytesPerPixel; }

  // Reads `count` rows into the batch from the next scanline on.
  bool ReadBatch(uint32_t count) {
    const size_t stride = Stride();
    if (batch.size() < stride * count) batch.resize(stride * count);
    batchFirst = cinfo.output_scanline;
    batchRows = 0;
    JSAMPROW rows[kMaxBatchRows];
    for (uint32_t i = 0; i < count; ++i) rows[i] = batch.data() + stride * i;
    while (batchRows < count) {
      JDIMENSION read = 0;
      if (!Guarded(trap, [&] { read = jpeg_read_scanlines(&cinfo, rows + batchRows, count - batchRows); }) ||
          read == 0) {
        return false;
      }
      if (cmyk) {
        for (JDIMENSION i = 0; i < read; ++i) InvertedCmykToBgrx(rows[batchRows + i], cinfo.output_width);
      }
      batchRows += read;
    }
    return true;
  }

  bool Skip(uint32_t count) {
    return count == 0 || Guarded(trap, [&] { jpeg_skip_scanlines(&cinfo, count); });
  }
};

JpegRows::JpegRows(std::unique_ptr<State> state) : state_(std::move(state)) {}
JpegRows::~JpegRows() = default;
JpegRows::JpegRows(JpegRows&&) noexcept = default;
JpegRows& JpegRows::operator=(JpegRows&&) noexcept = default;

std::optional<JpegRows> JpegRows::Open(std::FILE* file, int fitMode, int edge, size_t memoryLimit) {
  if (!file) return std::nullopt;
  auto state = std::make_unique<State>();
  jpeg_decompress_struct* cinfo = &state->cinfo;
  const bool opened = Guarded(state->trap, [&] {
    jpeg_create_decompress(cinfo);
    // long is 32 bits on Windows, also in 64-bit programs.
    cinfo->mem->max_memory_to_use = static_cast<long>(std::min<size_t>(memoryLimit, LONG_MAX));
    jpeg_stdio_src(cinfo, file);
    jpeg_save_markers(cinfo, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(cinfo, TRUE);
  });
  if (!opened) return std::nullopt;
  JpegHeader& header = state->header;
  header.width = cinfo->image_width;
  header.height = cinfo->image_height;
  header.orientation = OrientationFromMarkers(*cinfo);
  cinfo->scale_num = DctScaleEighths(header.width, header.height, fitMode, edge);
  cinfo->scale_denom = 8;
  // GDI+ under Wine turns CMYK into the wrong colours: both four-colour kinds are ours.
  state->cmyk = cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK;
  cinfo->out_color_space = state->cmyk ? JCS_CMYK : JCS_EXT_BGRX;
  if (!Guarded(state->trap, [&] { jpeg_start_decompress(cinfo); })) return std::nullopt;
  header.scaledWidth = cinfo->output_width;
  header.scaledHeight = cinfo->output_height;
  if (header.scaledWidth == 0 || header.scaledHeight == 0) return std::nullopt;
  return JpegRows(std::move(state));
}

const JpegHeader& JpegRows::Header() const { return state_->header; }

bool JpegRows::KeepColumns(uint32_t first, uint32_t count) {
  State& s = *state_;
  if (s.failed || s.cinfo.output_scanline != 0 || first >= s.cinfo.output_width) return false;
  JDIMENSION offset = first;
  JDIMENSION width = std::min(count, s.cinfo.output_width - first);
  if (!Guarded(s.trap, [&] { jpeg_crop_scanline(&s.cinfo, &offset, &width); })) {
    s.failed = true;
    return false;
  }
  s.firstColumn = offset;
  return true;
}

uint32_t JpegRows::FirstColumn() const { return state_->firstColumn; }
uint32_t JpegRows::Columns() const { return state_->cinfo.output_width; }

const uint32_t* JpegRows::Row(uint32_t y) {
  State& s = *state_;
  if (s.failed || y >= s.cinfo.output_height) return nullptr;
  if (y < s.batchFirst + s.batchRows) {
    // Only the batch already read can be asked for again.
    if (y < s.batchFirst) return nullptr;
  } else {
    const uint32_t rows = std::clamp<uint32_t>(static_cast<uint32_t>(kBatchBytes / s.Stride()), 1, kMaxBatchRows);
    if (!s.Skip(y - s.cinfo.output_scanline) || !s.ReadBatch(std::min(rows, s.cinfo.output_height - y))) {
      s.failed = true;
      return nullptr;
    }
  }
  return reinterpret_cast<const uint32_t*>(s.batch.data() + s.Stride() * (y - s.batchFirst));
}

bool JpegRows::Finish() {
  State& s = *state_;
  // Skipped rows are still entropy-decoded, so damage in them is found. The
  // last is read: a skip to the very end would stop without reading.
  const uint32_t left = s.cinfo.output_height - s.cinfo.output_scanline;
  if (!s.failed && left > 0 && !(s.Skip(left - 1) && s.ReadBatch(1))) s.failed = true;
  if (!s.failed && !Guarded(s.trap, [&] { jpeg_finish_decompress(&s.cinfo); })) s.failed = true;
  return !s.failed;
}

bool EndsWithJpegEnd(std::FILE* file) {
  unsigned char end[2] = {};
  const bool ends = std::fseek(file, -2, SEEK_END) == 0 && std::fread(end, 1, 2, file) == 2;
  std::fseek(file, 0, SEEK_SET);
  return ends && end[0] == 0xFF && end[1] == JPEG_EOI;
}
