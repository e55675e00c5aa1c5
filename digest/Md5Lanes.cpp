#include "digest/Md5Lanes.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "digest/CryptoUtils.h"
#include "digest/MD.h"
#include "digest/Md5Kernels.h"
#include "digest/Md5Schedule.h"
#include "digest/ProcessorFeatures.h"

namespace digest {

namespace {

constexpr size_t kBlock = 64;

// The scalar engine as the kernel of width 1: its state is the four words in order.
void ScalarKernel(uint32_t* state, const uint8_t* const* blocks, size_t rounds) {
  const uint8_t* block = blocks[0];
  while (rounds > 0) {
    const auto count = static_cast<uint32_t>(std::min<size_t>(rounds, UINT32_MAX / kBlock));
    MD5Blocks(state, block, count);
    block += kBlock * count;
    rounds -= count;
  }
}

struct Engine {
  unsigned width;
  void (*kernel)(uint32_t*, const uint8_t* const*, size_t);
  bool (*runs)();
};

// Narrowest first.
constexpr Engine kEngines[] = {
    {1, ScalarKernel, [] { return true; }},
#if VRTLY_MD5_VECTOR_LANES
    {4, md5::CompressLanesSse2, [] { return ThisProcessor().Sse2; }},
    {8, md5::CompressLanesAvx2, [] { return ThisProcessor().Avx2; }},
    {16, md5::CompressLanesAvx512, [] { return ThisProcessor().Avx512F; }},
#endif
};

const Engine* EngineOf(unsigned width) {
  for (const Engine& engine : kEngines) {
    if (engine.width == width) return &engine;
  }
  return nullptr;
}

}  // namespace

bool Md5Lanes::CanRun(unsigned width) {
  const Engine* engine = EngineOf(width);
  return engine != nullptr && engine->runs();
}

// The widest is the fastest in the 64-bit build and in the 32-bit one alike: there AVX2 and
// AVX-512 have 8 registers instead of 16 or 32, and the kernels spill the message words to the
// stack, but loads are cheap beside the steps (bench/windows/LanesBench.cpp under Wine: about
// twice the speed for each doubling of the width).
unsigned Md5Lanes::DefaultWidth() {
  unsigned widest = 1;
  for (const Engine& engine : kEngines) {
    if (engine.runs()) widest = engine.width;
  }
  return widest;
}

std::unique_ptr<Md5Lanes> Md5Lanes::Create(unsigned width) {
  if (width == 0) width = DefaultWidth();
  if (!CanRun(width)) return nullptr;
  return std::unique_ptr<Md5Lanes>(new Md5Lanes(width, EngineOf(width)->kernel));
}

Md5Lanes::Md5Lanes(unsigned width, Kernel kernel) : width_(width), kernel_(kernel) {
  std::memset(state_, 0, sizeof state_);
}

void Md5Lanes::Start(unsigned lane) {
  for (unsigned k = 0; k < 4; ++k)
    state_[k * width_ + lane] = md5::kInitialState[k];
  lanes_[lane] = Lane{};
  lanes_[lane].phase = LanePhase::Hungry;
}

void Md5Lanes::Stop(unsigned lane) {
  lanes_[lane] = Lane{};
}

bool Md5Lanes::Feed(unsigned lane, const void* bytes, size_t length) {
  Lane& l = lanes_[lane];
  if (l.phase != LanePhase::Hungry) return false;
  if (length == 0) return true;
  const auto* data = static_cast<const uint8_t*>(bytes);
  l.length += length;
  if (l.tailLength > 0) {
    // Complete the waiting block first; it is the only block ever compressed outside Run,
    // and only a piece that does not end on a block boundary leaves one.
    const size_t take = std::min<size_t>(kBlock - l.tailLength, length);
    std::memcpy(l.tail + l.tailLength, data, take);
    l.tailLength += static_cast<uint32_t>(take);
    data += take;
    length -= take;
    if (l.tailLength < kBlock) return true;
    CompressTail(lane);
  }
  l.next = data;
  l.blocks = length / kBlock;
  l.tailLength = static_cast<uint32_t>(length % kBlock);
  std::memcpy(l.tail, data + kBlock * l.blocks, l.tailLength);
  if (l.blocks > 0) l.phase = LanePhase::Busy;
  return true;
}

bool Md5Lanes::Finish(unsigned lane) {
  Lane& l = lanes_[lane];
  if (l.finishing || (l.phase != LanePhase::Hungry && l.phase != LanePhase::Busy)) return false;
  l.finishing = true;
  if (l.phase == LanePhase::Hungry) QueueFinalBlocks(l);
  return true;
}

uint32_t Md5Lanes::Run() {
  for (;;) {
    uint32_t attention = 0, busy = 0;
    size_t rounds = SIZE_MAX;
    for (unsigned lane = 0; lane < width_; ++lane) {
      const Lane& l = lanes_[lane];
      if (l.phase == LanePhase::Hungry || l.phase == LanePhase::Done) attention |= 1u << lane;
      if (l.phase == LanePhase::Busy) {
        busy |= 1u << lane;
        rounds = std::min(rounds, l.blocks);
      }
    }
    if (attention != 0 || busy == 0) return attention;

    CompressBusyLanes(busy, rounds);
    for (unsigned lane = 0; lane < width_; ++lane) {
      Lane& l = lanes_[lane];
      if ((busy >> lane & 1u) == 0) continue;
      l.next += kBlock * rounds;
      l.blocks -= rounds;
      if (l.blocks == 0) AfterBlocks(lane);
    }
  }
}

bool Md5Lanes::TakeDigest(unsigned lane, Md5Digest& digest) {
  if (lanes_[lane].phase != LanePhase::Done) return false;
  uint32_t words[4];
  for (unsigned k = 0; k < 4; ++k)
    words[k] = state_[k * width_ + lane];
  StoreWordsLE(digest.data(), words, 4);
  Stop(lane);
  return true;
}

// The kernel runs every lane. Run compresses only while every lane is busy or idle, so the idle
// ones read a busy lane's blocks, and what they compute is dropped: Start sets a lane's chaining
// value afresh.
void Md5Lanes::CompressBusyLanes(uint32_t busy, size_t rounds) {
  const uint8_t* blocks[kMaxWidth];
  const unsigned firstBusy = static_cast<unsigned>(std::countr_zero(busy));
  for (unsigned lane = 0; lane < width_; ++lane)
    blocks[lane] = lanes_[(busy >> lane & 1u) != 0 ? lane : firstBusy].next;
  kernel_(state_, blocks, rounds);
}

// A lane has compressed all the whole blocks it was given.
void Md5Lanes::AfterBlocks(unsigned lane) {
  Lane& l = lanes_[lane];
  if (l.finalQueued) {
    l.phase = LanePhase::Done;
  } else if (l.finishing) {
    QueueFinalBlocks(l);
  } else {
    l.phase = LanePhase::Hungry;
  }
}

// The block in the lane's tail, compressed by the scalar engine on the lane's chaining value.
void Md5Lanes::CompressTail(unsigned lane) {
  uint32_t chain[4];
  for (unsigned k = 0; k < 4; ++k)
    chain[k] = state_[k * width_ + lane];
  MD5Blocks(chain, lanes_[lane].tail, 1);
  for (unsigned k = 0; k < 4; ++k)
    state_[k * width_ + lane] = chain[k];
  lanes_[lane].tailLength = 0;
}

// Pads the tail with 0x80 and zeros up to 56 bytes modulo 64 and appends the message length in
// bits, low byte first (RFC 1321, sections 3.1 and 3.2): one block, or two when the tail
// holds 56 bytes or more.
void Md5Lanes::QueueFinalBlocks(Lane& l) {
  const uint32_t lengthAt = l.tailLength < 56 ? 56 : 120;
  l.tail[l.tailLength] = 0x80;
  std::memset(l.tail + l.tailLength + 1, 0, lengthAt - l.tailLength - 1);
  const uint64_t bits = l.length << 3;  // modulo 2^64
  const uint32_t bitWords[2] = {static_cast<uint32_t>(bits), static_cast<uint32_t>(bits >> 32)};
  StoreWordsLE(l.tail + lengthAt, bitWords, 2);
  l.next = l.tail;
  l.blocks = (lengthAt + 8) / kBlock;
  l.tailLength = 0;
  l.finalQueued = true;
  l.phase = LanePhase::Busy;
}

}  // namespace digest
