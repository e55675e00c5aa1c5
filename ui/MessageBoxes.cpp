#include "ui/MessageBoxes.h"

#include <algorithm>

#include "ui/Gdi.h"

namespace ui {

namespace {

constexpr int kTextId = 0xFFFF;
constexpr int kMargin = 12;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;

struct MessageBoxData {
  const std::string* caption;
  const std::string* text;
  HFONT font;
};

// A dialog template with no controls: the box lays out its text and button itself, in
// pixels, once it knows the size of the wrapped text.
struct alignas(4) EmptyDialogTemplate {
  DLGTEMPLATE header;
  WORD menu = 0;
  WORD windowClass = 0;
  WORD title = 0;
};

HWND CreateChild(HWND box, const char* className, const std::string& text, DWORD style, int id,
                 RECT bounds, HFONT font) {
  HWND child = CreateWindowExA(
      0, className, text.c_str(), WS_CHILD | WS_VISIBLE | style, bounds.left, bounds.top,
      bounds.right - bounds.left, bounds.bottom - bounds.top, box,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
  SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return child;
}

void LayOutMessageBox(HWND box, const MessageBoxData& data) {
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  const SIZE text = TextExtent(box, data.font, *data.text,
                               DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX, screenWidth / 2);
  const int clientWidth = std::max<int>(text.cx, kButtonWidth) + 2 * kMargin;
  const int clientHeight = kMargin + text.cy + kMargin + kButtonHeight + kMargin;

  CreateChild(box, "STATIC", *data.text, SS_LEFT | SS_NOPREFIX, kTextId,
              {kMargin, kMargin, kMargin + text.cx, kMargin + text.cy}, data.font);
  const int buttonLeft = (clientWidth - kButtonWidth) / 2;
  const int buttonTop = clientHeight - kMargin - kButtonHeight;
  HWND ok = CreateChild(
      box, "BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK,
      {buttonLeft, buttonTop, buttonLeft + kButtonWidth, buttonTop + kButtonHeight}, data.font);

  RECT frame{0, 0, clientWidth, clientHeight};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongA(box, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongA(box, GWL_EXSTYLE)));
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  SetWindowPos(box, nullptr, std::max(0, (screenWidth - width) / 2),
               std::max(0, (screenHeight - height) / 2), width, height, SWP_NOZORDER);
  SetWindowTextA(box, data.caption->c_str());
  SetFocus(ok);
}

INT_PTR CALLBACK MessageBoxProcedure(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    switch (message) {
      case WM_INITDIALOG:
        LayOutMessageBox(box, *reinterpret_cast<const MessageBoxData*>(lParam));
        return FALSE;  // the focus is set
      case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
          EndDialog(box, LOWORD(wParam));
          return TRUE;
        }
        break;
      default:
        break;
    }
  } catch (...) {
    EndDialog(box, IDCANCEL);  // never let an error unwind into the dialog manager
  }
  return FALSE;
}

// The system's message font; none when the system does not say which it is.
Font MessageFont() {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return Font();
  return Font(CreateFontIndirectA(&metrics.lfMessageFont));
}

}  // namespace

void ShowErrorBox(HWND owner, const std::string& caption, const std::string& text) {
  MessageBoxA(owner, text.c_str(), caption.c_str(), MB_OK | MB_ICONSTOP);
}

void ShowMessageBox(HWND owner, const std::string& caption, const std::string& text) {
  const Font font = MessageFont();
  const MessageBoxData data{
      &caption, &text,
      font.IsValid() ? font.Get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT))};
  EmptyDialogTemplate dialog{};
  dialog.header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  DialogBoxIndirectParamA(GetModuleHandleA(nullptr), &dialog.header, owner, &MessageBoxProcedure,
                          reinterpret_cast<LPARAM>(&data));
}

}  // namespace ui
