#include "app/VtLabel.h"

#include "ui/Navigation.h"

namespace app {

namespace {

constexpr UINT kTextFormat = DT_LEFT | DT_EXPANDTABS | DT_NOPREFIX;

POINT PointOf(LPARAM at) {
  return {static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
}

}  // namespace

TVtLabel::~TVtLabel() {
  DestroyHandle();  // while the font the window draws in still exists
}

void TVtLabel::Create(HWND parent, int id, const std::string& caption, POINT topLeft, HFONT font) {
  RegisterWindowClass(className_, nullptr, COLOR_BTNFACE);
  CreateHandle(0, className_, caption, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
               {topLeft.x, topLeft.y, topLeft.x, topLeft.y}, parent, id);
  SetFont(font);
}

std::string TVtLabel::Caption() const {
  return Handle() != nullptr ? ui::WindowText(Handle()) : std::string();
}

void TVtLabel::SetCaption(const std::string& caption) {
  SetWindowTextA(Handle(), caption.c_str());  // WM_SETTEXT sizes and repaints
}

void TVtLabel::SetFont(HFONT font) {
  if (font == nullptr) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  hasBaseFont_ = GetObjectA(font, sizeof baseFont_, &baseFont_) != 0;
  RebuildFont();
}

void TVtLabel::SetFontUnderline(bool underline) {
  if (underline == underline_) return;
  underline_ = underline;
  RebuildFont();
}

void TVtLabel::RebuildFont() {
  if (!hasBaseFont_) return;
  LOGFONTA styled = baseFont_;
  styled.lfUnderline = underline_ ? TRUE : FALSE;
  drawFont_.Attach(CreateFontIndirectA(&styled));
  SizeToCaption();
  Repaint();
}

void TVtLabel::SetFontColor(COLORREF color) {
  fontColor_ = color;
  Repaint();
}

void TVtLabel::SetTransparent(bool transparent) {
  transparent_ = transparent;
  Repaint();
}

void TVtLabel::SetFlyByEnabled(bool enabled) {
  flyByEnabled_ = enabled;
  Repaint();
}

void TVtLabel::SetFlyByColor(COLORREF color) {
  flyByColor_ = color;
  Repaint();
}

COLORREF TVtLabel::ShownColor() const {
  return flyByEnabled_ && hovering_ ? flyByColor_ : fontColor_;
}

void TVtLabel::Click() {
  if (OnClick) OnClick();
}

void TVtLabel::Repaint() const {
  if (Handle() != nullptr) InvalidateRect(Handle(), nullptr, TRUE);
}

void TVtLabel::SizeToCaption() {
  if (Handle() == nullptr || !drawFont_.IsValid()) return;
  ui::SizeToText(Handle(), drawFont_.Get(), Caption(), kTextFormat);
}

// The parent paints its own background into the label's area of the device context, as it
// would have done had the label not been there (its children are clipped out of its own
// painting).
void TVtLabel::PaintBackground(HDC dc, const RECT& client) {
  HWND parent = GetParent(Handle());
  if (!transparent_ || parent == nullptr) {
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    return;
  }
  POINT origin{0, 0};
  MapWindowPoints(Handle(), parent, &origin, 1);
  POINT previous{};
  OffsetWindowOrgEx(dc, origin.x, origin.y, &previous);
  SendMessageA(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  SendMessageA(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  SetWindowOrgEx(dc, previous.x, previous.y, nullptr);
}

void TVtLabel::Paint(HDC dc) {
  RECT client{};
  GetClientRect(Handle(), &client);
  PaintBackground(dc, client);
  const std::string caption = Caption();
  const ui::SelectedObject font(dc, drawFont_.Get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ShownColor());
  DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &client, kTextFormat);
}

bool TVtLabel::ShowOwnCursor(LPARAM hitTest) {
  ui::Application* application = ui::Application::CurrentOrNull();
  if (application == nullptr || LOWORD(hitTest) != HTCLIENT || cursor_ == ui::kCursorDefault ||
      application->ScreenCursor() != ui::kCursorDefault) {
    return false;  // the window base shows the screen cursor or the class's arrow
  }
  ::SetCursor(application->Cursors().Get(cursor_));
  return true;
}

// A click is a press and a release over the label; the capture sees a release elsewhere.
void TVtLabel::OnButtonUp(LPARAM at) {
  const bool wasPressed = pressed_;
  pressed_ = false;
  if (!wasPressed) return;
  ReleaseCapture();
  RECT client{};
  GetClientRect(Handle(), &client);
  if (PtInRect(&client, PointOf(at))) Click();
}

void TVtLabel::OnMouseMove() {
  if (!flyByEnabled_ || hovering_) return;
  hovering_ = true;
  TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, Handle(), 0};
  TrackMouseEvent(&track);
  Repaint();
}

// The focus goes back where it came from, or on to the next control that takes it.
void TVtLabel::PassFocusOn(HWND previous) {
  if (previous != nullptr && IsWindow(previous) && previous != Handle()) {
    SetFocus(previous);
    return;
  }
  HWND next = ui::NextTabStop(GetAncestor(Handle(), GA_ROOT), Handle(), false);
  SetFocus(next);
}

LRESULT TVtLabel::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      const ui::PaintDC dc(Handle());
      Paint(dc.Get());
      return 0;
    }
    case WM_PRINTCLIENT:
      Paint(reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the painting draws the background too
    case WM_SETTEXT: {
      const LRESULT result = DefaultMessage(message, wParam, lParam);
      SizeToCaption();
      Repaint();
      return result;
    }
    case WM_SETFONT:
      SetFont(reinterpret_cast<HFONT>(wParam));
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(drawFont_.Get());
    case WM_SETCURSOR:
      if (ShowOwnCursor(lParam)) return TRUE;
      break;
    case WM_LBUTTONDOWN:
      pressed_ = true;
      SetCapture(Handle());
      return 0;
    case WM_LBUTTONUP:
      OnButtonUp(lParam);
      return 0;
    case WM_CAPTURECHANGED:
      pressed_ = false;
      return 0;
    case WM_MOUSEMOVE:
      OnMouseMove();
      return 0;
    case WM_MOUSELEAVE:
      hovering_ = false;
      Repaint();
      return 0;
    case WM_SETFOCUS:
      PassFocusOn(reinterpret_cast<HWND>(wParam));
      return 0;
    default:
      break;
  }
  return Window::OnMessage(message, wParam, lParam);
}

}  // namespace app
