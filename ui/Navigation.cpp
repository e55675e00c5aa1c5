#include "ui/Navigation.h"

#include <algorithm>
#include <vector>

namespace ui {

namespace {

// Children of a hidden or disabled window cannot take the focus, so they are not entered.
void CollectTabStops(HWND parent, std::vector<HWND>& stops) {
  for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    if (!IsWindowVisible(child) || !IsWindowEnabled(child)) continue;
    if ((GetWindowLongA(child, GWL_STYLE) & WS_TABSTOP) != 0) stops.push_back(child);
    CollectTabStops(child, stops);
  }
}

}  // namespace

HWND NextTabStop(HWND root, HWND current, bool backward) {
  std::vector<HWND> stops;
  CollectTabStops(root, stops);
  if (stops.empty()) return nullptr;
  // The focus may sit in a part of a control (the edit of a combo box): go up to the stop.
  auto at = stops.end();
  for (HWND window = current; window != nullptr && window != root && at == stops.end();
       window = GetParent(window)) {
    at = std::find(stops.begin(), stops.end(), window);
  }
  const auto count = static_cast<std::ptrdiff_t>(stops.size());
  if (at == stops.end()) return backward ? stops.back() : stops.front();
  const std::ptrdiff_t index = at - stops.begin();
  return stops[static_cast<size_t>((index + (backward ? count - 1 : 1)) % count)];
}

}  // namespace ui
