#include "ui/StringResource.h"

namespace ui {

std::string LoadStringResource(UINT id) {
  char text[1024] = {};  // the program's entries are captions and one-line messages
  const int length = LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text);
  return std::string(text, static_cast<size_t>(length > 0 ? length : 0));
}

}  // namespace ui
