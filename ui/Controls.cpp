#include "ui/Controls.h"

#include "ui/Gdi.h"

namespace ui {

HWND CreateControl(const char* className, const std::string& text, DWORD style, DWORD exStyle,
                   RECT bounds, HWND parent, int id, HFONT font) {
  HWND control = CreateWindowExA(
      exStyle, className, text.c_str(), WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style,
      bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
  if (control != nullptr && font != nullptr) {
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  return control;
}

RECT BoundsInParent(HWND window) {
  RECT bounds{};
  GetWindowRect(window, &bounds);
  MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&bounds), 2);
  return bounds;
}

void Label::SetTextAutoSize(const std::string& caption) {
  SetText(caption);
  SizeToText(hwnd_, reinterpret_cast<HFONT>(SendMessageA(hwnd_, WM_GETFONT, 0, 0)), caption,
             DT_EXPANDTABS | DT_NOPREFIX);
}

int Memo::LineLength(int line) const {
  const LRESULT start = SendMessageA(hwnd_, EM_LINEINDEX, static_cast<WPARAM>(line), 0);
  if (start < 0) return 0;
  return static_cast<int>(SendMessageA(hwnd_, EM_LINELENGTH, static_cast<WPARAM>(start), 0));
}

int Memo::EndPosition() const {
  const int lastLine = LineCount() - 1;
  const LRESULT start = SendMessageA(hwnd_, EM_LINEINDEX, static_cast<WPARAM>(lastLine), 0);
  if (start < 0) return TextLength();
  return static_cast<int>(start) +
         static_cast<int>(SendMessageA(hwnd_, EM_LINELENGTH, static_cast<WPARAM>(start), 0));
}

void Memo::AppendAtEnd(const std::string& text) {
  const int end = EndPosition();
  Select(end, end);
  SendMessageA(hwnd_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
  SendMessageA(hwnd_, EM_SCROLLCARET, 0, 0);
}

int Memo::CaretPosition() const {
  DWORD start = 0;
  DWORD end = 0;
  SendMessageA(hwnd_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return static_cast<int>(end);
}

void PageControl::AddTab(const std::string& caption) {
  std::string text = caption;  // the structure takes a writable string
  TCITEMA item{};
  item.mask = TCIF_TEXT;
  item.pszText = text.data();
  SendMessageA(hwnd_, TCM_INSERTITEMA, static_cast<WPARAM>(TabCount()),
               reinterpret_cast<LPARAM>(&item));
}

std::string PageControl::TabCaption(int index) const {
  char text[256] = {};
  TCITEMA item{};
  item.mask = TCIF_TEXT;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(hwnd_, TCM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  return text;
}

RECT PageControl::PageArea() const {
  RECT area{};
  GetClientRect(hwnd_, &area);
  SendMessageA(hwnd_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
  return area;
}

}  // namespace ui
