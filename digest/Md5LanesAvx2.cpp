// The 8-lane MD5 kernel, AVX2. Built with -mavx2, so this file must include nothing that
// defines a shared inline function: see Md5Schedule.h.
#include "digest/Md5Kernels.h"

#if VRTLY_MD5_VECTOR_LANES
#include <immintrin.h>

#include "digest/Md5VectorKernel.h"

namespace digest::md5 {

namespace {

struct Avx2 {
  using Vec = __m256i;
  static constexpr int kLanes = 8;

  static Vec Load(const uint32_t* p) { return _mm256_loadu_si256(reinterpret_cast<const Vec*>(p)); }
  static void Store(uint32_t* p, Vec v) { _mm256_storeu_si256(reinterpret_cast<Vec*>(p), v); }
  static Vec Add(Vec u, Vec v) { return _mm256_add_epi32(u, v); }
  // The round functions as in the SSE2 kernel.
  template <int round>
  static Vec AddRound(Vec a, Vec b, Vec c, Vec d) {
    if constexpr (round == 0) {
      return Add(a, _mm256_xor_si256(d, _mm256_and_si256(b, _mm256_xor_si256(c, d))));
    } else if constexpr (round == 1) {
      return Add(Settled(Add(a, _mm256_andnot_si256(d, c))), _mm256_and_si256(b, d));
    } else if constexpr (round == 2) {
      return Add(a, _mm256_xor_si256(b, _mm256_xor_si256(c, d)));
    } else {
      return Add(
          a, _mm256_xor_si256(c, _mm256_or_si256(b, _mm256_xor_si256(d, _mm256_set1_epi32(-1)))));
    }
  }

  template <int s>
  static Vec RotateLeft(Vec v) {
    return _mm256_or_si256(_mm256_slli_epi32(v, s), _mm256_srli_epi32(v, 32 - s));
  }

  // For each quarter of the blocks, lane n's four words go to the low half of row n and lane
  // n + 4's to its high half (the loads do the crossing of halves); the four rows are then
  // transposed within each half.
  static void LoadWords(const uint8_t* const* blocks, size_t offset, Vec x[16]) {
    for (int quarter = 0; quarter < 4; ++quarter) {
      Vec row[4];
      for (int lane = 0; lane < 4; ++lane) {
        const auto* low = reinterpret_cast<const __m128i*>(blocks[lane] + offset + 16 * quarter);
        const auto* high =
            reinterpret_cast<const __m128i*>(blocks[lane + 4] + offset + 16 * quarter);
        row[lane] = _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadu_si128(low)),
                                            _mm_loadu_si128(high), 1);
      }
      const Vec low01 = _mm256_unpacklo_epi32(row[0], row[1]);
      const Vec low23 = _mm256_unpacklo_epi32(row[2], row[3]);
      const Vec high01 = _mm256_unpackhi_epi32(row[0], row[1]);
      const Vec high23 = _mm256_unpackhi_epi32(row[2], row[3]);
      x[4 * quarter] = _mm256_unpacklo_epi64(low01, low23);
      x[4 * quarter + 1] = _mm256_unpackhi_epi64(low01, low23);
      x[4 * quarter + 2] = _mm256_unpacklo_epi64(high01, high23);
      x[4 * quarter + 3] = _mm256_unpackhi_epi64(high01, high23);
    }
  }
};

}  // namespace

void CompressLanesAvx2(uint32_t* state, const uint8_t* const* blocks, size_t rounds) {
  CompressLanes<Avx2>(state, blocks, rounds);
}

}  // namespace digest::md5

#endif
