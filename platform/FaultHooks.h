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
inline FaultHooks* installed = nullptr;
}

// The hooks that File and DirectorySearch consult; none unless a test installed them.
inline FaultHooks* InstalledFaultHooks() {
  return fault_hooks_detail::installed;
}

// For tests only (tests/support/FaultInjector installs and removes them for a scope). Not
// thread-safe: the tasks and their tests run on one thread.
inline void InstallFaultHooks(FaultHooks* hooks) {
  fault_hooks_detail::installed = hooks;
}

}  // namespace platform
