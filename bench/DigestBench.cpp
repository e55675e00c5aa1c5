// Digest throughput in memory, fed in 4096-byte updates as HashFile feeds a file. Ours through
// the hash API, through MDUpdate and as the bare block transform, beside OpenSSL's MD5 (its
// assembly block function behind MD5_Update) in the same run. The multi-lane engine digests
// many 1 MiB messages at once, one a lane, at each width this machine runs.
#include <benchmark/benchmark.h>

// The low-level MD5 calls go straight to OpenSSL's assembly, without the EVP dispatch; they
// are deprecated in OpenSSL 3 but still built.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/md5.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "bench/LaneFeeder.h"
#include "digest/CryptoAPI.h"
#include "digest/MD.h"
#include "digest/Md5Lanes.h"

using namespace digest;

namespace {

constexpr uint32_t kUpdateSize = 4096;
constexpr int64_t kInCache = int64_t{1} << 20;  // fits the core's L2 and the L3
constexpr int64_t kCold = int64_t{256} << 20;   // far beyond the L3: streams from memory

const std::vector<uint8_t>& Message(int64_t size) {
  static std::vector<uint8_t> bytes;
  if (bytes.size() < static_cast<size_t>(size)) {
    std::mt19937 random(20240601u);
    bytes.resize(static_cast<size_t>(size));
    for (uint8_t& byte : bytes)
      byte = static_cast<uint8_t>(random());
  }
  return bytes;
}

// Runs feed(chunk, length) over the first size bytes of the message in 4096-byte pieces.
template <typename Feed>
void FeedInUpdates(int64_t size, Feed feed) {
  const uint8_t* bytes = Message(size).data();
  for (int64_t offset = 0; offset < size; offset += kUpdateSize)
    feed(bytes + offset, kUpdateSize);
}

void ThroughHashApi(benchmark::State& state, uint32_t hashType) {
  const int64_t size = state.range(0);
  Message(size);
  std::string digest;
  for (auto _ : state) {
    HashContext context;
    HashInit(&context, hashType);
    FeedInUpdates(
        size, [&](const uint8_t* chunk, uint32_t length) { HashUpdate(&context, chunk, length); });
    HashFinal(&context, digest);
    benchmark::DoNotOptimize(digest.data());
  }
  state.SetBytesProcessed(state.iterations() * size);
}

void MD5_HashApi(benchmark::State& state) {
  ThroughHashApi(state, HASH_MD5);
}
void MD4_HashApi(benchmark::State& state) {
  ThroughHashApi(state, HASH_MD4);
}
void MD2_HashApi(benchmark::State& state) {
  ThroughHashApi(state, HASH_MD2);
}
void Adler32_HashApi(benchmark::State& state) {
  ThroughHashApi(state, HASH_ADLER32);
}

void MD5_MDUpdate(benchmark::State& state) {
  const int64_t size = state.range(0);
  Message(size);
  for (auto _ : state) {
    MDContext context;
    MDInit(context);
    FeedInUpdates(size, [&](const uint8_t* chunk, uint32_t length) {
      MDUpdate(context, chunk, length, MD5Transform);
    });
    const std::string digest = MDFinal(context, MD5Transform);
    benchmark::DoNotOptimize(digest.data());
  }
  state.SetBytesProcessed(state.iterations() * size);
}

void MD5_Transform(benchmark::State& state) {
  const int64_t size = state.range(0);
  const uint8_t* bytes = Message(size).data();
  for (auto _ : state) {
    uint32_t chain[4] = {0x67452301u, 0xefcdab89u, 0x98badcfeu, 0x10325476u};
    for (int64_t offset = 0; offset < size; offset += 64)
      MD5Transform(chain, bytes + offset);
    benchmark::DoNotOptimize(chain);
  }
  state.SetBytesProcessed(state.iterations() * size);
}

void MD5_OpenSSL(benchmark::State& state) {
  const int64_t size = state.range(0);
  Message(size);
  for (auto _ : state) {
    MD5_CTX context;
    MD5_Init(&context);
    FeedInUpdates(
        size, [&](const uint8_t* chunk, uint32_t length) { MD5_Update(&context, chunk, length); });
    unsigned char digest[MD5_DIGEST_LENGTH];
    MD5_Final(digest, &context);
    benchmark::DoNotOptimize(digest);
  }
  state.SetBytesProcessed(state.iterations() * size);
}

// 64 messages of 1 MiB (16 distinct ones, 16 MiB in all, so the lanes read from the L3 and
// memory rather than one core's L2) through the engine of width state.range(0), in pieces of
// state.range(1) bytes (bench/LaneFeeder.h).
constexpr size_t kLaneMessageSize = size_t{1} << 20;
constexpr size_t kDistinctLaneMessages = 16;
constexpr size_t kLaneMessages = 64;

void MD5_Lanes(benchmark::State& state) {
  const auto width = static_cast<unsigned>(state.range(0));
  const auto piece = static_cast<size_t>(state.range(1));
  auto lanes = digest::Md5Lanes::Create(width);
  if (lanes == nullptr) {
    state.SkipWithError("this machine does not run this width");
    for (auto _ : state) {
    }
    return;
  }
  const uint8_t* messages =
      Message(static_cast<int64_t>(kLaneMessageSize * kDistinctLaneMessages)).data();
  for (auto _ : state) {
    benchmark::DoNotOptimize(bench::DigestThroughLanes(
        *lanes, messages, kLaneMessageSize, kDistinctLaneMessages, kLaneMessages, piece));
  }
  state.SetBytesProcessed(state.iterations() *
                          static_cast<int64_t>(kLaneMessages * kLaneMessageSize));
}

BENCHMARK(MD5_HashApi)->Arg(kInCache)->Arg(kCold);
BENCHMARK(MD5_MDUpdate)->Arg(kInCache)->Arg(kCold);
BENCHMARK(MD5_Transform)->Arg(kInCache)->Arg(kCold);
BENCHMARK(MD5_OpenSSL)->Arg(kInCache)->Arg(kCold);
BENCHMARK(MD4_HashApi)->Arg(kInCache);
BENCHMARK(MD2_HashApi)->Arg(kInCache);
BENCHMARK(Adler32_HashApi)->Arg(kInCache);
BENCHMARK(MD5_Lanes)->ArgsProduct({{1, 4, 8, 16}, {4096, static_cast<int64_t>(kLaneMessageSize)}});

}  // namespace
