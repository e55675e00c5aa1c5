#include "ui/ImageList.h"

#include "ui/Gdi.h"

namespace ui {

ImageList ImageList::FromBitmapStrip(UINT bitmapId, int size, COLORREF maskColor) {
  const Bitmap strip(
      static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(bitmapId),
                                      IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  if (!strip.IsValid()) return ImageList();
  BITMAP info{};
  GetObjectA(strip.Get(), sizeof info, &info);
  const int count = size > 0 ? info.bmWidth / size : 0;
  ImageList list(ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, count, 0));
  if (list.IsValid()) ImageList_AddMasked(list.Get(), strip.Get(), maskColor);
  return list;
}

}  // namespace ui
