// A multi-lane MD5 engine: up to 16 independent messages digested at once by one core.
//
// One MD5 message is a chain of dependent steps, so a single stream cannot use more than a
// sliver of a core. The vector unit can run the same step on 4 (SSE2), 8 (AVX2) or 16
// (AVX-512F) independent chaining values at once; each of these is a lane, and each lane
// digests its own message with its own length, padding and final block (RFC 1321, section 3).
// Width 1 is the scalar engine of digest/MD.h behind the same interface. The widest width the
// processor and the operating system support is chosen at run time; a width can be forced.
//
// How a caller drives it (one worker, one engine, as many open files as lanes):
//
//   auto lanes = digest::Md5Lanes::Create();          // or Create(8) to force a width
//   for each lane: Start(lane), then Feed(lane, piece, length) with the file's first piece
//   loop:
//     uint32_t attention = lanes->Run();              // compresses until a lane needs us
//     if (attention == 0) break;                      // every lane idle: all done
//     for each lane set in attention:
//       Hungry: read the file's next piece into the lane's buffer and Feed it, adding
//               Finish(lane) once the file has no more bytes (a Feed may be followed at
//               once by Finish); on a read error Start(lane) with the next file, or Stop
//       Done:   TakeDigest(lane, digest), then Start the lane with the next file, or leave
//               it idle when there is none
//
// Run compresses one block in every busy lane per round, for as many rounds as every busy lane
// has blocks, and returns as soon as a lane has used up what it was fed; lanes that have no
// block (idle ones) are masked out. The lanes thus usually all have input: feed each one pieces
// of several blocks (4096-byte reads hold 64) and refill a lane as soon as it is reported.
//
// Memory: whole 64-byte blocks are read during Run straight from the piece given to Feed, which
// the caller keeps unchanged until Run reports the lane (a buffer per lane). Only a tail shorter
// than a block, the padding and the length are kept inside the engine. Nothing is allocated
// after Create.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace digest {

using Md5Digest = std::array<uint8_t, 16>;  // the digest bytes, A to D, low byte first

enum class LanePhase : uint8_t {
  Idle,    // no message; Run leaves the lane alone
  Hungry,  // a message whose input so far is compressed: waits for Feed or Finish
  Busy,    // has whole blocks for Run (the final ones too, once finished)
  Done,    // the digest waits for TakeDigest
};

class Md5Lanes {
 public:
  static constexpr unsigned kMaxWidth = 16;

  // Whether this machine runs the engine of a width: 1 always, 4 with SSE2, 8 with AVX2, 16
  // with AVX-512F (each with the operating system's support for its registers).
  static bool CanRun(unsigned width);
  // The width Create picks by default: the fastest this machine runs.
  static unsigned DefaultWidth();
  // An engine of the given width (0: the default), every lane idle; null when the machine
  // cannot run that width, or there is no engine of it.
  static std::unique_ptr<Md5Lanes> Create(unsigned width = 0);

  Md5Lanes(const Md5Lanes&) = delete;
  Md5Lanes& operator=(const Md5Lanes&) = delete;

  unsigned Width() const { return width_; }
  LanePhase Phase(unsigned lane) const { return lanes_[lane].phase; }

  // Begins a new, empty message in the lane, dropping whatever the lane held (a message
  // abandoned halfway, or a digest not taken). The lane is then Hungry.
  void Start(unsigned lane);
  // Makes the lane Idle, dropping whatever it held.
  void Stop(unsigned lane);
  // Appends length bytes to the lane's message. Whole blocks are read from bytes during Run;
  // the bytes must stay unchanged until Run next reports the lane. False, and nothing changes,
  // when the lane is not Hungry.
  bool Feed(unsigned lane, const void* bytes, size_t length);
  // Ends the lane's message after the bytes fed so far (those Run has still to compress
  // included); Run then compresses the final block or two and reports the lane Done. False,
  // and nothing changes, when the lane is neither Hungry nor Busy, or was finished already.
  bool Finish(unsigned lane);
  // Compresses blocks until a lane needs the caller, and returns the lanes that do (bit n for
  // lane n): those Hungry or Done. Returns at once, compressing nothing, while any lane needs
  // the caller; returns 0 when every lane is idle.
  uint32_t Run();
  // Gives a Done lane's digest and makes the lane Idle. False, and nothing changes, for a
  // lane that is not Done.
  bool TakeDigest(unsigned lane, Md5Digest& digest);

 private:
  // Compresses `rounds` blocks in every lane: blocks[n] points at the first of lane n's blocks,
  // which follow each other. state holds word k of lane n at state[k * width + n].
  using Kernel = void (*)(uint32_t* state, const uint8_t* const* blocks, size_t rounds);

  struct Lane {
    LanePhase phase = LanePhase::Idle;
    bool finishing = false;         // Finish was called
    bool finalQueued = false;       // the padded final blocks are in `tail`, waiting for Run
    uint32_t tailLength = 0;        // bytes in `tail` that do not yet fill a block
    const uint8_t* next = nullptr;  // the whole blocks Run compresses next
    size_t blocks = 0;
    uint64_t length = 0;  // bytes fed, for the length field of the padding
    uint8_t tail[128];    // a block's start, then the final block or two
  };

  Md5Lanes(unsigned width, Kernel kernel);

  void CompressTail(unsigned lane);
  void QueueFinalBlocks(Lane& lane);
  void AfterBlocks(unsigned lane);
  void CompressBusyLanes(uint32_t busy, size_t rounds);

  unsigned width_;
  Kernel kernel_;
  uint32_t state_[4 * kMaxWidth];
  Lane lanes_[kMaxWidth];
};

}  // namespace digest
