// Owners of what GDI hands out (fonts, bitmaps, brushes; a window's device context, also while
// it paints; an object selected into a device context), fonts by point size, and the size a
// text takes.
#pragma once

#include <windows.h>

#include <string>

#include "platform/UniqueHandle.h"

namespace ui {

// The sole owner of a GDI object: deleted with its owner.
template <typename Object>
using GdiObject = platform::UniqueHandle<platform::ReleasedBy<Object, DeleteObject>>;
using Font = GdiObject<HFONT>;
using Bitmap = GdiObject<HBITMAP>;
using Brush = GdiObject<HBRUSH>;

// A window's device context (the screen's for null), released with the owner.
class WindowDC {
 public:
  explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDC() {
    if (dc_ != nullptr) ReleaseDC(window_, dc_);
  }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;

  HDC Get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// The device context of a window's WM_PAINT (BeginPaint), ended with the owner (EndPaint).
class PaintDC {
 public:
  explicit PaintDC(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
  ~PaintDC() { EndPaint(window_, &paint_); }
  PaintDC(const PaintDC&) = delete;
  PaintDC& operator=(const PaintDC&) = delete;

  HDC Get() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

// An object selected into a device context for the owner's life; the object it replaced is
// selected again at the end.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~SelectedObject() { SelectObject(dc_, previous_); }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// A font by face name and size in points at the screen's resolution (8 points are 11 pixels
// at 96 dots per inch).
Font CreatePointFont(const std::string& face, int points, BYTE charset, bool underline = false);

// The size of the text drawn in the font on the window with the DrawText format; where the
// format breaks words, lines are at most maxWidth wide.
SIZE TextExtent(HWND window, HFONT font, const std::string& text, UINT format, int maxWidth = 0);

// Sizes a label window to its text in the font, keeping its top left corner; an empty text
// keeps the height of one line.
void SizeToText(HWND label, HFONT font, const std::string& text, UINT format);

}  // namespace ui
