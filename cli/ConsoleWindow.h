// The window the tasks run in when the console tool runs them: the log goes to standard
// output, the status line to a progress line on standard error (on a terminal only), the boxes'
// texts to standard error, and Ctrl-C is the Abort button.
#pragma once

#include <memory>
#include <string>

#include "checkfile/TaskWindow.h"
#include "cli/DigestMeter.h"
#include "cli/ExitCode.h"
#include "cli/ProgressLine.h"
#include "cli/QuietLog.h"
#include "cli/TaskOutcome.h"

namespace cli {

class ConsoleWindow : public checkfile::TaskWindow {
 public:
  // operand: the FOLDER that "make" scans and "update" updates, or the CHECKFILE that "check"
  // opens; the window hands the task its full name (FullName.h). quiet: the log as QuietLog.h
  // shows it.
  ConsoleWindow(TaskKind kind, const std::string& operand, bool quiet = false);
  ~ConsoleWindow() override;
  ConsoleWindow(const ConsoleWindow&) = delete;
  ConsoleWindow& operator=(const ConsoleWindow&) = delete;

  void AppendLog(const std::string& line) override;
  void ClearLog() override {}  // what was written stays written
  void SetStatus(const std::string& text) override;
  std::string StatusBanner() override;
  void ProcessPendingEvents() override {}  // Ctrl-C arrives by itself
  void ShowMessageBox(const std::string& text) override;
  void ShowErrorBox(const std::string& message) override;
  void ShowStatusNow() override;
  void EnterState(checkfile::TaskState) override {}
  // Raised by a Ctrl-C at any time since the start of the program, also before the task's own
  // clearing of the flag at its start: that Ctrl-C was meant for this run too.
  bool IsAbortRequested() override;
  void SetAbortRequested(bool requested) override { abortRequested_ = requested; }
  std::string GetSelectedFolder() override { return selectedFolder_; }
  void SetSelectedFolder(const std::string& folder) override { selectedFolder_ = folder; }
  std::string VersionText() override;
  // Confirms the CHECKFILE argument's full name as the chosen file.
  bool RunOpenDialog(const std::string& initialFolder, std::string& fileName) override;

  // The task's digests, through a meter that tells the progress line how far they have come.
  // The window keeps the meter; the source must outlive it.
  checkfile::DigestSource& Metered(checkfile::DigestSource& source);
  // The full name of the CHECKFILE that "check" opens.
  const std::string& CheckfileName() const { return checkfileName_; }
  // Whether the task ran to its end (TaskOutcome::RanToTheEnd).
  bool TaskRanToTheEnd() const { return outcome_.RanToTheEnd(); }

  // Takes the progress line off the terminal, writes out the rest of the log and tells how the
  // task ended (trouble, too, when the log could not be written).
  ExitCode Finish();

 private:
  void WriteLogLine(const std::string& line);
  void FlushLog();
  void ShowOnErrorStream(const std::string& text);

  TaskOutcome outcome_;
  ProgressLine progress_;
  std::unique_ptr<DigestMeter> meter_;
  const bool quiet_;
  QuietLog quietLog_;
  std::string selectedFolder_;
  std::string checkfileName_;
  bool abortRequested_ = false;

  // The log is written in large pieces, but line by line to a terminal, where a person waits
  // for each line.
  static constexpr size_t kLogPiece = 64 * 1024;
  const bool logOnTerminal_;
  std::string pendingLog_;
  bool logLost_ = false;  // a piece of the log could not be written
  bool lossReported_ = false;
};

}  // namespace cli
