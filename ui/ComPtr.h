// The sole owner of one reference to a COM object: released with its owner, never copied.
#pragma once

#include <unknwn.h>

namespace ui {

template <typename Interface>
class ComPtr {
 public:
  ComPtr() = default;
  // Takes over a reference the caller already holds.
  explicit ComPtr(Interface* pointer) : pointer_(pointer) {}
  ~ComPtr() { Close(); }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& other) noexcept : pointer_(other.Detach()) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) Attach(other.Detach());
    return *this;
  }

  Interface* Get() const { return pointer_; }
  Interface* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }

  // Releases the held reference and offers the slot to a function that returns a new one.
  Interface** Put() {
    Close();
    return &pointer_;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }

  void Attach(Interface* pointer) {
    Close();
    pointer_ = pointer;
  }
  Interface* Detach() {
    Interface* pointer = pointer_;
    pointer_ = nullptr;
    return pointer;
  }
  void Close() {
    if (pointer_ != nullptr) pointer_->Release();
    pointer_ = nullptr;
  }

  // A second, independently owned reference to the same object.
  ComPtr Share() const {
    if (pointer_ != nullptr) pointer_->AddRef();
    return ComPtr(pointer_);
  }

  // Another interface of the same object; an empty pointer when it has none.
  template <typename Other>
  ComPtr<Other> Query(REFIID iid) const {
    ComPtr<Other> other;
    if (pointer_ != nullptr) pointer_->QueryInterface(iid, other.PutVoid());
    return other;
  }

 private:
  Interface* pointer_ = nullptr;
};

}  // namespace ui
