#include "ui/ToolButton.h"

namespace ui {

namespace {

TBBUTTONINFOA ButtonInfo(DWORD mask) {
  TBBUTTONINFOA info{};
  info.cbSize = sizeof info;
  info.dwMask = mask;
  return info;
}

}  // namespace

void ToolButton::Create(HWND parent, int id, const std::string& caption, RECT bounds, HFONT font) {
  id_ = id;
  hwnd_ =
      CreateControl(TOOLBARCLASSNAMEA, "",
                    TBSTYLE_FLAT | TBSTYLE_LIST | CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER,
                    0, bounds, parent, id, font);
  SendMessageA(hwnd_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  // Less padding than the toolbar's default, so that a caption fits beside its image.
  SendMessageA(hwnd_, TB_SETPADDING, 0, MAKELPARAM(4, 4));
  std::string text = caption;  // the structure takes a writable string
  TBBUTTON button{};
  button.iBitmap = I_IMAGENONE;
  button.idCommand = id;
  button.fsState = TBSTATE_ENABLED;
  button.fsStyle = BTNS_BUTTON | BTNS_SHOWTEXT;
  button.iString = reinterpret_cast<INT_PTR>(text.data());
  SendMessageA(hwnd_, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&button));
  FitButtonToControl();
}

void ToolButton::SetImageLists(HIMAGELIST images, HIMAGELIST disabledImages) {
  SendMessageA(hwnd_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
  SendMessageA(hwnd_, TB_SETDISABLEDIMAGELIST, 0, reinterpret_cast<LPARAM>(disabledImages));
  FitButtonToControl();
}

void ToolButton::SetImageIndex(int index) {
  imageIndex_ = index;
  TBBUTTONINFOA info = ButtonInfo(TBIF_IMAGE);
  info.iImage = index < 0 ? I_IMAGENONE : index;
  SendMessageA(hwnd_, TB_SETBUTTONINFOA, static_cast<WPARAM>(id_), reinterpret_cast<LPARAM>(&info));
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void ToolButton::SetCaption(const std::string& caption) {
  std::string text = caption;  // the structure takes a writable string
  TBBUTTONINFOA info = ButtonInfo(TBIF_TEXT);
  info.pszText = text.data();
  SendMessageA(hwnd_, TB_SETBUTTONINFOA, static_cast<WPARAM>(id_), reinterpret_cast<LPARAM>(&info));
  FitButtonToControl();
}

std::string ToolButton::Caption() const {
  char text[256] = {};
  TBBUTTONINFOA info = ButtonInfo(TBIF_TEXT);
  info.pszText = text;
  info.cchText = sizeof text;
  SendMessageA(hwnd_, TB_GETBUTTONINFOA, static_cast<WPARAM>(id_), reinterpret_cast<LPARAM>(&info));
  return text;
}

void ToolButton::SetFlat(bool flat) {
  LONG style = GetWindowLongA(hwnd_, GWL_STYLE);
  style = flat ? (style | TBSTYLE_FLAT) : (style & ~static_cast<LONG>(TBSTYLE_FLAT));
  SetWindowLongA(hwnd_, GWL_STYLE, style);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

RECT ToolButton::ButtonRect() const {
  RECT rect{};
  SendMessageA(hwnd_, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&rect));
  return rect;
}

// The one button fills the control, whatever its caption and image.
void ToolButton::FitButtonToControl() {
  RECT client{};
  GetClientRect(hwnd_, &client);
  const int width = client.right - client.left;
  SendMessageA(hwnd_, TB_SETBUTTONSIZE, 0, MAKELONG(width, client.bottom - client.top));
  SendMessageA(hwnd_, TB_SETBUTTONWIDTH, 0, MAKELONG(width, width));
  SendMessageA(hwnd_, TB_AUTOSIZE, 0, 0);
}

}  // namespace ui
