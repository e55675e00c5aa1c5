#include "ui/GdiObject.h"

namespace ui {

Font CreatePointFont(const std::string& face, int points, BYTE charset, bool underline) {
  HDC screen = GetDC(nullptr);
  const int pixelsPerInch = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
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

}  // namespace ui
