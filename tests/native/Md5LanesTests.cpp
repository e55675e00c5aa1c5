// The multi-lane MD5 engine at every width this machine runs: each lane's digest equals the
// scalar engine's and the known answers, however the messages are spread over the lanes, cut
// into pieces, ended, refilled and abandoned; and the rules of driving a lane.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "digest/CryptoUtils.h"
#include "digest/MD.h"
#include "digest/Md5Lanes.h"
#include "digest/ProcessorFeatures.h"
#include "tests/support/LaneWorker.h"

namespace {

using digest::AppendHexBytes;
using digest::LanePhase;
using digest::Md5Digest;
using digest::Md5Lanes;
using testing_support::Driving;
using testing_support::Ending;
using testing_support::LaneRun;

std::string Hex(const Md5Digest& bytes) {
  std::string text;
  AppendHexBytes(text, bytes.data(), bytes.size());
  return text;
}

std::string ScalarDigest(const std::string& message) {
  digest::MDContext context;
  digest::MDInit(context);
  digest::MDUpdate(context, reinterpret_cast<const uint8_t*>(message.data()),
                   static_cast<uint32_t>(message.size()), digest::MD5Transform);
  return digest::MDFinal(context, digest::MD5Transform);
}

// Bytes of their own for every message, so that a lane that reads another lane's blocks is seen.
std::string RandomBytes(size_t count, uint32_t seed) {
  std::mt19937 random(seed);
  std::string bytes(count, '\0');
  for (char& byte : bytes)
    byte = static_cast<char>(random());
  return bytes;
}

// Digests the messages through the lanes, checking that the engine refused no call and came
// to an end.
std::vector<std::string> DigestThroughLanes(Md5Lanes& lanes,
                                            const std::vector<std::string>& messages,
                                            const Driving& driving) {
  const std::vector<std::string_view> views(messages.begin(), messages.end());
  const LaneRun run = testing_support::DigestThroughLanes(lanes, views, driving);
  EXPECT_EQ(run.refusedCalls, 0u);
  EXPECT_FALSE(run.stalled);
  return run.digests;
}

std::vector<std::string> MessagesOfLengths(const std::vector<size_t>& lengths) {
  std::vector<std::string> messages;
  for (size_t i = 0; i < lengths.size(); ++i)
    messages.push_back(RandomBytes(lengths[i], static_cast<uint32_t>(i + 1)));
  return messages;
}

// Lengths 0 to 33 blocks, each a few bytes past its last whole block, so that lanes started
// together end at different rounds.
std::vector<size_t> StaggeredLengths() {
  std::vector<size_t> lengths;
  for (size_t blocks = 0; blocks < 34; ++blocks)
    lengths.push_back(64 * blocks + blocks % 9);
  return lengths;
}

std::vector<size_t> RandomLengths(size_t count, size_t most, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<size_t> lengths(count);
  for (size_t& length : lengths)
    length = random() % (most + 1);
  return lengths;
}

const std::vector<size_t> kEdgeLengths = {0, 1, 55, 56, 63, 64, 65, 119, 120, 4095, 4096, 4097};

struct LaneCase {
  const char* what;
  std::vector<size_t> lengths;
  Driving driving;
};

const std::vector<LaneCase> kLaneCases = {
    {"edge lengths, each one piece", kEdgeLengths, {}},
    {"edge lengths in 4096-byte reads", kEdgeLengths, {{4096}}},
    {"edge lengths, finished only when reported after the last piece",
     kEdgeLengths,
     {{4096}, Ending::WhenReportedAfter}},
    {"lengths that end the lanes at different blocks", StaggeredLengths(), {{4096}}},
    {"lengths that end the lanes at different blocks, in pieces of 3 blocks",
     StaggeredLengths(),
     {{192}}},
    {"irregular pieces that split blocks", StaggeredLengths(), {{1, 63, 64, 65, 7, 128, 3, 200}}},
    {"one byte a piece", {0, 1, 2, 55, 56, 63, 64, 65, 127, 128, 129}, {{1}}},
    {"more messages than lanes, refilled while the others go on",
     RandomLengths(60, 9000, 7),
     {{4096}}},
    {"refilled, irregular pieces, finished when reported",
     RandomLengths(40, 3000, 8),
     {{100, 4096, 1, 777}, Ending::WhenReportedAfter}},
    {"messages abandoned halfway and started again",
     RandomLengths(40, 9000, 9),
     {{1000, 4096}, Ending::WithLastPiece, 3}},
    {"one long message among short ones", {1 << 20, 5, 64, 0, 4097, 100000, 3, 1}, {{65536}}},
};

class Md5LanesOfWidth : public testing::TestWithParam<unsigned> {
 protected:
  void SetUp() override {
    if (!Md5Lanes::CanRun(GetParam()))
      GTEST_SKIP() << "this machine does not run the " << GetParam() << "-lane engine";
    lanes_ = Md5Lanes::Create(GetParam());
    ASSERT_NE(lanes_, nullptr);
    ASSERT_EQ(lanes_->Width(), GetParam());
  }

  std::unique_ptr<Md5Lanes> lanes_;
};

TEST_P(Md5LanesOfWidth, GiveTheKnownAnswersOfRfc1321) {
  // RFC 1321, appendix A.5, twice over, so that lanes are refilled and some lanes stay idle.
  const std::vector<std::pair<std::string, std::string>> vectors = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
       "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},  // "1234567890" 8 times
  };
  std::vector<std::string> messages;
  for (int times = 0; times < 2; ++times) {
    for (const auto& vector : vectors)
      messages.push_back(vector.first);
  }
  const std::vector<std::string> digests = DigestThroughLanes(*lanes_, messages, {{5}});
  for (size_t i = 0; i < messages.size(); ++i)
    EXPECT_EQ(digests[i], vectors[i % vectors.size()].second) << '"' << messages[i] << '"';
}

TEST_P(Md5LanesOfWidth, GiveEveryLaneTheScalarEnginesDigest) {
  for (const LaneCase& test : kLaneCases) {
    const std::vector<std::string> messages = MessagesOfLengths(test.lengths);
    const std::vector<std::string> digests = DigestThroughLanes(*lanes_, messages, test.driving);
    for (size_t i = 0; i < messages.size(); ++i) {
      EXPECT_EQ(digests[i], ScalarDigest(messages[i]))
          << test.what << ": message " << i << ", " << messages[i].size() << " bytes";
    }
  }
}

// The calls a lane refuses leave it as it was; the steps below run on lane 0 while lane 1
// digests "abc" beside it.
TEST_P(Md5LanesOfWidth, RefuseCallsOutOfTurnAndKeepTheLaneAsItWas) {
  if (lanes_->Width() < 2) GTEST_SKIP() << "needs two lanes";
  Md5Lanes& lanes = *lanes_;
  const std::string block = RandomBytes(64, 99);
  const std::string abc = "abc";
  Md5Digest digest;

  EXPECT_EQ(lanes.Run(), 0u) << "every lane idle";
  EXPECT_FALSE(lanes.Feed(0, block.data(), 64)) << "an idle lane";
  EXPECT_FALSE(lanes.Finish(0)) << "an idle lane";
  EXPECT_FALSE(lanes.TakeDigest(0, digest)) << "an idle lane";

  lanes.Start(1);
  ASSERT_TRUE(lanes.Feed(1, abc.data(), abc.size()));
  EXPECT_EQ(lanes.Run(), 0b10u) << "a lane fed less than a block is hungry at once";
  ASSERT_TRUE(lanes.Finish(1));

  lanes.Start(0);
  EXPECT_EQ(lanes.Phase(0), LanePhase::Hungry);
  EXPECT_TRUE(lanes.Feed(0, nullptr, 0)) << "nothing, to a hungry lane";
  EXPECT_EQ(lanes.Phase(0), LanePhase::Hungry);
  ASSERT_TRUE(lanes.Feed(0, block.data(), 64));
  EXPECT_EQ(lanes.Phase(0), LanePhase::Busy);
  EXPECT_FALSE(lanes.Feed(0, block.data(), 64)) << "a busy lane";
  EXPECT_FALSE(lanes.TakeDigest(0, digest)) << "a busy lane";
  ASSERT_TRUE(lanes.Finish(0));
  EXPECT_FALSE(lanes.Finish(0)) << "a finished lane";
  EXPECT_FALSE(lanes.Feed(0, block.data(), 64)) << "a finished lane";

  // Lane 1 has its final block only, lane 0 a block before its final one.
  EXPECT_EQ(lanes.Run(), 0b10u) << "lane 1 done after one round";
  EXPECT_EQ(lanes.Phase(0), LanePhase::Busy);
  EXPECT_EQ(lanes.Run(), 0b10u) << "Run waits for lane 1's digest to be taken";
  EXPECT_EQ(lanes.Phase(0), LanePhase::Busy);
  ASSERT_TRUE(lanes.TakeDigest(1, digest));
  EXPECT_EQ(Hex(digest), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(lanes.Run(), 0b01u) << "lane 0 done";
  EXPECT_FALSE(lanes.Feed(0, block.data(), 64)) << "a done lane";
  EXPECT_FALSE(lanes.Finish(0)) << "a done lane";
  ASSERT_TRUE(lanes.TakeDigest(0, digest));
  EXPECT_EQ(Hex(digest), ScalarDigest(block));
  EXPECT_EQ(lanes.Phase(0), LanePhase::Idle);
  EXPECT_FALSE(lanes.TakeDigest(0, digest)) << "a digest taken already";

  lanes.Start(0);
  ASSERT_TRUE(lanes.Feed(0, block.data(), 64));
  lanes.Start(0);
  EXPECT_EQ(lanes.Phase(0), LanePhase::Hungry) << "a busy lane started again";
  ASSERT_TRUE(lanes.Feed(0, abc.data(), abc.size()));
  ASSERT_TRUE(lanes.Finish(0));
  EXPECT_EQ(lanes.Run(), 0b01u);
  ASSERT_TRUE(lanes.TakeDigest(0, digest));
  EXPECT_EQ(Hex(digest), "900150983cd24fb0d6963f7d28e17f72") << "the abandoned block left out";

  lanes.Start(0);
  ASSERT_TRUE(lanes.Feed(0, block.data(), 64));
  lanes.Stop(0);
  EXPECT_EQ(lanes.Phase(0), LanePhase::Idle);
  EXPECT_EQ(lanes.Run(), 0u) << "a stopped lane is idle";
}

INSTANTIATE_TEST_SUITE_P(Widths, Md5LanesOfWidth, testing::Values(1u, 4u, 8u, 16u),
                         [](const testing::TestParamInfo<unsigned>& width) {
                           return "Width" + std::to_string(width.param);
                         });

TEST(Md5Lanes, CountTheLengthIntoTheHighWordOfTheLengthField) {
  // 2^29 zero bytes, 2^32 bits, fed as 512 pieces of 1 MiB; the expected value is md5sum's,
  // outside this project. The length field is written by the part of the engine that every
  // width shares, so the scalar width, the quickest under the sanitizers, stands for all.
  const std::string zeros(1 << 20, '\0');
  const auto lanes = Md5Lanes::Create(1);
  lanes->Start(0);
  for (int piece = 0; piece < 512; ++piece) {
    ASSERT_TRUE(lanes->Feed(0, zeros.data(), zeros.size()));
    ASSERT_EQ(lanes->Run(), 1u);
  }
  ASSERT_TRUE(lanes->Finish(0));
  ASSERT_EQ(lanes->Run(), 1u);
  Md5Digest digest;
  ASSERT_TRUE(lanes->TakeDigest(0, digest));
  EXPECT_EQ(Hex(digest), "aa559b4e3523a6c931f08f4df52d58f2");
}

TEST(Md5LanesWidths, AreGivenOnlyWhereTheProcessorAndSystemRunThem) {
  const digest::ProcessorFeatures& cpu = digest::ThisProcessor();
  const struct {
    unsigned width;
    bool runs;
  } rows[] = {{1, true},     {2, false},  {3, false},        {4, cpu.Sse2},
              {8, cpu.Avx2}, {12, false}, {16, cpu.Avx512F}, {32, false}};
  for (const auto& row : rows) {
    EXPECT_EQ(Md5Lanes::CanRun(row.width), row.runs) << row.width;
    EXPECT_EQ(Md5Lanes::Create(row.width) != nullptr, row.runs) << row.width;
  }
  EXPECT_TRUE(Md5Lanes::CanRun(Md5Lanes::DefaultWidth()));
  EXPECT_EQ(Md5Lanes::Create()->Width(), Md5Lanes::DefaultWidth());
}

}  // namespace
