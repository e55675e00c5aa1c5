// Item identifier lists of the shell namespace: the sole owner of one list (allocated by the
// COM task allocator, which is the shell's), and the walks over its items.
#pragma once

#include <windows.h>

#include <shlobj.h>

#include <cstddef>

#include "platform/UniqueHandle.h"

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

// Memory of the COM task allocator (a name the shell hands over), freed with its owner.
template <typename Pointer>
using TaskMemory = platform::UniqueHandle<platform::ReleasedBy<Pointer, CoTaskMemFree>>;

// The sole owner of a list allocated by the task allocator (as the shell hands them out).
class Pidl : public TaskMemory<LPITEMIDLIST> {
 public:
  using UniqueHandle::UniqueHandle;

  // A deep copy; null for null. Throws std::bad_alloc when the allocator fails.
  static Pidl Copy(LPCITEMIDLIST source);
  // The first count items of the list (all of them when it has fewer).
  static Pidl Prefix(LPCITEMIDLIST source, size_t count);
  // The list of the desktop: no items, only the terminator.
  static Pidl Empty() { return Prefix(nullptr, 0); }
  // parent's items followed by child's: the absolute list of an item inside a folder.
  static Pidl Join(LPCITEMIDLIST parent, LPCITEMIDLIST child);

  bool IsNull() const { return !IsValid(); }
  // True for the desktop's list (and for null, which stands for it).
  bool IsEmpty() const { return PidlItemCount(Get()) == 0; }
};

}  // namespace ui
