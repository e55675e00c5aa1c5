#include "digest/ProcessorFeatures.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>

#include <cstdint>
#endif

namespace digest {

namespace {

#if defined(__x86_64__) || defined(__i386__)

// Bits of XCR0, the register state the operating system enables (Intel SDM vol. 1, 13.3).
constexpr uint64_t kXcr0Sse = 1u << 1;
constexpr uint64_t kXcr0Avx = 1u << 2;          // the upper halves of YMM0-15
constexpr uint64_t kXcr0AvxAvx512 = 0x7u << 5;  // opmask, ZMM_Hi256, Hi16_ZMM
constexpr uint32_t kLeaf1EdxSse2 = 1u << 26;
constexpr uint32_t kLeaf1EcxOsxsave = 1u << 27;
constexpr uint32_t kLeaf1EcxAvx = 1u << 28;
constexpr uint32_t kLeaf7EbxAvx2 = 1u << 5;
constexpr uint32_t kLeaf7EbxAvx512F = 1u << 16;

// XGETBV with ECX = 0, written out so that this file needs no XSAVE compiler flag. Only valid
// when CPUID reports OSXSAVE.
uint64_t ExtendedControlRegister0() {
  uint32_t low = 0, high = 0;
  __asm__ volatile("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
  return (uint64_t{high} << 32) | low;
}

ProcessorFeatures Detect() {
  ProcessorFeatures features;
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0) return features;
  features.Sse2 = (edx & kLeaf1EdxSse2) != 0;
  if ((ecx & kLeaf1EcxOsxsave) == 0 || (ecx & kLeaf1EcxAvx) == 0) return features;
  const uint64_t enabled = ExtendedControlRegister0();
  const bool avxState = (enabled & (kXcr0Sse | kXcr0Avx)) == (kXcr0Sse | kXcr0Avx);
  const bool avx512State = avxState && (enabled & kXcr0AvxAvx512) == kXcr0AvxAvx512;
  if (__get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx) == 0) return features;
  features.Avx2 = avxState && (ebx & kLeaf7EbxAvx2) != 0;
  features.Avx512F = avx512State && (ebx & kLeaf7EbxAvx512F) != 0;
  return features;
}

#else

ProcessorFeatures Detect() {
  return {};
}

#endif

}  // namespace

const ProcessorFeatures& ThisProcessor() {
  static const ProcessorFeatures features = Detect();
  return features;
}

}  // namespace digest
