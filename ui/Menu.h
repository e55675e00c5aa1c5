// The owner of a menu: a popup menu from CreatePopupMenu is destroyed with its owner.
#pragma once

#include <windows.h>

#include "platform/UniqueHandle.h"

namespace ui {

using Menu = platform::UniqueHandle<platform::ReleasedBy<HMENU, DestroyMenu>>;

}  // namespace ui
