// The sole owner of an image list of the common controls.
#pragma once

#include <windows.h>

#include <commctrl.h>

namespace ui {

class ImageList {
 public:
  ImageList() = default;
  explicit ImageList(HIMAGELIST owned) : list_(owned) {}
  ~ImageList() { Close(); }
  ImageList(const ImageList&) = delete;
  ImageList& operator=(const ImageList&) = delete;
  ImageList(ImageList&& other) noexcept : list_(other.Detach()) {}
  ImageList& operator=(ImageList&& other) noexcept {
    if (this != &other) Attach(other.Detach());
    return *this;
  }

  // A strip of square images from a bitmap resource; pixels of the mask colour are
  // transparent. Empty when the resource is missing.
  static ImageList FromBitmapStrip(UINT bitmapId, int size, COLORREF maskColor);

  HIMAGELIST Get() const { return list_; }
  int Count() const { return list_ != nullptr ? ImageList_GetImageCount(list_) : 0; }

  void Attach(HIMAGELIST owned) {
    Close();
    list_ = owned;
  }
  HIMAGELIST Detach() {
    HIMAGELIST list = list_;
    list_ = nullptr;
    return list;
  }
  void Close() {
    if (list_ != nullptr) ImageList_Destroy(list_);
    list_ = nullptr;
  }

 private:
  HIMAGELIST list_ = nullptr;
};

}  // namespace ui
