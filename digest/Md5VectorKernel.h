// The body shared by the vector kernels of digest/Md5Kernels.h: the MD5 schedule run on one
// vector register per word of the chaining value, one lane per message.
//
// Included only by the kernels' own files. V is the vector type of one of them, with
//   Vec, kLanes                          the register and its number of 32-bit lanes
//   Load(p), Store(p, v)                 kLanes words from or to p, any alignment
//   Add(u, v), Broadcast(word)           lane-wise sum; word in every lane
//   Round<r>(b, c, d)                    F, G, H or I (r = 0 to 3) lane by lane
//   RotateLeft<s>(v)                     each lane rotated left by s
//   LoadWords(blocks, offset, x)         x[k] gets word k of the block at blocks[n] + offset
//                                        in lane n, for k = 0 to 15
#pragma once

#include <cstddef>
#include <cstdint>

#include "digest/Md5Schedule.h"

namespace digest::md5 {

template <class V>
struct VectorStep {
  using Vec = typename V::Vec;

  // As in the scalar engine, the terms that do not wait for b (the previous step's result)
  // are summed first.
  template <class S>
  [[gnu::always_inline]] static void Step(Vec& a, Vec b, Vec c, Vec d, const Vec* x) {
    a = V::Add(a, V::Add(x[S::kWord], V::Broadcast(S::kSine)));
    a = V::Add(a, V::template Round<S::kRound>(b, c, d));
    a = V::Add(V::template RotateLeft<S::kShift>(a), b);
  }
};

template <class V>
[[gnu::always_inline]] inline void CompressLanes(uint32_t* state, const uint8_t* const* blocks,
                                                 size_t rounds) {
  using Vec = typename V::Vec;
  constexpr int n = V::kLanes;
  Vec a = V::Load(state), b = V::Load(state + n), c = V::Load(state + 2 * n),
      d = V::Load(state + 3 * n);
  for (size_t offset = 0; rounds > 0; --rounds, offset += 64) {
    Vec x[16];
    V::LoadWords(blocks, offset, x);
    const Vec a0 = a, b0 = b, c0 = c, d0 = d;
    SixtyFourSteps<VectorStep<V>>(a, b, c, d, x);
    a = V::Add(a, a0);
    b = V::Add(b, b0);
    c = V::Add(c, c0);
    d = V::Add(d, d0);
  }
  V::Store(state, a);
  V::Store(state + n, b);
  V::Store(state + 2 * n, c);
  V::Store(state + 3 * n, d);
}

}  // namespace digest::md5
