// A task's busy state as a scope: the constructor makes the control changes that enter it, in
// order; Leave (or, on any other way out, an error included, the destructor) makes the ones
// that return the window to idle, once.
#pragma once

#include <initializer_list>
#include <vector>

#include "checkfile/TaskWindow.h"

namespace checkfile {

struct ControlChange {
  TaskControl Control;
  bool Enabled;
};

class BusyState {
 public:
  BusyState(TaskWindow& window, std::initializer_list<ControlChange> enter,
            std::initializer_list<ControlChange> leave)
      : window_(window), leave_(leave) {
    Apply(enter);
  }
  ~BusyState() { Leave(); }
  BusyState(const BusyState&) = delete;
  BusyState& operator=(const BusyState&) = delete;

  void Leave() {
    if (left_) return;
    left_ = true;
    Apply(leave_);
  }

 private:
  template <typename Changes>
  void Apply(const Changes& changes) {
    for (const ControlChange& change : changes)
      window_.SetControlEnabled(change.Control, change.Enabled);
  }

  TaskWindow& window_;
  std::vector<ControlChange> leave_;
  bool left_ = false;
};

}  // namespace checkfile
