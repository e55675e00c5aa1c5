// The owner of a menu: a popup menu from CreatePopupMenu is destroyed with its owner.
#pragma once

#include <windows.h>

#include "platform/UniqueHandle.h"

namespace ui {

struct MenuTraits {
  using Handle = HMENU;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle menu) { DestroyMenu(menu); }
};
using Menu = platform::UniqueHandle<MenuTraits>;

}  // namespace ui
