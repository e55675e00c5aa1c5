// Guards for the places where the system calls us: a COM method, a C callback (an enumeration,
// a sort comparison, a hook). No exception may unwind into the system's code that called, so
// each body runs inside one of these, which turn an exception into the answer the caller
// understands. (Window procedures have their own guard in Window's trampoline.)
#pragma once

#include <windows.h>

#include <exception>
#include <new>
#include <utility>

namespace ui {

// The body of a COM method: a failed allocation answers E_OUTOFMEMORY, any other exception
// E_UNEXPECTED.
template <typename Body>
HRESULT GuardedComCall(Body&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

// The body of a C callback whose caller takes no error: an exception makes it answer fallback.
template <typename Result, typename Body>
Result GuardedCallback(Result fallback, Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    return fallback;
  }
}

// For the callbacks of one system call whose caller can carry the error on: the first exception
// is kept and the callback answers fallback (which should stop the system's walk); Rethrow, once
// the system call has returned, throws it on in our own code.
class CallbackErrors {
 public:
  template <typename Result, typename Body>
  Result Guard(Result fallback, Body&& body) noexcept {
    try {
      return body();
    } catch (...) {
      if (!error_) error_ = std::current_exception();
      return fallback;
    }
  }

  void Rethrow() {
    if (error_) std::rethrow_exception(std::exchange(error_, nullptr));
  }

 private:
  std::exception_ptr error_;
};

}  // namespace ui
