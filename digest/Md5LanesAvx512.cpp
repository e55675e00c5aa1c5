// The 16-lane MD5 kernel, AVX-512F: the rotations are single instructions (vprold) and each
// round function is one three-input logic instruction (vpternlogd). Built with -mavx512f, so
// this file must include nothing that defines a shared inline function: see Md5Schedule.h.
#include "digest/Md5Kernels.h"

#if VRTLY_MD5_VECTOR_LANES
#include <immintrin.h>

#include "digest/Md5VectorKernel.h"

namespace digest::md5 {

namespace {

struct Avx512 {
  using Vec = __m512i;
  static constexpr int kLanes = 16;

  static Vec Load(const uint32_t* p) { return _mm512_loadu_si512(p); }
  static void Store(uint32_t* p, Vec v) { _mm512_storeu_si512(p, v); }
  static Vec Add(Vec u, Vec v) { return _mm512_add_epi32(u, v); }

  // The truth tables of F = b ? c : d, G = d ? b : c, H = b ^ c ^ d and I = c ^ (b | ~d),
  // indexed by d << 2 | b << 1 | c. d comes first because vpternlogd overwrites its first
  // operand: the copy the compiler makes of it is then a copy of d, which is known early,
  // rather than one of b on the chain of dependent steps.
  static constexpr int kRoundTable[4] = {0xB8, 0xCA, 0x96, 0x65};

  template <int round>
  static Vec AddRound(Vec a, Vec b, Vec c, Vec d) {
    return Add(a, _mm512_ternarylogic_epi32(d, b, c, kRoundTable[round]));
  }

  template <int s>
  static Vec RotateLeft(Vec v) {
    return _mm512_rol_epi32(v, s);
  }

  // A 16 x 16 transpose of the blocks' words in four passes: 32-bit and 64-bit interleaves
  // make 4 x 4 transposes inside every 128-bit quarter, two passes of quarter shuffles then
  // gather each word's quarters.
  static void LoadWords(const uint8_t* const* blocks, size_t offset, Vec x[16]) {
    Vec row[16];
    for (int lane = 0; lane < 16; ++lane)
      row[lane] = _mm512_loadu_si512(blocks[lane] + offset);
    // words[g][j], quarter q: word 4q + j of lanes 4g to 4g + 3.
    Vec words[4][4];
    for (int g = 0; g < 4; ++g) {
      const Vec low01 = _mm512_unpacklo_epi32(row[4 * g], row[4 * g + 1]);
      const Vec low23 = _mm512_unpacklo_epi32(row[4 * g + 2], row[4 * g + 3]);
      const Vec high01 = _mm512_unpackhi_epi32(row[4 * g], row[4 * g + 1]);
      const Vec high23 = _mm512_unpackhi_epi32(row[4 * g + 2], row[4 * g + 3]);
      words[g][0] = _mm512_unpacklo_epi64(low01, low23);
      words[g][1] = _mm512_unpackhi_epi64(low01, low23);
      words[g][2] = _mm512_unpacklo_epi64(high01, high23);
      words[g][3] = _mm512_unpackhi_epi64(high01, high23);
    }
    for (int j = 0; j < 4; ++j) {
      // Quarters 0 and 1, then 2 and 3, of lane groups 0 and 1 (and of 2 and 3).
      const Vec front01 = _mm512_shuffle_i32x4(words[0][j], words[1][j], 0x44);
      const Vec back01 = _mm512_shuffle_i32x4(words[0][j], words[1][j], 0xEE);
      const Vec front23 = _mm512_shuffle_i32x4(words[2][j], words[3][j], 0x44);
      const Vec back23 = _mm512_shuffle_i32x4(words[2][j], words[3][j], 0xEE);
      x[j] = _mm512_shuffle_i32x4(front01, front23, 0x88);
      x[4 + j] = _mm512_shuffle_i32x4(front01, front23, 0xDD);
      x[8 + j] = _mm512_shuffle_i32x4(back01, back23, 0x88);
      x[12 + j] = _mm512_shuffle_i32x4(back01, back23, 0xDD);
    }
  }
};

}  // namespace

void CompressLanesAvx512(uint32_t* state, const uint8_t* const* blocks, size_t rounds) {
  CompressLanes<Avx512>(state, blocks, rounds);
}

}  // namespace digest::md5

#endif
