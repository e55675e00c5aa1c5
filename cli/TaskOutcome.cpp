#include "cli/TaskOutcome.h"

#include <string_view>

namespace cli {

namespace {

constexpr std::string_view kAborted = "OPERATION ABORTED BY USER.";
constexpr std::string_view kSaved = "Operation complete.  Check file saved to ";
constexpr std::string_view kEveryFileOk = "EVERY FILE APPEARS OK!";

bool StartsWith(const std::string& line, std::string_view prefix) {
  return line.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

void TaskOutcome::SawLogLine(const std::string& line) {
  if (line == kAborted) {
    aborted_ = true;
  } else if (kind_ == TaskKind::Generation) {
    SawGenerationLine(line);
  } else {
    SawVerificationLine(line);
  }
}

// The walk logs "Folder: " and "File: " lines; the only other line it writes for an entry is
// the report that the entry was left out (a file that could not be digested, a name that the
// checkfile cannot hold).
void TaskOutcome::SawGenerationLine(const std::string& line) {
  if (StartsWith(line, "Folder: ") || StartsWith(line, "File: ")) return;
  if (StartsWith(line, kSaved)) {
    completed_ = true;
  } else {
    filesFailed_ = true;
  }
}

// Mismatches and files that could not be tested are the "ERROR: " lines; the summary ends with
// "EVERY FILE APPEARS OK!" only when files were tested and all of them matched.
void TaskOutcome::SawVerificationLine(const std::string& line) {
  if (StartsWith(line, "ERROR: ")) {
    filesFailed_ = true;
  } else if (line == kEveryFileOk) {
    completed_ = true;
  }
}

ExitCode TaskOutcome::Code() const {
  if (aborted_) return ExitCode::Interrupted;
  if (boxShown_) return ExitCode::Trouble;
  if (kind_ == TaskKind::Generation && !completed_) return ExitCode::Trouble;
  if (filesFailed_) return ExitCode::FilesFailed;
  // A verification that tested nothing ("No files were tested.") has checked nothing.
  return completed_ ? ExitCode::Success : ExitCode::Trouble;
}

}  // namespace cli
