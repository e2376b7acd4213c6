// The tent filter's loops four channels at a time: pixels widened to 16-bit
// lanes, two taps' products summed per 32-bit lane by one multiply-add.
#include "media/resample_kernels.h"

#if defined(__SSE2__)

#include <emmintrin.h>

#include <cstring>

namespace {

// Weights w0, w1 in every pair of 16-bit lanes, to meet pixels interleaved
// as (blue0, blue1, green0, green1, ...).
__m128i WeightPair(int16_t w0, int16_t w1) {
  return _mm_set1_epi32(static_cast<int32_t>(static_cast<uint16_t>(w0) | static_cast<uint32_t>(w1) << 16));
}

// Four 32-bit channel sums back to four levels in the low bytes; the lanes of
// the unused top byte are cleared by the caller.
__m128i Levels(__m128i a, __m128i b) {
  const __m128i half = _mm_set1_epi32(kWeightOne / 2);
  a = _mm_srai_epi32(_mm_add_epi32(a, half), kWeightBits);
  b = _mm_srai_epi32(_mm_add_epi32(b, half), kWeightBits);
  return _mm_packs_epi32(a, b);
}

void AcrossSse2(const uint32_t* line, const FixedTaps& taps, uint32_t* out) {
  const __m128i zero = _mm_setzero_si128();
  for (const TapSpan& span : taps.spans) {
    const uint32_t* source = line + span.first;
    const int16_t* weights = taps.weights.data() + span.offset;
    __m128i sum = zero;
    uint32_t k = 0;
    for (; k + 2 <= span.count; k += 2) {
      const __m128i two = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(source + k));
      const __m128i mixed = _mm_unpacklo_epi8(two, _mm_srli_si128(two, 4));
      sum = _mm_add_epi32(sum, _mm_madd_epi16(_mm_unpacklo_epi8(mixed, zero), WeightPair(weights[k], weights[k + 1])));
    }
    if (k < span.count) {
      const __m128i one = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(source[k])), zero);
      sum = _mm_add_epi32(sum, _mm_madd_epi16(_mm_unpacklo_epi16(one, zero), WeightPair(weights[k], 0)));
    }
    const __m128i levels = Levels(sum, sum);
    *out++ = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(levels, levels))) & 0xFFFFFFu;
  }
}

void DownSse2(const uint32_t* const* lines, const int16_t* weights, uint32_t count, uint32_t width, uint32_t* out) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i colour = _mm_set1_epi32(0xFFFFFF);
  uint32_t x = 0;
  for (; x + 4 <= width; x += 4) {
    __m128i sum0 = zero, sum1 = zero, sum2 = zero, sum3 = zero;
    for (uint32_t k = 0; k < count; k += 2) {
      // Rows two at a time, bytes of the same pixel side by side; an odd
      // last row pairs with nothing.
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lines[k] + x));
      const bool pair = k + 1 < count;
      const __m128i b = pair ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(lines[k + 1] + x)) : zero;
      const __m128i w = WeightPair(weights[k], pair ? weights[k + 1] : 0);
      const __m128i low = _mm_unpacklo_epi8(a, b);
      const __m128i high = _mm_unpackhi_epi8(a, b);
      sum0 = _mm_add_epi32(sum0, _mm_madd_epi16(_mm_unpacklo_epi8(low, zero), w));
      sum1 = _mm_add_epi32(sum1, _mm_madd_epi16(_mm_unpackhi_epi8(low, zero), w));
      sum2 = _mm_add_epi32(sum2, _mm_madd_epi16(_mm_unpacklo_epi8(high, zero), w));
      sum3 = _mm_add_epi32(sum3, _mm_madd_epi16(_mm_unpackhi_epi8(high, zero), w));
    }
    const __m128i pixels = _mm_packus_epi16(Levels(sum0, sum1), Levels(sum2, sum3));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_and_si128(pixels, colour));
  }
  for (; x < width; ++x) out[x] = DownPixel(lines, weights, count, x);
}

bool HasSse2() {
#if defined(__x86_64__)
  return true;
#else
  return __builtin_cpu_supports("sse2");
#endif
}

}  // namespace

const ResampleKernels* Sse2Kernels() {
  static constexpr ResampleKernels kSse2{AcrossSse2, DownSse2};
  return HasSse2() ? &kSse2 : nullptr;
}

#else

const ResampleKernels* Sse2Kernels() { return nullptr; }

#endif
