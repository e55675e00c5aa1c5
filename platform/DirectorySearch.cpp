// The start of a search, which tests can make fail through the fault hooks before the
// backend's search begins.
#include "platform/DirectorySearch.h"

#include "platform/FaultHooks.h"
#include "platform/SystemError.h"

namespace platform {

bool DirectorySearch::First(const std::string& folder) {
  Close();
  broke_ = false;
  returned_ = 0;
  if (FaultHooks* hooks = InstalledFaultHooks()) {
    folder_ = folder;
    if (const uint32_t error = hooks->ListFolder(folder); error != 0) {
      failure_ = Failure::CannotList;
      SetLastErrorCode(error);
      return false;
    }
  }
  if (!Start(folder)) return false;
  ++returned_;
  return true;
}

bool DirectorySearch::Next() {
  if (!state_) return false;
  if (FaultHooks* hooks = InstalledFaultHooks()) {
    if (const uint32_t error = hooks->ListNext(folder_, returned_); error != 0) {
      Close();
      broke_ = true;
      SetLastErrorCode(error);
      return false;
    }
  }
  if (!Advance()) return false;
  ++returned_;
  return true;
}

}  // namespace platform
