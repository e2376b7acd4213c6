#pragma once
// How far a JPEG may be shrunk while it is decoded (libjpeg's DCT scaling)
// without the fit onto the staging surface running short of pixels.

#include <cstdint>

// The largest N of 8, 4, 2 and 1 for which the picture decoded at 1/N (each
// side rounded up, as libjpeg does) still has nearly as many pixels as the
// fit onto an edge x edge surface draws: the cropped square or the
// letterboxed rectangle, per direction.
uint32_t DctScaleDenominator(uint32_t width, uint32_t height, int fitMode, int edge);

// Whether `scaled` pixels may stand for `needed`: at most a 32nd short.
// Enlarging by up to 3.2% costs no visible detail, and it spares a full-size
// decode (four times the memory and twice the time) where the picture falls
// just short of the surface, as a 24-megapixel photo's 2000-pixel half does
// of 2048.
constexpr bool NearlyCovers(uint64_t scaled, uint64_t needed) { return scaled * 32 >= needed * 31; }

// A side of `length` pixels decoded at 1/denominator.
constexpr uint32_t ScaledSide(uint32_t length, uint32_t denominator) {
  return static_cast<uint32_t>((uint64_t{length} + denominator - 1) / denominator);
}
