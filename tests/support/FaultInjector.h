// Fault hooks for one test: installed by the constructor, removed by the destructor, driven by
// rules on named files and folders. Safe to call from several threads at once; the actions run
// on the thread whose call met the rule. The rules act at the exact point of a race (between the
// walk and the digest, between the size query and the reading) and do what a failing disc or
// another process would do there, on the real file system where they can.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>

#include "platform/FaultHooks.h"

namespace testing_support {

// Windows' search returns "." and ".." before the other entries of a folder (but a drive
// root); POSIX hides them. Then the system error codes for the rules, as the platform's
// LastError() reports them.
#ifdef _WIN32
inline constexpr size_t kDotEntries = 2;
inline constexpr uint32_t kAccessDenied = 5;  // ERROR_ACCESS_DENIED
inline constexpr uint32_t kReadFault = 30;    // ERROR_READ_FAULT
inline constexpr uint32_t kDiskFull = 112;    // ERROR_DISK_FULL
#else
inline constexpr size_t kDotEntries = 0;
inline constexpr uint32_t kAccessDenied = 13;  // EACCES
inline constexpr uint32_t kReadFault = 5;      // EIO
inline constexpr uint32_t kDiskFull = 28;      // ENOSPC
#endif

class FaultInjector : public platform::FaultHooks {
 public:
  FaultInjector();
  ~FaultInjector() override;
  FaultInjector(const FaultInjector&) = delete;
  FaultInjector& operator=(const FaultInjector&) = delete;

  // Runs action just before the n-th opening of path for reading (counted from 1), then lets
  // the opening go ahead. HashFile opens a file twice: for its size, then to read it.
  void BeforeOpening(const std::string& path, int n, std::function<void()> action) {
    Change(path, [&](Rules& r) { r.beforeOpening[n] = std::move(action); });
  }
  // Runs action just before path is created for writing, then lets the creation go ahead.
  void BeforeCreating(const std::string& path, std::function<void()> action) {
    Change(path, [&](Rules& r) { r.beforeCreating = std::move(action); });
  }
  // Runs action just before the search of folder starts, then lets it go ahead.
  void BeforeListing(const std::string& folder, std::function<void()> action) {
    Change(folder, [&](Rules& r) { r.beforeListing = std::move(action); });
  }
  // The listing of folder breaks off with the error after its first `entries` entries.
  void BreakListing(const std::string& folder, size_t entries, uint32_t error) {
    Change(folder, [&](Rules& r) {
      r.listedEntries = entries;
      r.listingError = error;
    });
  }
  // Opening path for reading, or creating it, fails with the error and touches nothing.
  void FailOpening(const std::string& path, uint32_t error) {
    Change(path, [&](Rules& r) { r.openError = error; });
  }
  void FailCreating(const std::string& path, uint32_t error) {
    Change(path, [&](Rules& r) { r.createError = error; });
  }
  // Reads of path deliver its first `bytes` bytes, then fail with the error.
  void FailReadingAfter(const std::string& path, uint64_t bytes, uint32_t error) {
    Change(path, [&](Rules& r) {
      r.readableBytes = bytes;
      r.readError = error;
    });
  }
  // Every read of path delivers at most `chunk` bytes.
  void ShortReads(const std::string& path, uint32_t chunk) {
    Change(path, [&](Rules& r) { r.readChunk = chunk; });
  }
  // Writes to path store `bytes` bytes in all; the rest is left unwritten, as on a full disc.
  void LimitWriting(const std::string& path, uint64_t bytes) {
    Change(path, [&](Rules& r) { r.writableBytes = bytes; });
  }
  // Writes to path fail with the error.
  void FailWriting(const std::string& path, uint32_t error) {
    Change(path, [&](Rules& r) { r.writeError = error; });
  }
  // Flushing path to the medium fails with the error.
  void FailFlushing(const std::string& path, uint32_t error) {
    Change(path, [&](Rules& r) { r.flushError = error; });
  }
  // Moving a temporary over path fails with the error.
  void FailReplacing(const std::string& path, uint32_t error) {
    Change(path, [&](Rules& r) { r.replaceError = error; });
  }

  // How often path has been opened for reading so far.
  int Openings(const std::string& path) const;
  // Every path opened for reading so far, with how often; every path read from, with how many
  // reads.
  std::map<std::string, int> Openings() const;
  std::map<std::string, int> Reads() const;

  uint32_t OpenForRead(const std::string& path) override;
  uint32_t CreateForWrite(const std::string& path) override;
  uint32_t ListFolder(const std::string& folder) override;
  uint32_t ListNext(const std::string& folder, size_t entriesSoFar) override;
  uint32_t Read(intptr_t file, uint32_t& count) override;
  uint32_t Write(intptr_t file, uint32_t& count) override;
  uint32_t Flush(intptr_t file) override;
  uint32_t Replace(const std::string& temporary, const std::string& path) override;
  void Opened(intptr_t file, const std::string& path) override;
  void Closing(intptr_t file) override;

 private:
  static constexpr uint64_t kNoLimit = ~uint64_t{0};
  struct Rules {
    std::map<int, std::function<void()>> beforeOpening;
    std::function<void()> beforeCreating;
    std::function<void()> beforeListing;
    size_t listedEntries = ~size_t{0};
    uint32_t listingError = 0;
    uint32_t openError = 0;
    uint32_t createError = 0;
    uint64_t readableBytes = kNoLimit;
    uint32_t readError = 0;
    uint32_t readChunk = 0;
    uint64_t writableBytes = kNoLimit;
    uint32_t writeError = 0;
    uint32_t flushError = 0;
    uint32_t replaceError = 0;
    int openings = 0;
  };
  struct OpenFile {
    std::string path;
    uint64_t moved = 0;  // bytes read or written through this handle so far
  };

  Rules* RulesFor(const std::string& path);
  void Change(const std::string& path, const std::function<void(Rules&)>& change) {
    const std::lock_guard lock(mutex_);
    change(rules_[path]);
  }

  mutable std::mutex mutex_;  // guards the rules and the open files
  std::map<std::string, Rules> rules_;
  std::map<intptr_t, OpenFile> open_;
  std::map<std::string, int> reads_;
  platform::FaultHooks* previous_;
};

}  // namespace testing_support
