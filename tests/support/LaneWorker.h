// Drives the multi-lane MD5 engine the way a worker of the parallel digest source does, for
// the engine's tests and the fuzz target.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "digest/Md5Lanes.h"

namespace testing_support {

enum class Ending {
  WithLastPiece,      // Finish right after the Feed that gives the last bytes
  WhenReportedAfter,  // Finish only when Run reports the lane hungry after its last bytes
};

// How the messages go through the lanes. Each message's piece sizes run through `pieces` from
// a point of their own (the message's number); no pieces means a message is one piece.
struct Driving {
  std::vector<size_t> pieces;
  Ending ending = Ending::WithLastPiece;
  size_t abandonEvery = 0;  // message n with n % abandonEvery == 1 is dropped after its first
                            // piece and started again from its first byte
};

struct LaneRun {
  std::vector<std::string> digests;  // digest text in message order; empty if never given
  size_t refusedCalls = 0;           // calls of Feed, Finish or TakeDigest the engine refused
  bool stalled = false;              // Run went on reporting lanes without end
};

// Digests the messages in order: every lane takes the next message as soon as it is free, and
// a digest is taken as soon as it is ready. Each piece is copied into a buffer of its own size,
// freed when the lane is next fed, so that under AddressSanitizer a read beyond a piece or
// after the lane was reported is caught.
LaneRun DigestThroughLanes(digest::Md5Lanes& lanes, const std::vector<std::string_view>& messages,
                           const Driving& driving);

}  // namespace testing_support
