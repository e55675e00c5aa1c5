// What the checkfile tasks need of the window they run in. The GUI's main window, the
// console tool and the tests' recording window implement it, so the same task code runs
// under all three.
#pragma once

#include <stdexcept>
#include <string>

namespace checkfile {

// The states of the window a task runs in. A task enters its busy state when it starts and
// returns to idle on every way out; which controls each state disables, and in what order, is
// the window's business.
enum class TaskState {
  Idle,        // either task can be started
  Generating,  // the generation runs: only the stop command, the log and the frame react
  Verifying,   // the verification runs: the same
};

class TaskWindow {
 public:
  virtual ~TaskWindow() = default;

  // Appends one line at the end of the log; an empty text appends an empty line.
  virtual void AppendLog(const std::string& line) = 0;
  virtual void ClearLog() = 0;
  // Replaces the status line; a line feed starts a second line, an empty text blanks it.
  virtual void SetStatus(const std::string& text) = 0;
  // The status line's resting text.
  virtual std::string StatusBanner() = 0;
  // Dispatches every event already queued (a click on Abort among them), then returns.
  virtual void ProcessPendingEvents() = 0;
  // A modal box with the text and one OK button; returns when the user closes it.
  virtual void ShowMessageBox(const std::string& text) = 0;
  // The window's report of an error that ended a task (see ErrorBoxText).
  virtual void ShowErrorBox(const std::string& message) = 0;

  // Shows the latest status at once, before a step that may take a while (writing the
  // checkfile to a slow medium); otherwise the window may show statuses in batches.
  virtual void ShowStatusNow() = 0;

  virtual void EnterState(TaskState state) = 0;

  // The abort flag: set only when the user asks to stop, cleared by each task when it starts.
  virtual bool IsAbortRequested() = 0;
  virtual void SetAbortRequested(bool requested) = 0;

  // The folder the generation walks and the choice of a checkfile starts in.
  virtual std::string GetSelectedFolder() = 0;
  virtual void SetSelectedFolder(const std::string& folder) = 0;

  // The program's version text, as the checkfile's first header line records it.
  virtual std::string VersionText() = 0;

  // Shows the checkfile open dialog starting in initialFolder. True with the chosen file's
  // full name when the user confirmed a choice, false when the user cancelled.
  virtual bool RunOpenDialog(const std::string& initialFolder, std::string& fileName) = 0;
};

// A failure that ends a task (a checkfile that cannot be written or read), carrying the text
// the user sees. The window's handler catches it and passes the text to ShowErrorBox.
class TaskError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The error box's text: the message with a full stop added when its last character sorts
// above "." in byte order (a letter or digit), so "...)", "...!" and "..." stay as they are.
inline std::string ErrorBoxText(std::string message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') message += '.';
  return message;
}

}  // namespace checkfile
