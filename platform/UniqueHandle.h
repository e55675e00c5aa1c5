// The sole owner of one handle of the system, of any kind: given back to the system when its
// owner goes, handed on by moving, never copied.
//
// A kind is described by its traits: the handle type, the value that holds nothing, and how the
// system takes a handle back.
//
//   struct FindTraits {
//     using Handle = HANDLE;
//     static Handle Invalid() { return INVALID_HANDLE_VALUE; }
//     static void Close(Handle handle) { FindClose(handle); }
//   };
//   using FindHandle = platform::UniqueHandle<FindTraits>;
//
// Most kinds hold null when empty and go back through one function: ReleasedBy says so in one
// line, as in UniqueHandle<ReleasedBy<HMENU, DestroyMenu>>.
#pragma once

namespace platform {

template <typename HandleType, auto Release>
struct ReleasedBy {
  using Handle = HandleType;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { Release(handle); }
};

template <typename Traits>
class UniqueHandle {
 public:
  using Handle = typename Traits::Handle;

  UniqueHandle() = default;
  // Takes over a handle the caller owns.
  explicit UniqueHandle(Handle owned) : handle_(owned) {}
  ~UniqueHandle() { Close(); }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Detach()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) Attach(other.Detach());
    return *this;
  }

  Handle Get() const { return handle_; }
  bool IsValid() const { return handle_ != Traits::Invalid(); }

  // Gives back the held handle and offers the slot to a function that returns a new one.
  Handle* Put() {
    Close();
    return &handle_;
  }
  void Attach(Handle owned) {
    Close();
    handle_ = owned;
  }
  // The handle, no longer owned here.
  Handle Detach() {
    const Handle handle = handle_;
    handle_ = Traits::Invalid();
    return handle;
  }
  void Close() {
    if (IsValid()) Traits::Close(handle_);
    handle_ = Traits::Invalid();
  }

 private:
  Handle handle_ = Traits::Invalid();
};

}  // namespace platform
