// The core clock, measured rather than read: a chain of dependent register additions runs at
// one addition per cycle, so additions per second is cycles per second. Neither the counters
// (not exposed in this VM) nor the time-stamp counter (fixed rate, blind to boost) give it.
// bench/run divides it by a digest's bytes per second to get cycles per byte.
#include <benchmark/benchmark.h>

#include <cstdint>

namespace {

constexpr int64_t kAddsPerLoop = 1000;
constexpr int64_t kLoops = 10000;

void CpuClock(benchmark::State& state) {
#if defined(__x86_64__) || defined(__i386__)
  for (auto _ : state) {
    uint32_t chain = 0;
    uint32_t step = 1;
    benchmark::DoNotOptimize(step);  // a register operand the renamer cannot fold away
    for (int64_t i = 0; i < kLoops; ++i) {
      asm volatile(".rept 1000\n\taddl %1, %0\n\t.endr" : "+r"(chain) : "r"(step));
    }
    benchmark::DoNotOptimize(chain);
  }
  state.SetItemsProcessed(state.iterations() * kLoops * kAddsPerLoop);
#else
  state.SkipWithError("the clock chain is written for x86 only");
  for (auto _ : state) {
  }
#endif
}
BENCHMARK(CpuClock);

}  // namespace
