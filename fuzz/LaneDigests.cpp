#include "fuzz/LaneDigests.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "digest/MD.h"
#include "digest/Md5Lanes.h"
#include "tests/support/LaneWorker.h"

namespace fuzz_checks {

namespace {

using testing_support::Driving;
using testing_support::Ending;

// The input's bytes read from the front as choices; zero once they run out.
class Choices {
 public:
  Choices(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  size_t Next(size_t limit) { return next_ < size_ ? data_[next_++] % limit : 0; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t next_ = 0;
};

std::string ScalarDigest(std::string_view message) {
  digest::MDContext context;
  digest::MDInit(context);
  digest::MDUpdate(context, reinterpret_cast<const uint8_t*>(message.data()),
                   static_cast<uint32_t>(message.size()), digest::MD5Transform);
  return digest::MDFinal(context, digest::MD5Transform);
}

}  // namespace

void CheckLaneDigests(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  Choices choices(data, size);
  // Up to 40 messages, each a stretch of the input (they may overlap), so that more messages
  // than lanes refill lanes while others go on.
  std::vector<std::string_view> messages(1 + choices.Next(40));
  for (std::string_view& message : messages) {
    const size_t start = (choices.Next(256) << 8 | choices.Next(256)) % (size + 1);
    message =
        input.substr(start, (choices.Next(256) << 8 | choices.Next(256)) % (size - start + 1));
  }
  Driving driving;
  driving.pieces.resize(1 + choices.Next(4));
  for (size_t& piece : driving.pieces)
    piece = choices.Next(2) == 0 ? 1 + choices.Next(130) : 64 * (1 + choices.Next(16));
  driving.ending = choices.Next(2) == 0 ? Ending::WithLastPiece : Ending::WhenReportedAfter;
  driving.abandonEvery = choices.Next(4);

  std::vector<std::string> expected;
  for (const std::string_view message : messages)
    expected.push_back(ScalarDigest(message));
  for (unsigned width = 1; width <= digest::Md5Lanes::kMaxWidth; ++width) {
    const auto lanes = digest::Md5Lanes::Create(width);
    if (lanes == nullptr) continue;
    const testing_support::LaneRun run =
        testing_support::DigestThroughLanes(*lanes, messages, driving);
    if (run.refusedCalls != 0 || run.stalled) {
      fprintf(stderr, "checkfile_fuzzer: the %u-lane engine refused %zu calls%s\n", width,
              run.refusedCalls, run.stalled ? " and did not come to an end" : "");
      abort();
    }
    for (size_t i = 0; i < messages.size(); ++i) {
      if (run.digests[i] == expected[i]) continue;
      fprintf(stderr,
              "checkfile_fuzzer: the %u-lane engine gave %s for message %zu (%zu bytes), "
              "the scalar engine %s\n",
              width, run.digests[i].c_str(), i, messages[i].size(), expected[i].c_str());
      abort();
    }
  }
}

}  // namespace fuzz_checks
