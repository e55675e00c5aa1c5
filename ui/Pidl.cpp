#include "ui/Pidl.h"

#include <cstring>
#include <new>

namespace ui {

namespace {

constexpr size_t kTerminatorSize = sizeof(USHORT);

const BYTE* Bytes(LPCITEMIDLIST list) {
  return reinterpret_cast<const BYTE*>(list);
}

// Bytes of the first count items.
size_t PrefixSize(LPCITEMIDLIST list, size_t count) {
  size_t size = 0;
  for (LPCITEMIDLIST item = list; item != nullptr && item->mkid.cb != 0 && count > 0; --count) {
    size += item->mkid.cb;
    item = reinterpret_cast<LPCITEMIDLIST>(Bytes(item) + item->mkid.cb);
  }
  return size;
}

LPITEMIDLIST Allocate(size_t bytes) {
  void* memory = CoTaskMemAlloc(bytes + kTerminatorSize);
  if (memory == nullptr) throw std::bad_alloc();
  std::memset(static_cast<BYTE*>(memory) + bytes, 0, kTerminatorSize);
  return static_cast<LPITEMIDLIST>(memory);
}

}  // namespace

size_t PidlSize(LPCITEMIDLIST list) {
  return PrefixSize(list, static_cast<size_t>(-1));
}

size_t PidlItemCount(LPCITEMIDLIST list) {
  size_t count = 0;
  for (LPCITEMIDLIST item = list; item != nullptr && item->mkid.cb != 0; item = PidlNext(item)) {
    ++count;
  }
  return count;
}

LPCITEMIDLIST PidlNext(LPCITEMIDLIST list) {
  if (list == nullptr || list->mkid.cb == 0) return nullptr;
  return reinterpret_cast<LPCITEMIDLIST>(Bytes(list) + list->mkid.cb);
}

LPCITEMIDLIST PidlLast(LPCITEMIDLIST list) {
  LPCITEMIDLIST last = list;
  for (LPCITEMIDLIST item = list; item != nullptr && item->mkid.cb != 0; item = PidlNext(item)) {
    last = item;
  }
  return last;
}

bool PidlBytesEqual(LPCITEMIDLIST a, LPCITEMIDLIST b) {
  const size_t size = PidlSize(a);
  return size == PidlSize(b) && (size == 0 || std::memcmp(a, b, size) == 0);
}

Pidl Pidl::Copy(LPCITEMIDLIST source) {
  if (source == nullptr) return Pidl();
  return Prefix(source, static_cast<size_t>(-1));
}

Pidl Pidl::Prefix(LPCITEMIDLIST source, size_t count) {
  const size_t size = PrefixSize(source, count);
  LPITEMIDLIST list = Allocate(size);
  if (size != 0) std::memcpy(list, source, size);
  return Pidl(list);
}

Pidl Pidl::Join(LPCITEMIDLIST parent, LPCITEMIDLIST child) {
  const size_t parentSize = PidlSize(parent);
  const size_t childSize = PidlSize(child);
  LPITEMIDLIST list = Allocate(parentSize + childSize);
  BYTE* bytes = reinterpret_cast<BYTE*>(list);
  if (parentSize != 0) std::memcpy(bytes, parent, parentSize);
  if (childSize != 0) std::memcpy(bytes + parentSize, child, childSize);
  return Pidl(list);
}

}  // namespace ui
