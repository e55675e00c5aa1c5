// How a task ended, read from what it showed its window: the log lines, the message box and
// the error box. The tasks' texts are fixed, and every line that names a file starts with a
// fixed prefix, so no file name can pass for an outcome.
#pragma once

#include <string>

#include "cli/ExitCode.h"

namespace cli {

// Generation: "make"; Verification: "check", with the search for unlisted files after it when
// asked; Update: "update".
enum class TaskKind { Generation, Verification, Update };

class TaskOutcome {
 public:
  explicit TaskOutcome(TaskKind kind) : kind_(kind) {}

  void SawLogLine(const std::string& line);
  void SawMessageBox() { boxShown_ = true; }
  void SawErrorBox() { boxShown_ = true; }

  // Whether the task ran to its end: not stopped, no box, and its last line logged (the
  // checkfile saved; the verification's summary).
  bool RanToTheEnd() const { return !aborted_ && !boxShown_ && ended_; }
  ExitCode Code() const;

 private:
  void SawWalkLine(const std::string& line);
  void SawVerificationLine(const std::string& line);

  TaskKind kind_;
  bool aborted_ = false;
  bool boxShown_ = false;      // "No files to work with!", or an error that ended the task
  bool ended_ = false;         // the checkfile was saved; the summary was logged
  bool completed_ = false;     // the checkfile was saved; every listed file was tested
  bool filesFailed_ = false;   // a file left out, mismatched or not tested
  bool notAllListed_ = false;  // a file not listed, or a folder not searched for such files
};

}  // namespace cli
