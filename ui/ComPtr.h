// The sole owner of one reference to a COM object: released with its owner, never copied.
#pragma once

#include <unknwn.h>

#include "platform/UniqueHandle.h"

namespace ui {

template <typename Interface>
struct ComReferenceTraits {
  using Handle = Interface*;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle object) { object->Release(); }
};

template <typename Interface>
class ComPtr : public platform::UniqueHandle<ComReferenceTraits<Interface>> {
  using Base = platform::UniqueHandle<ComReferenceTraits<Interface>>;

 public:
  // Takes over a reference the caller already holds.
  using Base::Base;

  Interface* operator->() const { return this->Get(); }
  explicit operator bool() const { return this->IsValid(); }
  // Put for the functions that hand out an interface as void**.
  void** PutVoid() { return reinterpret_cast<void**>(this->Put()); }

  // A second, independently owned reference to the same object.
  ComPtr Share() const {
    if (this->IsValid()) this->Get()->AddRef();
    return ComPtr(this->Get());
  }

  // Another interface of the same object; an empty pointer when it has none.
  template <typename Other>
  ComPtr<Other> Query(REFIID iid) const {
    ComPtr<Other> other;
    if (this->IsValid()) this->Get()->QueryInterface(iid, other.PutVoid());
    return other;
  }
};

}  // namespace ui
