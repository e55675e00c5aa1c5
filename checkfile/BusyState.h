// A task's busy state as a scope: the constructor enters it; Leave (or, on any other way out,
// an error included, the destructor) returns the window to idle, once.
#pragma once

#include "checkfile/TaskWindow.h"

namespace checkfile {

class BusyState {
 public:
  BusyState(TaskWindow& window, TaskState busy) : window_(window) { window_.EnterState(busy); }
  ~BusyState() { Leave(); }
  BusyState(const BusyState&) = delete;
  BusyState& operator=(const BusyState&) = delete;

  void Leave() {
    if (left_) return;
    left_ = true;
    window_.EnterState(TaskState::Idle);
  }

 private:
  TaskWindow& window_;
  bool left_ = false;
};

}  // namespace checkfile
