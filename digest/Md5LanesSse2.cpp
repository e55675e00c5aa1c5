// The 4-lane MD5 kernel, SSE2. Built with -msse2 (the rest of the 32-bit program is not), so
// this file must include nothing that defines a shared inline function: see Md5Schedule.h.
#include "digest/Md5Kernels.h"

#if VRTLY_MD5_VECTOR_LANES
#include <emmintrin.h>

#include "digest/Md5VectorKernel.h"

namespace digest::md5 {

namespace {

struct Sse2 {
  using Vec = __m128i;
  static constexpr int kLanes = 4;

  static Vec Load(const uint32_t* p) { return _mm_loadu_si128(reinterpret_cast<const Vec*>(p)); }
  static void Store(uint32_t* p, Vec v) { _mm_storeu_si128(reinterpret_cast<Vec*>(p), v); }
  static Vec Add(Vec u, Vec v) { return _mm_add_epi32(u, v); }
  // F = d ^ (b & (c ^ d)); G = (b & d) + (c & ~d), the two terms never sharing a bit, so that
  // the term of c and d alone joins the sum before b is known; H = b ^ c ^ d;
  // I = c ^ (b | ~d).
  template <int round>
  static Vec AddRound(Vec a, Vec b, Vec c, Vec d) {
    if constexpr (round == 0) {
      return Add(a, _mm_xor_si128(d, _mm_and_si128(b, _mm_xor_si128(c, d))));
    } else if constexpr (round == 1) {
      return Add(Settled(Add(a, _mm_andnot_si128(d, c))), _mm_and_si128(b, d));
    } else if constexpr (round == 2) {
      return Add(a, _mm_xor_si128(b, _mm_xor_si128(c, d)));
    } else {
      return Add(a, _mm_xor_si128(c, _mm_or_si128(b, _mm_xor_si128(d, _mm_set1_epi32(-1)))));
    }
  }

  template <int s>
  static Vec RotateLeft(Vec v) {
    return _mm_or_si128(_mm_slli_epi32(v, s), _mm_srli_epi32(v, 32 - s));
  }

  // Four rows of four words (one row a lane) transposed into four words of four lanes, for
  // each quarter of the blocks.
  static void LoadWords(const uint8_t* const* blocks, size_t offset, Vec x[16]) {
    for (int quarter = 0; quarter < 4; ++quarter) {
      Vec row[4];
      for (int lane = 0; lane < 4; ++lane)
        row[lane] =
            _mm_loadu_si128(reinterpret_cast<const Vec*>(blocks[lane] + offset + 16 * quarter));
      const Vec low01 = _mm_unpacklo_epi32(row[0], row[1]);
      const Vec low23 = _mm_unpacklo_epi32(row[2], row[3]);
      const Vec high01 = _mm_unpackhi_epi32(row[0], row[1]);
      const Vec high23 = _mm_unpackhi_epi32(row[2], row[3]);
      x[4 * quarter] = _mm_unpacklo_epi64(low01, low23);
      x[4 * quarter + 1] = _mm_unpackhi_epi64(low01, low23);
      x[4 * quarter + 2] = _mm_unpacklo_epi64(high01, high23);
      x[4 * quarter + 3] = _mm_unpackhi_epi64(high01, high23);
    }
  }
};

}  // namespace

void CompressLanesSse2(uint32_t* state, const uint8_t* const* blocks, size_t rounds) {
  CompressLanes<Sse2>(state, blocks, rounds);
}

}  // namespace digest::md5

#endif
