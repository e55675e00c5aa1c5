#include "app/VtURLLabel.h"

#include "app/LinkTarget.h"

namespace app {

TVtURLLabel::Shell TVtURLLabel::SystemShell() {
  return {[](SHELLEXECUTEINFOA& request) { return ShellExecuteExA(&request) != FALSE; },
          [](const char* commandLine, UINT show) { WinExec(commandLine, show); }};
}

TVtURLLabel::TVtURLLabel() : TVtLabel("TVtURLLabel") {
  SetFontUnderline(true);  // the hover colour stays off: no colour change under the mouse
  UpdateColor();
  SetCursor(kCursorHandPoint);
  if (ui::Application* application = ui::Application::CurrentOrNull()) {
    application->Cursors().Set(kCursorHandPoint,
                               LoadCursorA(GetModuleHandleA(nullptr), kHandCursorResource));
  }
}

void TVtURLLabel::SetVisitedColor(COLORREF color) {
  if (color == visitedColor_) return;
  visitedColor_ = color;
  UpdateColor();
}

void TVtURLLabel::SetUnvisitedColor(COLORREF color) {
  if (color == unvisitedColor_) return;
  unvisitedColor_ = color;
  UpdateColor();
}

void TVtURLLabel::UpdateColor() {
  SetFontColor(visited_ ? visitedColor_ : unvisitedColor_);  // repaints
}

void TVtURLLabel::SetVisited(bool visited) {
  if (visited == visited_) return;
  visited_ = visited;
  UpdateColor();
}

void TVtURLLabel::Click() {
  TVtLabel::Click();
  OpenTarget();
}

// The shell shows no error box of its own and finishes any DDE conversation before it
// returns. A target it cannot open stays unvisited without a word, unless it is an .htm page:
// the user may then pick the program that opens such pages.
void TVtURLLabel::OpenTarget() {
  const std::string target = ClickTarget(url_, Caption());
  if (target.empty()) return;
  SHELLEXECUTEINFOA request{};
  request.cbSize = sizeof request;
  request.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_FLAG_DDEWAIT;
  request.hwnd = nullptr;
  request.lpVerb = "Open";
  request.lpFile = target.c_str();
  request.lpParameters = nullptr;
  request.lpDirectory = nullptr;
  request.nShow = SW_SHOWNORMAL;
  if (shell_.execute(request)) {
    SetVisited(true);
  } else if (WantsOpenWithDialog(target)) {
    shell_.run(kOpenWithHtmCommand, SW_SHOWNORMAL);
  }
}

}  // namespace app
