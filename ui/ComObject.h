// The base of the program's own COM objects: one interface besides IUnknown, a reference
// count, and deletion at the last release. COM interfaces have no virtual destructor: their
// objects are only ever ended by Release, never deleted through the interface. Every method of
// a derived object runs its body inside GuardedComCall (ExceptionGuards.h).
#pragma once

#include <windows.h>

#include <unknwn.h>

#include "ui/ExceptionGuards.h"

namespace ui {

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
template <typename Interface>
class ComObject : public Interface {
 public:
  explicit ComObject(const IID& iid) : iid_(iid) {}
  virtual ~ComObject() = default;
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    return GuardedComCall([&]() -> HRESULT {
      if (object == nullptr) return E_POINTER;
      if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, iid_)) {
        *object = static_cast<Interface*>(this);
        AddRef();
        return S_OK;
      }
      *object = nullptr;
      return E_NOINTERFACE;
    });
  }
  // A count and a delete of an object whose destructors throw nothing.
  ULONG STDMETHODCALLTYPE AddRef() noexcept override {
    return static_cast<ULONG>(InterlockedIncrement(&references_));
  }
  ULONG STDMETHODCALLTYPE Release() noexcept override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

 private:
  IID iid_;
  LONG references_ = 1;
};
#pragma GCC diagnostic pop

}  // namespace ui
