// The vector kernels of the multi-lane MD5 engine (digest/Md5Lanes.h), one a width. Each is
// built in a file of its own with the instruction set it needs, and may be called only when
// ThisProcessor() reports that instruction set.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(__x86_64__) || defined(__i386__)
#define VRTLY_MD5_VECTOR_LANES 1
#else
#define VRTLY_MD5_VECTOR_LANES 0
#endif

namespace digest::md5 {

// Each compresses `rounds` consecutive blocks in every lane: blocks[n] points at lane n's first
// block. state holds word k of lane n's chaining value at state[k * lanes + n].
void CompressLanesSse2(uint32_t* state, const uint8_t* const* blocks, size_t rounds);    // 4
void CompressLanesAvx2(uint32_t* state, const uint8_t* const* blocks, size_t rounds);    // 8
void CompressLanesAvx512(uint32_t* state, const uint8_t* const* blocks, size_t rounds);  // 16

}  // namespace digest::md5
