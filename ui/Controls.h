// Views over the system's controls: each wraps a child window handle and never destroys it
// (the parent window does). One-line operations over SendMessage.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "ui/Window.h"

namespace ui {

// A rectangle given as the layout gives it: left, top, width, height.
inline RECT Bounds(int left, int top, int width, int height) {
  return {left, top, left + width, top + height};
}

// A window's position and size in its parent's client area.
RECT BoundsInParent(HWND window);

// A child window of a system class with the font it is drawn in.
HWND CreateControl(const char* className, const std::string& text, DWORD style, DWORD exStyle,
                   RECT bounds, HWND parent, int id, HFONT font);

class Control {
 public:
  HWND Handle() const { return hwnd_; }

  void SetText(const std::string& text) { SetWindowTextA(hwnd_, text.c_str()); }
  std::string Text() const { return WindowText(hwnd_); }
  void SetEnabled(bool enabled) { EnableWindow(hwnd_, enabled ? TRUE : FALSE); }
  bool IsEnabled() const { return IsWindowEnabled(hwnd_) != FALSE; }
  void SetVisible(bool visible) { ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE); }
  bool IsVisible() const { return IsWindowVisible(hwnd_) != FALSE; }
  void SetFont(HFONT font) {
    SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }

 protected:
  HWND hwnd_ = nullptr;
};

class Button : public Control {
 public:
  void Create(HWND parent, int id, const std::string& caption, RECT bounds, HFONT font) {
    hwnd_ =
        CreateControl("BUTTON", caption, BS_PUSHBUTTON | WS_TABSTOP, 0, bounds, parent, id, font);
  }
};

// A label: one line of text, or several when it wraps.
class Label : public Control {
 public:
  void Create(HWND parent, int id, const std::string& caption, RECT bounds, HFONT font,
              DWORD style = SS_LEFT) {
    hwnd_ = CreateControl("STATIC", caption, style | SS_NOPREFIX, 0, bounds, parent, id, font);
  }
  // Replaces the caption and sizes the label to it, keeping its top left corner.
  void SetTextAutoSize(const std::string& caption);
};

// The multi-line text box.
class Memo : public Control {
 public:
  void Create(HWND parent, int id, RECT bounds, HFONT font) {
    hwnd_ = CreateControl("EDIT", "",
                          WS_TABSTOP | WS_HSCROLL | WS_VSCROLL | ES_MULTILINE | ES_AUTOHSCROLL |
                              ES_AUTOVSCROLL | ES_WANTRETURN | ES_NOHIDESEL,
                          WS_EX_CLIENTEDGE, bounds, parent, id, font);
  }
  // Lifts the default limit of 30,000 characters, beyond which typing and appending fail
  // without a word.
  void SetNoTextLimit() { SendMessageA(hwnd_, EM_SETLIMITTEXT, 0, 0); }
  // A pass over the whole text under Wine: the log's appends use EndPosition instead.
  int TextLength() const { return GetWindowTextLengthA(hwnd_); }
  int LineCount() const { return static_cast<int>(SendMessageA(hwnd_, EM_GETLINECOUNT, 0, 0)); }
  int LineLength(int line) const;
  // The position after the last character, and the length of the last line.
  int EndPosition() const;
  int LastLineLength() const { return LineLength(LineCount() - 1); }
  int FirstVisibleLine() const {
    return static_cast<int>(SendMessageA(hwnd_, EM_GETFIRSTVISIBLELINE, 0, 0));
  }
  // Inserts the text at the end, leaves the caret after it and scrolls it into view.
  void AppendAtEnd(const std::string& text);
  void Select(int start, int end) {
    SendMessageA(hwnd_, EM_SETSEL, static_cast<WPARAM>(start), end);
  }
  // The caret position (the end of the selection).
  int CaretPosition() const;
};

// The page control: tabs across the top, the pages are Containers inside it.
class PageControl : public Control {
 public:
  void Create(HWND parent, int id, RECT bounds, HFONT font) {
    hwnd_ = CreateControl(WC_TABCONTROLA, "", WS_TABSTOP | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT,
                          bounds, parent, id, font);
  }
  void AddTab(const std::string& caption);
  int TabCount() const { return static_cast<int>(SendMessageA(hwnd_, TCM_GETITEMCOUNT, 0, 0)); }
  int Selected() const { return static_cast<int>(SendMessageA(hwnd_, TCM_GETCURSEL, 0, 0)); }
  void Select(int index) { SendMessageA(hwnd_, TCM_SETCURSEL, static_cast<WPARAM>(index), 0); }
  std::string TabCaption(int index) const;
  // The area below the tabs where the pages lie, in the page control's client area.
  RECT PageArea() const;
};

// A picture: a bitmap drawn at its own size.
class Picture : public Control {
 public:
  void Create(HWND parent, int id, RECT bounds) {
    hwnd_ = CreateControl("STATIC", "", SS_BITMAP, 0, bounds, parent, id, nullptr);
  }
  // The control takes the bitmap's size; the caller keeps owning the bitmap.
  void SetBitmap(HBITMAP bitmap) {
    SendMessageA(hwnd_, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
  }
};

}  // namespace ui
