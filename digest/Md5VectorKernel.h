// The body shared by the vector kernels of digest/Md5Kernels.h: the MD5 schedule run on one
// vector register per word of the chaining value, one lane per message.
//
// Included only by the kernels' own files. V is the vector type of one of them, with
//   Vec, kLanes                          the register and its number of 32-bit lanes
//   Load(p), Store(p, v)                 kLanes words from or to p, any alignment
//   Add(u, v)                            lane-wise sum
//   AddRound<r>(a, b, c, d)              a + F, G, H or I (r = 0 to 3) of b, c, d lane by lane,
//                                        the term of b added last
//   RotateLeft<s>(v)                     each lane rotated left by s
//   LoadWords(blocks, offset, x)         x[k] gets word k of the block at blocks[n] + offset
//                                        in lane n, for k = 0 to 15
#pragma once

#include <cstddef>
#include <cstdint>

#include "digest/Md5Schedule.h"

namespace digest::md5 {

// T[i] of every step in every lane: step i's constant at words[i * lanes] to
// words[i * lanes + lanes - 1], so that a step adds it from memory in one instruction.
template <size_t lanes>
struct SinesInLanes {
  alignas(64) uint32_t words[64 * lanes];

  constexpr SinesInLanes() : words{} {
    for (size_t i = 0; i < 64 * lanes; ++i)
      words[i] = kSine[i / lanes];
  }
};

template <size_t lanes>
inline constexpr SinesInLanes<lanes> kSinesInLanes{};

// Makes v opaque to the optimiser at this point. The sum of a step is written so that the terms
// known early are added first and the term that waits for the previous step comes last; GCC
// otherwise reorders the additions and puts that term at the start of the chain.
template <class Vec>
[[gnu::always_inline]] inline Vec Settled(Vec v) {
  __asm__("" : "+v"(v));
  return v;
}

// What a step reads besides the chaining value.
template <class V>
struct StepInput {
  const typename V::Vec* words;  // the block's words, one register a word
  const uint32_t* sines;         // kSinesInLanes
};

template <class V>
struct VectorStep {
  using Vec = typename V::Vec;

  // As in the scalar engine, the terms that do not wait for b (the previous step's result)
  // are summed first.
  template <class S>
  [[gnu::always_inline]] static void Step(Vec& a, Vec b, Vec c, Vec d, const StepInput<V>& in) {
    a = Settled(V::Add(a, V::Add(in.words[S::kWord], V::Load(in.sines + S::kIndex * V::kLanes))));
    a = V::template AddRound<S::kRound>(a, b, c, d);
    a = V::Add(V::template RotateLeft<S::kShift>(a), b);
  }
};

template <class V>
[[gnu::always_inline]] inline void CompressLanes(uint32_t* state, const uint8_t* const* blocks,
                                                 size_t rounds) {
  using Vec = typename V::Vec;
  constexpr int n = V::kLanes;
  // Hidden from the optimiser, which would otherwise rebuild every constant in a register
  // (GCC 12 does, with two instructions on the shuffle port) instead of adding it from memory.
  const uint32_t* sines = kSinesInLanes<n>.words;
  __asm__("" : "+r"(sines));
  Vec a = V::Load(state), b = V::Load(state + n), c = V::Load(state + 2 * n),
      d = V::Load(state + 3 * n);
  for (size_t offset = 0; rounds > 0; --rounds, offset += 64) {
    Vec x[16];
    V::LoadWords(blocks, offset, x);
    const Vec a0 = a, b0 = b, c0 = c, d0 = d;
    SixtyFourSteps<VectorStep<V>>(a, b, c, d, StepInput<V>{x, sines});
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
