// The vector instruction sets this program can use on the processor it runs on: those the
// processor reports and whose registers the operating system saves and restores on a thread
// switch (an instruction set the processor has but the system does not save faults or corrupts
// other threads' registers).
#pragma once

namespace digest {

struct ProcessorFeatures {
  bool Sse2 = false;
  bool Avx2 = false;
  bool Avx512F = false;
};

// Asked of the processor once per process; none of them on a processor that is not x86.
const ProcessorFeatures& ThisProcessor();

}  // namespace digest
