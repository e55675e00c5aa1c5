#include "ui/Gdi.h"

namespace ui {

Font CreatePointFont(const std::string& face, int points, BYTE charset, bool underline) {
  const WindowDC screen(nullptr);
  const int pixelsPerInch = GetDeviceCaps(screen.Get(), LOGPIXELSY);
  LOGFONTA font{};
  font.lfHeight = -MulDiv(points, pixelsPerInch, 72);
  font.lfWeight = FW_NORMAL;
  font.lfUnderline = underline ? TRUE : FALSE;
  font.lfCharSet = charset;
  font.lfOutPrecision = OUT_DEFAULT_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  font.lfQuality = DEFAULT_QUALITY;
  font.lfPitchAndFamily = DEFAULT_PITCH;
  lstrcpynA(font.lfFaceName, face.c_str(), LF_FACESIZE);
  return Font(CreateFontIndirectA(&font));
}

SIZE TextExtent(HWND window, HFONT font, const std::string& text, UINT format, int maxWidth) {
  const WindowDC dc(window);
  const SelectedObject selected(dc.Get(), font);
  RECT bounds{0, 0, maxWidth, 0};
  DrawTextA(dc.Get(), text.c_str(), static_cast<int>(text.size()), &bounds, format | DT_CALCRECT);
  return {bounds.right - bounds.left, bounds.bottom - bounds.top};
}

void SizeToText(HWND label, HFONT font, const std::string& text, UINT format) {
  SIZE size = TextExtent(label, font, text, format);
  if (text.empty()) {
    const WindowDC dc(label);
    const SelectedObject selected(dc.Get(), font);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc.Get(), &metrics);
    size.cy = metrics.tmHeight;
  }
  SetWindowPos(label, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace ui
