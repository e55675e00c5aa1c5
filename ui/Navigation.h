// Keyboard focus order of a window that is not a dialog.
#pragma once

#include <windows.h>

namespace ui {

// The tab stop after (or, backward, before) the one that holds current, among the visible,
// enabled tab stops below root in tab order: siblings in z-order, each followed by its own
// children. A tab stop that holds controls (a page control) is a stop itself and is also
// entered. Wraps around; null when root has no reachable tab stop.
HWND NextTabStop(HWND root, HWND current, bool backward);

}  // namespace ui
