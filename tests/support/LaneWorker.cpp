#include "tests/support/LaneWorker.h"

#include <algorithm>
#include <cstdint>
#include <memory>

#include "digest/CryptoUtils.h"

namespace testing_support {

using digest::LanePhase;

LaneRun DigestThroughLanes(digest::Md5Lanes& lanes, const std::vector<std::string_view>& messages,
                           const Driving& driving) {
  struct Job {
    size_t message = 0;
    size_t fed = 0;
    size_t pieceIndex = 0;
    bool restarted = false;
    std::unique_ptr<uint8_t[]> piece;
  };
  const unsigned width = lanes.Width();
  std::vector<Job> jobs(width);
  LaneRun run;
  run.digests.resize(messages.size());
  size_t nextMessage = 0;

  const auto refusedUnless = [&run](bool accepted) { run.refusedCalls += accepted ? 0 : 1; };
  const auto feedNextPiece = [&](unsigned lane) {
    Job& job = jobs[lane];
    const std::string_view message = messages[job.message];
    size_t size = message.size() - job.fed;
    if (!driving.pieces.empty())
      size = std::min(size, driving.pieces[job.pieceIndex++ % driving.pieces.size()]);
    job.piece = std::make_unique<uint8_t[]>(size);
    std::copy_n(message.data() + job.fed, size, job.piece.get());
    refusedUnless(lanes.Feed(lane, job.piece.get(), size));
    job.fed += size;
    if (job.fed == message.size() && driving.ending == Ending::WithLastPiece)
      refusedUnless(lanes.Finish(lane));
  };
  const auto startMessage = [&](unsigned lane, size_t message, bool restart) {
    jobs[lane] = Job{message, 0, message, restart, nullptr};
    lanes.Start(lane);
    feedNextPiece(lane);
  };

  for (unsigned lane = 0; lane < width && nextMessage < messages.size(); ++lane)
    startMessage(lane, nextMessage++, false);
  // Every call of Run that reports a lane is followed by at least a byte fed, a message
  // finished or a digest taken, so the calls are bounded by the bytes and messages.
  size_t callsLeft = 4 * messages.size() + 2;
  for (const std::string_view message : messages)
    callsLeft += 2 * message.size();
  for (uint32_t attention; (attention = lanes.Run()) != 0;) {
    if (callsLeft-- == 0) {
      run.stalled = true;
      break;
    }
    for (unsigned lane = 0; lane < width; ++lane) {
      if ((attention >> lane & 1u) == 0) continue;
      Job& job = jobs[lane];
      if (lanes.Phase(lane) == LanePhase::Done) {
        digest::Md5Digest bytes;
        refusedUnless(lanes.TakeDigest(lane, bytes));
        run.digests[job.message].clear();
        digest::AppendHexBytes(run.digests[job.message], bytes.data(), bytes.size());
        if (nextMessage < messages.size()) startMessage(lane, nextMessage++, false);
      } else if (driving.abandonEvery > 0 && job.message % driving.abandonEvery == 1 &&
                 !job.restarted) {
        startMessage(lane, job.message, true);
      } else if (job.fed == messages[job.message].size()) {
        refusedUnless(lanes.Finish(lane));
      } else {
        feedNextPiece(lane);
      }
    }
  }
  return run;
}

}  // namespace testing_support
