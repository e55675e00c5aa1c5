// A link label: underlined text in the link colour with the pointing hand over it, which
// asks the system shell to open its target (an e-mail address, a web page, any file) when it
// is clicked, and changes colour once the target has been opened.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <functional>
#include <string>

#include "app/VtLabel.h"

namespace app {

// The cursor number of the pointing hand in the application's cursor table.
inline constexpr int kCursorHandPoint = 26000;
// The executable's cursor resource of the pointing hand.
inline constexpr char kHandCursorResource[] = "VTCOMMON_HANDCURSOR";

class TVtURLLabel : public TVtLabel {
 public:
  // The system calls a click makes: the shell's open request and the command line that
  // offers the "Open with" dialog.
  struct Shell {
    std::function<bool(SHELLEXECUTEINFOA& request)> execute;
    std::function<void(const char* commandLine, UINT show)> run;
  };
  static Shell SystemShell();

  // Unvisited, underlined, in the unvisited colour, with the hand cursor, which it loads
  // from the executable and registers in the application's cursor table under
  // kCursorHandPoint, replacing any cursor registered there.
  TVtURLLabel();

  // The target a click opens; when empty or blank, the caption is the target.
  const std::string& URL() const { return url_; }
  void SetURL(const std::string& url) { url_ = url; }

  bool Visited() const { return visited_; }
  COLORREF VisitedColor() const { return visitedColor_; }
  void SetVisitedColor(COLORREF color);
  COLORREF UnvisitedColor() const { return unvisitedColor_; }
  void SetUnvisitedColor(COLORREF color);

  // Puts the font into the colour of the current state, VisitedColor or UnvisitedColor.
  virtual void UpdateColor();
  // Equal: nothing. Otherwise stores it, recolours and repaints.
  virtual void SetVisited(bool visited);

  void SetShell(Shell shell) { shell_ = std::move(shell); }

 protected:
  // The click notification first, then the target is opened.
  void Click() override;

 private:
  void OpenTarget();

  std::string url_;
  bool visited_ = false;
  COLORREF visitedColor_ = RGB(128, 0, 128);
  COLORREF unvisitedColor_ = GetSysColor(COLOR_HIGHLIGHT);
  Shell shell_ = SystemShell();
};

}  // namespace app
