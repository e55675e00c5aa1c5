// The sole owner of an image list of the common controls.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "platform/UniqueHandle.h"

namespace ui {

class ImageList
    : public platform::UniqueHandle<platform::ReleasedBy<HIMAGELIST, ImageList_Destroy>> {
 public:
  using UniqueHandle::UniqueHandle;

  // A strip of square images from a bitmap resource; pixels of the mask colour are
  // transparent. Empty when the resource is missing.
  static ImageList FromBitmapStrip(UINT bitmapId, int size, COLORREF maskColor);

  int Count() const { return IsValid() ? ImageList_GetImageCount(Get()) : 0; }
};

}  // namespace ui
