#include "tests/support/RecordingWindow.h"

#include <algorithm>
#include <map>

#include "checkfile/Tasks.h"

namespace testing_support {

using checkfile::TaskState;

namespace {

const char* StateName(TaskState state) {
  static const char* const kNames[] = {"idle", "generating", "verifying"};  // in TaskState's order
  return kNames[static_cast<int>(state)];
}

}  // namespace

void RecordingWindow::ProcessPendingEvents() {
  Record(Op::ProcessPendingEvents);
  if (++events_ == abortAtEvent) abortRequested = true;
  if (onEvents) onEvents();
}

void RecordingWindow::EnterState(TaskState next) {
  Record(Op::EnterState, StateName(next));
  state = next;
}

size_t RecordingWindow::Count(Op op) const {
  return static_cast<size_t>(
      std::count_if(calls_.begin(), calls_.end(), [op](const Call& c) { return c.op == op; }));
}

std::vector<std::string> RecordingWindow::Trace() const {
  // Each call's line: its text, then its argument (none for the calls that take none); the
  // queries have none.
  static const std::map<Op, const char*> kLines = {{Op::AppendLog, "log: "},
                                                   {Op::ClearLog, "clear log"},
                                                   {Op::SetStatus, "status: "},
                                                   {Op::ProcessPendingEvents, "events"},
                                                   {Op::ShowMessageBox, "box: "},
                                                   {Op::ShowErrorBox, "error box: "},
                                                   {Op::ShowStatusNow, "status shown"},
                                                   {Op::EnterState, "state: "},
                                                   {Op::SetAbortRequested, "abort flag "},
                                                   {Op::SetSelectedFolder, "selected folder: "},
                                                   {Op::RunOpenDialog, "open dialog in: "}};
  std::vector<std::string> lines;
  for (const Call& call : calls_) {
    if (const auto found = kLines.find(call.op); found != kLines.end())
      lines.push_back(found->second + call.text);
  }
  return lines;
}

void Generate(RecordingWindow& window, const std::string& folder) {
  window.selectedFolder = folder;
  checkfile::RunTask(window, checkfile::RunGeneration);
}

void Verify(RecordingWindow& window, const std::string& checkfile) {
  window.dialogFileName = checkfile;
  checkfile::RunTask(window, checkfile::RunVerification);
}

}  // namespace testing_support
