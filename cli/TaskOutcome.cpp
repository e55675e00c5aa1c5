#include "cli/TaskOutcome.h"

#include <string_view>

#include "checkfile/Unlisted.h"
#include "checkfile/Update.h"

namespace cli {

namespace {

constexpr std::string_view kAborted = "OPERATION ABORTED BY USER.";
constexpr std::string_view kSaved = "Operation complete.  Check file saved to ";
constexpr std::string_view kSummaryStart = "Operation complete.";
constexpr std::string_view kEveryFileOk = "EVERY FILE APPEARS OK!";

bool StartsWith(const std::string& line, std::string_view prefix) {
  return line.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

void TaskOutcome::SawLogLine(const std::string& line) {
  if (line == kAborted) {
    aborted_ = true;
  } else if (kind_ == TaskKind::Verification) {
    SawVerificationLine(line);
  } else {
    SawWalkLine(line);
  }
}

// The walk of make and update logs "Folder: " and "File: " lines, and update its "ADDED: ",
// "CHANGED: " and "REMOVED: " lines; the only other line it writes for an entry is the report
// that the entry was left out or could not be read (a file that could not be digested, a name
// that the checkfile cannot hold, a folder that could not be listed). After the saved line
// update logs its counts.
void TaskOutcome::SawWalkLine(const std::string& line) {
  if (ended_) return;
  if (StartsWith(line, "Folder: ") || StartsWith(line, "File: ")) return;
  if (kind_ == TaskKind::Update &&
      (StartsWith(line, checkfile::kAddedPrefix) || StartsWith(line, checkfile::kChangedPrefix) ||
       StartsWith(line, checkfile::kRemovedPrefix)))
    return;
  if (StartsWith(line, kSaved)) {
    ended_ = completed_ = true;
  } else {
    filesFailed_ = true;
  }
}

// Mismatches and files that could not be tested are the "ERROR: " lines; the summary ends with
// "EVERY FILE APPEARS OK!" only when files were tested and all of them matched. After it, the
// search for unlisted files fails the run with every "NOT LISTED: " line, and when a folder
// could not be searched.
void TaskOutcome::SawVerificationLine(const std::string& line) {
  if (StartsWith(line, "ERROR: ")) {
    filesFailed_ = true;
  } else if (StartsWith(line, checkfile::kNotListedPrefix) ||
             line == checkfile::kNoneFoundWhereSearchedText) {
    notAllListed_ = true;
  } else if (line == kSummaryStart) {
    ended_ = true;
  } else if (line == kEveryFileOk) {
    completed_ = true;
  }
}

ExitCode TaskOutcome::Code() const {
  if (aborted_) return ExitCode::Interrupted;
  if (boxShown_) return ExitCode::Trouble;
  if (kind_ != TaskKind::Verification && !completed_) return ExitCode::Trouble;
  if (filesFailed_) return ExitCode::FilesFailed;
  // A verification that tested nothing ("No files were tested.") has checked nothing, whatever
  // the search for unlisted files found after it.
  if (!completed_) return ExitCode::Trouble;
  return notAllListed_ ? ExitCode::FilesFailed : ExitCode::Success;
}

}  // namespace cli
