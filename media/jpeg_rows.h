#pragma once
// A JPEG decoded by libjpeg-turbo a few rows at a time, shrunk by its DCT
// scaling as far as the fit onto the staging surface allows, for the filter to
// read top to bottom: a photo of any size costs a few of its rows of memory
// (fresh memory for a whole decoded photo costs as much as decoding it), but
// for a progressive file's coefficients, which libjpeg-turbo keeps whole. No
// <windows.h>: the caller opens the file.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>

struct JpegHeader {
  uint32_t width = 0;  // the picture as stored
  uint32_t height = 0;
  uint32_t scaledWidth = 0;  // the picture as decoded
  uint32_t scaledHeight = 0;
  int32_t orientation = 0;  // EXIF orientation as stored; 0 when none
};

class JpegRows {
 public:
  // nullopt when libjpeg-turbo refuses the file's header (not a JPEG,
  // damaged, or its working memory beyond `memoryLimit`). `edge` is the
  // staging surface's, which sets how far the picture may shrink. `file`
  // stays open and the caller's while the rows are read.
  static std::optional<JpegRows> Open(std::FILE* file, int fitMode, int edge, size_t memoryLimit);
  ~JpegRows();
  JpegRows(JpegRows&&) noexcept;
  JpegRows& operator=(JpegRows&&) noexcept;

  const JpegHeader& Header() const;

  // Decodes only columns first to first + count - 1 of the scaled picture,
  // widened as libjpeg-turbo needs: a square cropped from a wide photo skips
  // the colour work of its sides. Only before the first row; false when the
  // file refuses.
  bool KeepColumns(uint32_t first, uint32_t count);
  uint32_t FirstColumn() const;
  uint32_t Columns() const;

  // Row y of the scaled picture from FirstColumn(), blue, green, red, unused;
  // valid until the next call. Rows are asked for top to bottom; those passed
  // over are skipped, not decoded. Null when the file is damaged by row y:
  // warnings count as damage.
  const uint32_t* Row(uint32_t y);

  // Reads the rest of the file, rows no one asked for included: false when
  // it is damaged anywhere, so a picture drawn whole may still be refused.
  bool Finish();

 private:
  struct State;
  explicit JpegRows(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

// Whether the file's last two bytes are a JPEG's end marker: libjpeg-turbo
// refuses a file cut short only when it reaches the cut. The file's position
// is left at its start.
bool EndsWithJpegEnd(std::FILE* file);
