// The 64 steps of the MD5 compression (RFC 1321, section 3.4) as data and one template: which
// message word, which additive constant and which rotation each step takes. The scalar engine
// and the multi-lane engines run the same schedule; each supplies only its step.
//
// Header-only, without any function that is not a template, so that the multi-lane engines'
// files, which are built with wider instruction sets than the rest of the program, never
// emit a copy of shared code that another file could link to.
#pragma once

#include <cstdint>

namespace digest::md5 {

// The chaining value before the first block (RFC 1321, section 3.3).
inline constexpr uint32_t kInitialState[4] = {0x67452301u, 0xefcdab89u, 0x98badcfeu, 0x10325476u};

// T[i] of the RFC: the integer part of 2^32 * abs(sin(i + 1)).
inline constexpr uint32_t kSine[64] = {
    0xd76aa478u, 0xe8c7b756u, 0x242070dbu, 0xc1bdceeeu, 0xf57c0fafu, 0x4787c62au, 0xa8304613u,
    0xfd469501u, 0x698098d8u, 0x8b44f7afu, 0xffff5bb1u, 0x895cd7beu, 0x6b901122u, 0xfd987193u,
    0xa679438eu, 0x49b40821u, 0xf61e2562u, 0xc040b340u, 0x265e5a51u, 0xe9b6c7aau, 0xd62f105du,
    0x02441453u, 0xd8a1e681u, 0xe7d3fbc8u, 0x21e1cde6u, 0xc33707d6u, 0xf4d50d87u, 0x455a14edu,
    0xa9e3e905u, 0xfcefa3f8u, 0x676f02d9u, 0x8d2a4c8au, 0xfffa3942u, 0x8771f681u, 0x6d9d6122u,
    0xfde5380cu, 0xa4beea44u, 0x4bdecfa9u, 0xf6bb4b60u, 0xbebfbc70u, 0x289b7ec6u, 0xeaa127fau,
    0xd4ef3085u, 0x04881d05u, 0xd9d4d039u, 0xe6db99e5u, 0x1fa27cf8u, 0xc4ac5665u, 0xf4292244u,
    0x432aff97u, 0xab9423a7u, 0xfc93a039u, 0x655b59c3u, 0x8f0ccc92u, 0xffeff47du, 0x85845dd1u,
    0x6fa87e4fu, 0xfe2ce6e0u, 0xa3014314u, 0x4e0811a1u, 0xf7537e82u, 0xbd3af235u, 0x2ad7d2bbu,
    0xeb86d391u};

// The message word X[k] of each step: k = i in round 1, (1 + 5i) mod 16 in round 2,
// (5 + 3i) mod 16 in round 3, 7i mod 16 in round 4.
inline constexpr uint8_t kWordOf[64] = {
    0, 1, 2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15,  //
    1, 6, 11, 0,  5,  10, 15, 4,  9,  14, 3,  8,  13, 2,  7,  12,  //
    5, 8, 11, 14, 1,  4,  7,  10, 13, 0,  3,  6,  9,  12, 15, 2,   //
    0, 7, 14, 5,  12, 3,  10, 1,  8,  15, 6,  13, 4,  11, 2,  9};

// The rotations of the four steps of each round, which repeat four times.
inline constexpr uint8_t kShiftOf[4][4] = {
    {7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};

// What the step i of an engine is given, all known when the code is compiled.
template <int i>
struct StepConstants {
  static constexpr int kIndex = i;
  static constexpr int kRound = i / 16;  // 0: F, 1: G, 2: H, 3: I
  static constexpr int kWord = kWordOf[i];
  static constexpr uint32_t kSine = md5::kSine[i];
  static constexpr int kShift = kShiftOf[i / 16][i % 4];
};

// Four steps from step `first` on: a, d, c and b take the new value in turn.
template <class Engine, int first, class Word, class Words>
[[gnu::always_inline]] inline void FourSteps(Word& a, Word& b, Word& c, Word& d, const Words& x) {
  Engine::template Step<StepConstants<first>>(a, b, c, d, x);
  Engine::template Step<StepConstants<first + 1>>(d, a, b, c, x);
  Engine::template Step<StepConstants<first + 2>>(c, d, a, b, x);
  Engine::template Step<StepConstants<first + 3>>(b, c, d, a, x);
}

// Runs the 64 steps over the chaining value a, b, c, d; the caller adds the value it had before
// the block. Engine::Step<S>(a, b, c, d, x) computes a := b + ((a + f(b, c, d) + X[k] + T[i])
// <<< s) with the constants of S; x is whatever the engine reads its message words from.
template <class Engine, class Word, class Words>
[[gnu::always_inline]] inline void SixtyFourSteps(Word& a, Word& b, Word& c, Word& d,
                                                  const Words& x) {
  FourSteps<Engine, 0>(a, b, c, d, x);
  FourSteps<Engine, 4>(a, b, c, d, x);
  FourSteps<Engine, 8>(a, b, c, d, x);
  FourSteps<Engine, 12>(a, b, c, d, x);
  FourSteps<Engine, 16>(a, b, c, d, x);
  FourSteps<Engine, 20>(a, b, c, d, x);
  FourSteps<Engine, 24>(a, b, c, d, x);
  FourSteps<Engine, 28>(a, b, c, d, x);
  FourSteps<Engine, 32>(a, b, c, d, x);
  FourSteps<Engine, 36>(a, b, c, d, x);
  FourSteps<Engine, 40>(a, b, c, d, x);
  FourSteps<Engine, 44>(a, b, c, d, x);
  FourSteps<Engine, 48>(a, b, c, d, x);
  FourSteps<Engine, 52>(a, b, c, d, x);
  FourSteps<Engine, 56>(a, b, c, d, x);
  FourSteps<Engine, 60>(a, b, c, d, x);
}

}  // namespace digest::md5
