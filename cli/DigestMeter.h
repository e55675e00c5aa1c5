// How far a task has come, for the progress line: a digest source that hands every request to
// the task's own source and counts the files and the bytes digested. The GUI's status texts do
// not tell it, and the console tool must not change them.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "checkfile/DigestSource.h"

namespace cli {

class DigestMeter final : public checkfile::DigestSource {
 public:
  // measuring: whether the sizes are wanted at all (a progress line is shown); without it the
  // meter only passes the requests on.
  DigestMeter(checkfile::DigestSource& source, bool measuring)
      : source_(source), measuring_(measuring), start_(Clock::now()) {}

  void ExpectWalk(const std::string& folder,
                  std::function<bool(const std::string&)> willAsk) override {
    source_.ExpectWalk(folder, std::move(willAsk));
  }
  // The files a verification will test: their count is the whole of "n/m".
  void ExpectFiles(std::vector<std::string> paths) override;
  int32_t Digest(const std::string& path, std::string& digestText) override;

  // "n/m files, r MB/s" once the task has said how many files it will ask for (check);
  // otherwise "b MB, r MB/s" (make, update). Empty when not measuring.
  std::string Text() const;

 private:
  using Clock = std::chrono::steady_clock;

  checkfile::DigestSource& source_;
  const bool measuring_;
  const Clock::time_point start_;
  bool totalKnown_ = false;
  size_t total_ = 0;
  size_t files_ = 0;    // files asked for so far, digested or not
  uint64_t bytes_ = 0;  // the sizes of the files digested so far
};

// "12.3" for 12,345,678 bytes: decimal megabytes with one decimal.
std::string Megabytes(double bytes);

}  // namespace cli
