#pragma once
// How far a JPEG may be shrunk while it is decoded (libjpeg-turbo's DCT
// scaling in eighths) without the fit onto the staging surface running short
// of pixels.

#include <cstdint>

// The smallest M of 1, 2, 4, 5, 6, 7 and 8 for which the picture decoded at
// M/8 (each side rounded up, as libjpeg does) still has nearly as many pixels
// as the fit onto an edge x edge surface draws: the cropped square or the
// letterboxed rectangle, per direction. Fewer eighths decode faster and leave
// the filter less to read.
uint32_t DctScaleEighths(uint32_t width, uint32_t height, int fitMode, int edge);

// Whether `scaled` pixels may stand for `needed`: at most a 32nd short.
// Enlarging by up to 3.2% costs no visible detail, and it spares a larger
// decode where the picture falls just short of a scale, as a 24-megapixel
// photo's 2000-pixel half does of 2048.
constexpr bool NearlyCovers(uint64_t scaled, uint64_t needed) { return scaled * 32 >= needed * 31; }

// A side of `length` pixels decoded at eighths/8.
constexpr uint32_t ScaledSide(uint32_t length, uint32_t eighths) {
  return static_cast<uint32_t>((uint64_t{length} * eighths + 7) / 8);
}
