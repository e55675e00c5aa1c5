// Several files digested at once on one thread, one in each lane of the multi-lane MD5 engine
// (digest/Md5Lanes.h). Each file is read as HashFile reads it (digest::FileReading: its size
// first, then reads up to that size), in pieces of kPieceBytes into its lane's own buffer, from
// which the engine takes the whole blocks without copying them; so every file gets exactly
// HashFile's result code and digest text, while one core digests up to 16 of them.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "digest/CryptoAPI.h"
#include "digest/Md5Lanes.h"

namespace checkfile {

class LaneFiles {
 public:
  // A read of this size fills a lane's buffer with 1,024 blocks: few system calls a file, and the
  // buffers of 16 lanes (1 MiB) still stay in the processor's second-level cache.
  static constexpr uint32_t kPieceBytes = 64 * 1024;

  struct Result {
    uint64_t id;  // what the caller named the file by
    int32_t code;
    std::string digestText;  // on code 0 only
  };

  // maxOpen: how many files it may hold open at once, and so how many of the engine's lanes it
  // fills (at least one).
  explicit LaneFiles(std::unique_ptr<digest::Md5Lanes> engine, unsigned maxOpen = ~0u);
  LaneFiles(const LaneFiles&) = delete;
  LaneFiles& operator=(const LaneFiles&) = delete;

  // How many more files Add takes now.
  unsigned FreeLanes() const;
  // Whether a file is being digested.
  bool Busy() const { return FreeLanes() < lanes_.size(); }

  // Puts the file in a free lane and reads its first piece; a file that cannot be opened, or
  // whose first read fails, is finished at once (its result goes to finished).
  void Add(uint64_t id, const std::string& path, std::vector<Result>& finished);
  // Digests until at least one file has finished, none is left, or stopped (asked between
  // pieces) answers true; the finished files' results go to finished.
  void RunUntilOneFinishes(std::vector<Result>& finished, const std::function<bool()>& stopped);
  // Drops every file in a lane, giving back their ids (after an error that ends the worker).
  std::vector<uint64_t> Abandon();

 private:
  struct Lane {
    bool used = false;
    uint64_t id = 0;
    digest::FileReading reading;
    std::unique_ptr<uint8_t[]> buffer = std::make_unique<uint8_t[]>(kPieceBytes);
  };

  // Reads the lane's next piece and hands it to the engine, finishing the message after the
  // last one; a failed read ends the file with HashFile's code for it.
  void FeedNextPiece(unsigned lane, std::vector<Result>& finished);
  void Finished(unsigned lane, int32_t code, std::string digestText, std::vector<Result>& finished);
  // Frees the lane and closes its file; gives back the file's id.
  uint64_t Release(unsigned lane);

  std::unique_ptr<digest::Md5Lanes> engine_;
  std::vector<Lane> lanes_;
};

}  // namespace checkfile
