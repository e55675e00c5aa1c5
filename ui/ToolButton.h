// A tool button: a toolbar control holding one button that shows an image with its caption
// beside it, flat (raised only under the mouse) unless told otherwise. A click reaches the
// parent as WM_COMMAND with the button's id, as a push button's does.
#pragma once

#include "ui/Controls.h"

namespace ui {

class ToolButton : public Control {
 public:
  static constexpr int kNoImage = -1;

  void Create(HWND parent, int id, const std::string& caption, RECT bounds, HFONT font);

  // images holds the pictures; disabledImages the picture shown instead of image i while
  // the button is disabled, at the same index i. The caller keeps owning both lists.
  void SetImageLists(HIMAGELIST images, HIMAGELIST disabledImages);
  void SetImageIndex(int index);
  int ImageIndex() const { return imageIndex_; }

  void SetCaption(const std::string& caption);
  std::string Caption() const;

  void SetFlat(bool flat);
  bool IsFlat() const { return (GetWindowLongA(hwnd_, GWL_STYLE) & TBSTYLE_FLAT) != 0; }

  // The button's own state: a disabled button ignores clicks and shows its disabled image.
  void SetEnabled(bool enabled) {
    SendMessageA(hwnd_, TB_ENABLEBUTTON, static_cast<WPARAM>(id_), MAKELONG(enabled, 0));
  }
  bool IsEnabled() const {
    return SendMessageA(hwnd_, TB_ISBUTTONENABLED, static_cast<WPARAM>(id_), 0) != 0;
  }

  int Id() const { return id_; }
  // The button's rectangle in the toolbar's client area.
  RECT ButtonRect() const;

 private:
  void FitButtonToControl();

  int id_ = 0;
  int imageIndex_ = kNoImage;
};

}  // namespace ui
