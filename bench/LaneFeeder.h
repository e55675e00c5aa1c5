// How the benchmarks drive the multi-lane MD5 engine: `count` messages of `size` bytes, message
// n being the (n mod distinct)-th of the `distinct` messages laid end to end at `messages`,
// each lane fed pieces of `piece` bytes as a worker would hand a file's reads on and started on
// the next message as soon as it has given its digest. Shared by bench/DigestBench.cpp and
// bench/windows/LanesBench.cpp, so that native and Windows figures measure the same work.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "digest/Md5Lanes.h"

namespace bench {

// Returns the first byte of the last digest, so that the work cannot be optimised away.
inline uint8_t DigestThroughLanes(digest::Md5Lanes& lanes, const uint8_t* messages, size_t size,
                                  size_t distinct, size_t count, size_t piece) {
  struct Job {
    const uint8_t* bytes = nullptr;
    size_t fed = 0;
  };
  Job jobs[digest::Md5Lanes::kMaxWidth];
  size_t started = 0;
  digest::Md5Digest digest{};
  const auto start = [&](unsigned lane) {
    if (started == count) return;
    jobs[lane] = {messages + size * (started++ % distinct), 0};
    lanes.Start(lane);
  };
  const auto feed = [&](unsigned lane) {
    Job& job = jobs[lane];
    const size_t length = std::min(piece, size - job.fed);
    lanes.Feed(lane, job.bytes + job.fed, length);
    job.fed += length;
    if (job.fed == size) lanes.Finish(lane);
  };
  for (unsigned lane = 0; lane < lanes.Width(); ++lane) {
    start(lane);
    if (lanes.Phase(lane) == digest::LanePhase::Hungry) feed(lane);
  }
  for (uint32_t attention; (attention = lanes.Run()) != 0;) {
    for (unsigned lane = 0; lane < lanes.Width(); ++lane) {
      if ((attention >> lane & 1u) == 0) continue;
      if (lanes.TakeDigest(lane, digest)) start(lane);
      if (lanes.Phase(lane) == digest::LanePhase::Hungry) feed(lane);
    }
  }
  return digest[0];
}

}  // namespace bench
