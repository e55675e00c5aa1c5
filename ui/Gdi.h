// The sole owner of a GDI object (font, bitmap, brush): deleted with its owner, never
// copied. A stock object can be held without ownership.
#pragma once

#include <windows.h>

#include <string>

namespace ui {

template <typename Handle>
class GdiObject {
 public:
  GdiObject() = default;
  explicit GdiObject(Handle handle, bool owned = true) : handle_(handle), owned_(owned) {}
  ~GdiObject() { Close(); }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  GdiObject(GdiObject&& other) noexcept : handle_(other.handle_), owned_(other.owned_) {
    other.handle_ = nullptr;
  }
  GdiObject& operator=(GdiObject&& other) noexcept {
    if (this != &other) {
      Attach(other.handle_, other.owned_);
      other.handle_ = nullptr;
    }
    return *this;
  }

  Handle Get() const { return handle_; }

  void Attach(Handle handle, bool owned = true) {
    Close();
    handle_ = handle;
    owned_ = owned;
  }
  Handle Detach() {
    Handle handle = handle_;
    handle_ = nullptr;
    return handle;
  }
  void Close() {
    if (handle_ != nullptr && owned_) DeleteObject(handle_);
    handle_ = nullptr;
  }

 private:
  Handle handle_ = nullptr;
  bool owned_ = true;
};

using Font = GdiObject<HFONT>;
using Bitmap = GdiObject<HBITMAP>;

// A font by face name and size in points at the screen's resolution (8 points are 11 pixels
// at 96 dots per inch).
Font CreatePointFont(const std::string& face, int points, BYTE charset, bool underline = false);

}  // namespace ui
