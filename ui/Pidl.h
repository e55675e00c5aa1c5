// Item identifier lists of the shell namespace: the sole owner of one list (allocated by the
// COM task allocator, which is the shell's), and the walks over its items.
#pragma once

#include <windows.h>

#include <shlobj.h>

#include <cstddef>

namespace ui {

// Bytes of the list without its two-byte terminator; 0 for null and for the empty list.
size_t PidlSize(LPCITEMIDLIST list);
// Number of items; 0 for null and for the empty list (the desktop).
size_t PidlItemCount(LPCITEMIDLIST list);
// The item after the first one; null when the list is null or empty.
LPCITEMIDLIST PidlNext(LPCITEMIDLIST list);
// The last item as a list of its own (the list itself when it has one item or none).
LPCITEMIDLIST PidlLast(LPCITEMIDLIST list);
// Same bytes, same items.
bool PidlBytesEqual(LPCITEMIDLIST a, LPCITEMIDLIST b);

class Pidl {
 public:
  Pidl() = default;
  // Takes over a list allocated by the task allocator (as the shell hands them out).
  explicit Pidl(LPITEMIDLIST owned) : list_(owned) {}
  ~Pidl() { Close(); }
  Pidl(const Pidl&) = delete;
  Pidl& operator=(const Pidl&) = delete;
  Pidl(Pidl&& other) noexcept : list_(other.Detach()) {}
  Pidl& operator=(Pidl&& other) noexcept {
    if (this != &other) Attach(other.Detach());
    return *this;
  }

  // A deep copy; null for null. Throws std::bad_alloc when the allocator fails.
  static Pidl Copy(LPCITEMIDLIST source);
  // The first count items of the list (all of them when it has fewer).
  static Pidl Prefix(LPCITEMIDLIST source, size_t count);
  // The list of the desktop: no items, only the terminator.
  static Pidl Empty() { return Prefix(nullptr, 0); }
  // parent's items followed by child's: the absolute list of an item inside a folder.
  static Pidl Join(LPCITEMIDLIST parent, LPCITEMIDLIST child);

  LPITEMIDLIST Get() const { return list_; }
  bool IsNull() const { return list_ == nullptr; }
  // True for the desktop's list (and for null, which stands for it).
  bool IsEmpty() const { return PidlItemCount(list_) == 0; }

  // Frees the held list and offers the slot to a function that returns a new one.
  LPITEMIDLIST* Put() {
    Close();
    return &list_;
  }
  void Attach(LPITEMIDLIST owned) {
    Close();
    list_ = owned;
  }
  LPITEMIDLIST Detach() {
    LPITEMIDLIST list = list_;
    list_ = nullptr;
    return list;
  }
  void Close() {
    if (list_ != nullptr) CoTaskMemFree(list_);
    list_ = nullptr;
  }

 private:
  LPITEMIDLIST list_ = nullptr;
};

}  // namespace ui
