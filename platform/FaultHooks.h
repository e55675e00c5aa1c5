// The seam through which tests make file access fail the way failing media and racing
// processes make it fail: a file that vanishes or changes between two calls, a read error
// halfway through, a disc that fills up, a folder that cannot be listed.
//
// File and DirectorySearch consult the installed hooks before each system call; the product
// installs none, so each point costs one load of a pointer and an untaken branch beside a
// system call, and no hook behaviour exists outside the tests. The hooks may act on the real
// file system (delete, truncate, extend the file) and then let the call go ahead, or make the
// call fail without it reaching the system.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

class FaultHooks {
 public:
  virtual ~FaultHooks() = default;

  // Each returns 0 to let the call go ahead, or the system error code with which the call then
  // fails without having touched anything (LastError() gives that code afterwards).
  virtual uint32_t OpenForRead(const std::string& path) = 0;
  // Before a file is created for writing, a temporary included, and before CanCreateForWrite.
  virtual uint32_t CreateForWrite(const std::string& path) = 0;
  virtual uint32_t ListFolder(const std::string& folder) = 0;
  // Before the search of folder moves on from its entriesSoFar-th entry; an error breaks the
  // listing off there.
  virtual uint32_t ListNext(const std::string& folder, size_t entriesSoFar) = 0;
  // count may be lowered: the call then moves at most that many bytes and still succeeds, a
  // short read or a short write.
  virtual uint32_t Read(intptr_t file, uint32_t& count) = 0;
  virtual uint32_t Write(intptr_t file, uint32_t& count) = 0;
  virtual uint32_t Flush(intptr_t file) = 0;
  // Before the temporary of a replacement is moved over path.
  virtual uint32_t Replace(const std::string& temporary, const std::string& path) = 0;

  // A file has been opened (for reading or for writing), or is about to be closed; between the
  // two, Read and Write name it by this native handle.
  virtual void Opened(intptr_t file, const std::string& path) = 0;
  virtual void Closing(intptr_t file) = 0;
};

namespace fault_hooks_detail {
inline std::atomic<FaultHooks*> installed{nullptr};
}

// The hooks that File and DirectorySearch consult; none unless a test installed them. One load
// of a pointer: the acquire costs no more than a plain load on x86, and lets a thread that finds
// the hooks see them whole.
inline FaultHooks* InstalledFaultHooks() {
  return fault_hooks_detail::installed.load(std::memory_order_acquire);
}

// For tests only (tests/support/FaultInjector installs and removes them for a scope). The hooks
// may be called on several threads at once (a digest source that reads ahead on threads of its
// own), so they must guard their own state; install them before those threads look, and remove
// them only after they have ended.
inline void InstallFaultHooks(FaultHooks* hooks) {
  fault_hooks_detail::installed.store(hooks, std::memory_order_release);
}

}  // namespace platform
