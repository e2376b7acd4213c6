#pragma once
// Where a decoded photo lands on the square staging surface: the square crop
// that fills it, or the letterboxed rectangle that keeps the whole photo.

#include <cstdint>

#include "settings/saver_settings.h"  // kFitSquareCrop

// How the decoder staged the photo the loader last finished: read when the
// slide that shows it begins.
struct PhotoLayout {
  int fitMode = 0;          // kFitSquareCrop: cropped to fill the square; otherwise letterboxed
  int32_t orientation = 0;  // EXIF orientation, 0 when none
  bool landscape = true;    // the letterboxed photo stands landscape once turned
};

// Maps a 15-bit random number (0 to 32767) to a fit mode: truncate(r * 3 / 32767).
// Only r = 32767 gives 3, so the crop keeps its one-third share.
int FitModeFromRandom(int r);

// Source square of the crop, in image pixels: centred on the longer side.
struct SourceSquare {
  uint32_t x = 0;
  uint32_t y = 0;
  uint32_t side = 0;
};
SourceSquare CropSquare(uint32_t width, uint32_t height);

// Destination rectangle of the letterbox on a surface of edge x edge pixels:
// touches two opposite edges and is centred in the other direction.
struct FitRect {
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
};
FitRect LetterboxRect(uint32_t width, uint32_t height, int edge);

// Whether the letterboxed photo stands landscape once its EXIF orientation is
// applied: orientations 5 to 8 turn it a quarter turn.
bool LetterboxLandscape(uint32_t width, uint32_t height, int32_t orientation);
