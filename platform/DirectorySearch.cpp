// The start of a search, which tests can make fail through the fault hooks before the
// backend's search begins.
#include "platform/DirectorySearch.h"

#include "platform/FaultHooks.h"
#include "platform/SystemError.h"

namespace platform {

bool DirectorySearch::First(const std::string& folder) {
  Close();
  if (FaultHooks* hooks = InstalledFaultHooks()) {
    if (const uint32_t error = hooks->ListFolder(folder); error != 0) {
      failure_ = Failure::CannotList;
      SetLastErrorCode(error);
      return false;
    }
  }
  return Start(folder);
}

}  // namespace platform
