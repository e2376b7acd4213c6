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

// Across by the spans as they are, for lines narrower than the padded taps.
void AcrossSpans(const uint32_t* line, const FixedTaps& taps, uint32_t* out) {
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

// Two neighbouring pixels' bytes side by side in 16-bit lanes (blue0, blue1,
// green0, green1, ...) times the weight pair at `weights`: four channel sums.
inline __m128i TwoTaps(const uint32_t* source, const int16_t* weights, __m128i zero) {
  int32_t pair;
  std::memcpy(&pair, weights, sizeof pair);
  const __m128i two = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(source));
  const __m128i mixed = _mm_unpacklo_epi8(two, _mm_srli_si128(two, 4));
  return _mm_madd_epi16(_mm_unpacklo_epi8(mixed, zero), _mm_set1_epi32(pair));
}

// One target pixel's channel sums from `count` pixels, an even number:
// `Count` when the compiler is to unroll it, else `padded`.
template <uint32_t Count>
inline __m128i PaddedSum(const uint32_t* source, const int16_t* weights, uint32_t padded, __m128i zero) {
  const uint32_t count = Count ? Count : padded;
  __m128i sum = TwoTaps(source, weights, zero);
  for (uint32_t k = 2; k < count; k += 2) sum = _mm_add_epi32(sum, TwoTaps(source + k, weights + k, zero));
  return sum;
}

// Across by the padded taps: no branch per pixel, and four target pixels
// packed and stored together.
template <uint32_t Count>
void AcrossPadded(const uint32_t* line, const FixedTaps& taps, uint32_t* out) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i colour = _mm_set1_epi32(0xFFFFFF);
  const uint32_t padded = taps.padded;
  const uint32_t* first = taps.paddedFirst.data();
  const int16_t* weights = taps.paddedWeights.data();
  const auto count = static_cast<uint32_t>(taps.spans.size());
  uint32_t i = 0;
  for (; i + 4 <= count; i += 4, weights += 4 * padded) {
    const __m128i s0 = PaddedSum<Count>(line + first[i], weights, padded, zero);
    const __m128i s1 = PaddedSum<Count>(line + first[i + 1], weights + padded, padded, zero);
    const __m128i s2 = PaddedSum<Count>(line + first[i + 2], weights + 2 * padded, padded, zero);
    const __m128i s3 = PaddedSum<Count>(line + first[i + 3], weights + 3 * padded, padded, zero);
    const __m128i pixels = _mm_packus_epi16(Levels(s0, s1), Levels(s2, s3));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_and_si128(pixels, colour));
  }
  for (; i < count; ++i, weights += padded) {
    const __m128i levels = Levels(PaddedSum<Count>(line + first[i], weights, padded, zero), zero);
    out[i] = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(levels, levels))) & 0xFFFFFFu;
  }
}

// round((p0 * w0 + p1 * w1) / one) as p0 + round((p1 - p0) * w1 / one), since
// w0 + w1 = one, on 16-bit lanes: the high and low halves of (p1 - p0) * 4 *
// w1, plus one where the low half reaches a half. The same levels as the
// madd loops, with half the work per pixel.
inline __m128i Lerp(__m128i p0, __m128i p1, __m128i w1) {
  const __m128i scaled = _mm_slli_epi16(_mm_sub_epi16(p1, p0), 16 - kWeightBits);
  const __m128i high = _mm_mulhi_epi16(scaled, w1);
  const __m128i halfUp = _mm_srli_epi16(_mm_mullo_epi16(scaled, w1), 15);
  return _mm_add_epi16(p0, _mm_add_epi16(high, halfUp));
}

// Two target pixels of two taps each: the left pixels in the low half of
// p0 and right ones in p1, every channel on a 16-bit lane.
inline __m128i LerpTwo(const uint32_t* a, const uint32_t* b, __m128i w1, __m128i zero) {
  const __m128i both = _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(a)),
                                          _mm_loadl_epi64(reinterpret_cast<const __m128i*>(b)));
  const __m128i lefts = _mm_shuffle_epi32(both, _MM_SHUFFLE(3, 1, 2, 0));
  return Lerp(_mm_unpacklo_epi8(lefts, zero), _mm_unpackhi_epi8(lefts, zero), w1);
}

// Across where every target pixel reads two source pixels (enlarging, or a
// reduction of a few percent): four target pixels at a time.
void AcrossTwoTaps(const uint32_t* line, const FixedTaps& taps, uint32_t* out) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i colour = _mm_set1_epi32(0xFFFFFF);
  const uint32_t* first = taps.paddedFirst.data();
  const int16_t* weights = taps.paddedWeights.data();
  const auto count = static_cast<uint32_t>(taps.spans.size());
  uint32_t i = 0;
  for (; i + 4 <= count; i += 4) {
    // (w0, w1) of four target pixels; each w1 on the four lanes of its pixel.
    const __m128i pairs = _mm_loadu_si128(reinterpret_cast<const __m128i*>(weights + 2 * i));
    const __m128i lowRight = _mm_shufflelo_epi16(pairs, _MM_SHUFFLE(3, 3, 1, 1));
    const __m128i highRight = _mm_shufflehi_epi16(pairs, _MM_SHUFFLE(3, 3, 1, 1));
    const __m128i w01 = _mm_unpacklo_epi32(lowRight, lowRight);
    const __m128i w23 = _mm_unpackhi_epi32(highRight, highRight);
    const __m128i p01 = LerpTwo(line + first[i], line + first[i + 1], w01, zero);
    const __m128i p23 = LerpTwo(line + first[i + 2], line + first[i + 3], w23, zero);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_and_si128(_mm_packus_epi16(p01, p23), colour));
  }
  for (; i < count; ++i) {
    const __m128i w1 = _mm_set1_epi16(weights[2 * i + 1]);
    const __m128i p = LerpTwo(line + first[i], line + first[i], w1, zero);
    out[i] = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(p, p))) & 0xFFFFFFu;
  }
}

void AcrossSse2(const uint32_t* line, const FixedTaps& taps, uint32_t* out) {
  switch (taps.padded) {
    case 0:
      return AcrossSpans(line, taps, out);
    case 2:
      return AcrossTwoTaps(line, taps, out);
    case 4:
      return AcrossPadded<4>(line, taps, out);
    case 6:
      return AcrossPadded<6>(line, taps, out);
    default:
      return AcrossPadded<0>(line, taps, out);
  }
}

// Weights w0, w1 of rows k and k + 1 as one 32-bit lane; w1 is 0 past the
// last row.
int32_t PairOf(const int16_t* weights, uint32_t k, uint32_t count) {
  const auto w1 = static_cast<uint16_t>(k + 1 < count ? weights[k + 1] : 0);
  return static_cast<int32_t>(static_cast<uint16_t>(weights[k]) | static_cast<uint32_t>(w1) << 16);
}

// Four target pixels of the vertical pass from `count` rows, taken two at a
// time with the bytes of the same pixel side by side; an odd last row pairs
// with nothing. `Pair(k)` gives the weight pair of rows k and k + 1.
template <typename Pair>
inline __m128i DownFour(const uint32_t* const* lines, uint32_t count, uint32_t x, const Pair& pair) {
  const __m128i zero = _mm_setzero_si128();
  __m128i sum0 = zero, sum1 = zero, sum2 = zero, sum3 = zero;
  for (uint32_t k = 0; k < count; k += 2) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lines[k] + x));
    const __m128i b = k + 1 < count ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(lines[k + 1] + x)) : zero;
    const __m128i w = pair(k);
    const __m128i low = _mm_unpacklo_epi8(a, b);
    const __m128i high = _mm_unpackhi_epi8(a, b);
    sum0 = _mm_add_epi32(sum0, _mm_madd_epi16(_mm_unpacklo_epi8(low, zero), w));
    sum1 = _mm_add_epi32(sum1, _mm_madd_epi16(_mm_unpackhi_epi8(low, zero), w));
    sum2 = _mm_add_epi32(sum2, _mm_madd_epi16(_mm_unpacklo_epi8(high, zero), w));
    sum3 = _mm_add_epi32(sum3, _mm_madd_epi16(_mm_unpackhi_epi8(high, zero), w));
  }
  return _mm_and_si128(_mm_packus_epi16(Levels(sum0, sum1), Levels(sum2, sum3)), _mm_set1_epi32(0xFFFFFF));
}

// The common row counts unrolled, their weight pairs made once per target row.
template <uint32_t Count>
void DownFixed(const uint32_t* const* lines, const int16_t* weights, uint32_t width, uint32_t* out) {
  __m128i pairs[(Count + 1) / 2];
  for (uint32_t k = 0; k < Count; k += 2) pairs[k / 2] = _mm_set1_epi32(PairOf(weights, k, Count));
  uint32_t x = 0;
  for (; x + 4 <= width; x += 4) {
    const __m128i four = DownFour(lines, Count, x, [&](uint32_t k) { return pairs[k / 2]; });
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), four);
  }
  for (; x < width; ++x) out[x] = DownPixel(lines, weights, Count, x);
}

// Down from two rows, as Lerp does across.
void DownTwoRows(const uint32_t* const* lines, const int16_t* weights, uint32_t width, uint32_t* out) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i colour = _mm_set1_epi32(0xFFFFFF);
  const __m128i w1 = _mm_set1_epi16(weights[1]);
  const uint32_t* top = lines[0];
  const uint32_t* bottom = lines[1];
  uint32_t x = 0;
  for (; x + 4 <= width; x += 4) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(top + x));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bottom + x));
    const __m128i low = Lerp(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero), w1);
    const __m128i high = Lerp(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero), w1);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_and_si128(_mm_packus_epi16(low, high), colour));
  }
  for (; x < width; ++x) out[x] = DownPixel(lines, weights, 2, x);
}

void DownSse2(const uint32_t* const* lines, const int16_t* weights, uint32_t count, uint32_t width, uint32_t* out) {
  switch (count) {
    case 2:
      return DownTwoRows(lines, weights, width, out);
    case 3:
      return DownFixed<3>(lines, weights, width, out);
    case 4:
      return DownFixed<4>(lines, weights, width, out);
    case 5:
      return DownFixed<5>(lines, weights, width, out);
    default:
      break;
  }
  uint32_t x = 0;
  for (; x + 4 <= width; x += 4) {
    const __m128i four =
        DownFour(lines, count, x, [&](uint32_t k) { return _mm_set1_epi32(PairOf(weights, k, count)); });
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), four);
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
