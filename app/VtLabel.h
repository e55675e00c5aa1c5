// A label that is a window of its own: one line of text in a font, a font colour and a font
// style of its own, drawn on its parent's background when transparent, with its own mouse
// cursor, a click notification and an optional hover colour. It never holds the keyboard
// focus.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "ui/Application.h"
#include "ui/Gdi.h"
#include "ui/Window.h"

namespace app {

class TVtLabel : public ui::Window {
 public:
  TVtLabel() : TVtLabel("TVtLabel") {}
  ~TVtLabel() override;

  // Creates the label with its top left corner at the point; it takes the size of its
  // caption in the font.
  void Create(HWND parent, int id, const std::string& caption, POINT topLeft, HFONT font);

  // The caption is the window text; setting it sizes the label to it again.
  std::string Caption() const;
  void SetCaption(const std::string& caption);

  // The label draws in a copy of the font given with its own style (underline) applied.
  void SetFont(HFONT font);
  HFONT Font() const { return drawFont_.Get(); }
  bool FontUnderline() const { return underline_; }
  void SetFontUnderline(bool underline);
  COLORREF FontColor() const { return fontColor_; }
  void SetFontColor(COLORREF color);

  // When transparent, the parent's background shows around the text; otherwise the face
  // colour of buttons and dialogs.
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool transparent);

  // The number of the application's cursor table shown over the label; kCursorDefault for
  // the arrow of the window class.
  int Cursor() const { return cursor_; }
  void SetCursor(int number) { cursor_ = number; }

  // When on, the text is drawn in the hover colour while the mouse is over the label.
  bool FlyByEnabled() const { return flyByEnabled_; }
  void SetFlyByEnabled(bool enabled);
  COLORREF FlyByColor() const { return flyByColor_; }
  void SetFlyByColor(COLORREF color);

  // The colour the text is drawn in now.
  COLORREF ShownColor() const;

  // The click notification: a left button pressed and released over the label.
  std::function<void()> OnClick;

 protected:
  explicit TVtLabel(const char* className) : className_(className) {}

  // Runs the click notification; link labels go on to open their target.
  virtual void Click();

  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  void Repaint() const;

 private:
  void Paint(HDC dc);
  void PaintBackground(HDC dc, const RECT& client);
  void SizeToCaption();
  void RebuildFont();
  bool ShowOwnCursor(LPARAM hitTest);
  void OnButtonUp(LPARAM at);
  void OnMouseMove();
  void PassFocusOn(HWND previous);

  const char* className_;
  LOGFONTA baseFont_{};
  bool hasBaseFont_ = false;
  ui::Font drawFont_;
  bool underline_ = false;
  COLORREF fontColor_ = GetSysColor(COLOR_WINDOWTEXT);
  bool transparent_ = false;
  int cursor_ = ui::kCursorDefault;
  bool flyByEnabled_ = false;
  COLORREF flyByColor_ = RGB(255, 0, 0);
  bool hovering_ = false;
  bool pressed_ = false;
};

}  // namespace app
