// The multi-lane MD5 engine in the 32-bit Windows build, run under Wine (which runs the code
// natively): the throughput of each width this machine runs, on the work of bench/run's native
// digests rows (64 messages of 1 MiB, 16 distinct, fed in 4096-byte pieces). The default width
// of the 32-bit build is chosen from these figures. Measures, never asserts.
//
//   LanesBench.exe [rounds]
//
// Prints one line a width, "lanes WIDTH MB_PER_S", then "default WIDTH". Each round gives every
// width a quarter of a second of wall time; each width's best round counts, the others having lost
// time to the other jobs of a shared machine.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <vector>

#include "bench/LaneFeeder.h"
#include "digest/Md5Lanes.h"

namespace {

constexpr size_t kMessageSize = size_t{1} << 20;
constexpr size_t kDistinct = 16;
constexpr size_t kMessages = 64;
constexpr size_t kPiece = 4096;

// Wall time in seconds. Wine's thread and process times are no use for this: they tick in
// 10-20 ms steps and now and then jump, even backwards.
double Seconds() {
  LARGE_INTEGER frequency, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 20;
  std::vector<uint8_t> messages(kMessageSize * kDistinct);
  std::mt19937 random(20240601u);
  for (uint8_t& value : messages)
    value = static_cast<uint8_t>(random());

  // The widths take turns round by round, so that a busy spell of the machine does not fall
  // on one width only.
  std::vector<std::unique_ptr<digest::Md5Lanes>> engines;
  for (unsigned width : {1u, 4u, 8u, 16u}) {
    if (auto lanes = digest::Md5Lanes::Create(width)) engines.push_back(std::move(lanes));
  }
  std::vector<double> best(engines.size(), 0.0);
  unsigned checksum = 0;
  for (int round = 0; round < rounds; ++round) {
    for (size_t engine = 0; engine < engines.size(); ++engine) {
      const double start = Seconds();
      size_t bytes = 0;
      while (Seconds() - start < 0.25) {
        checksum += bench::DigestThroughLanes(*engines[engine], messages.data(), kMessageSize,
                                              kDistinct, kMessages, kPiece);
        bytes += kMessageSize * kMessages;
      }
      best[engine] = std::max(best[engine], static_cast<double>(bytes) / (Seconds() - start) / 1e6);
    }
  }
  for (size_t engine = 0; engine < engines.size(); ++engine)
    std::printf("lanes %u %.0f\n", engines[engine]->Width(), best[engine]);
  std::printf("default %u\n", digest::Md5Lanes::DefaultWidth());
  std::fprintf(stderr, "checksum %u\n", checksum);
  return 0;
}
