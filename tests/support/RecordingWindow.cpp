#include "tests/support/RecordingWindow.h"

#include <algorithm>

#include "checkfile/Tasks.h"

namespace testing_support {

using checkfile::TaskState;

const char* StateName(TaskState state) {
  switch (state) {
    case TaskState::Idle:
      return "idle";
    case TaskState::Generating:
      return "generating";
    case TaskState::Verifying:
      return "verifying";
  }
  return "?";
}

RecordingWindow::RecordingWindow() = default;

void RecordingWindow::Record(Op op, std::string text) {
  calls_.push_back({op, std::move(text)});
}

void RecordingWindow::AppendLog(const std::string& line) {
  Record(Op::AppendLog, line);
  log.push_back(line);
}

void RecordingWindow::ClearLog() {
  Record(Op::ClearLog);
  log.clear();
}

void RecordingWindow::SetStatus(const std::string& text) {
  Record(Op::SetStatus, text);
  status = text;
}

std::string RecordingWindow::StatusBanner() {
  Record(Op::StatusBanner);
  return banner;
}

void RecordingWindow::ProcessPendingEvents() {
  Record(Op::ProcessPendingEvents);
  if (++events_ == abortAtEvent) abortRequested = true;
  if (onEvents) onEvents();
}

void RecordingWindow::ShowMessageBox(const std::string& text) {
  Record(Op::ShowMessageBox, text);
}

void RecordingWindow::ShowErrorBox(const std::string& message) {
  Record(Op::ShowErrorBox, message);
}

void RecordingWindow::ShowStatusNow() {
  Record(Op::ShowStatusNow);
}

void RecordingWindow::EnterState(TaskState next) {
  Record(Op::EnterState, StateName(next));
  state = next;
}

bool RecordingWindow::IsAbortRequested() {
  Record(Op::IsAbortRequested);
  return abortRequested;
}

void RecordingWindow::SetAbortRequested(bool requested) {
  Record(Op::SetAbortRequested, requested ? "on" : "off");
  abortRequested = requested;
}

std::string RecordingWindow::GetSelectedFolder() {
  Record(Op::GetSelectedFolder);
  return selectedFolder;
}

void RecordingWindow::SetSelectedFolder(const std::string& folder) {
  Record(Op::SetSelectedFolder, folder);
  selectedFolder = folder;
}

std::string RecordingWindow::VersionText() {
  Record(Op::VersionText);
  return version;
}

bool RecordingWindow::RunOpenDialog(const std::string& initialFolder, std::string& fileName) {
  Record(Op::RunOpenDialog, initialFolder);
  if (dialogConfirms) fileName = dialogFileName;
  return dialogConfirms;
}

size_t RecordingWindow::Count(Op op) const {
  return static_cast<size_t>(
      std::count_if(calls_.begin(), calls_.end(), [op](const Call& c) { return c.op == op; }));
}

std::vector<std::string> RecordingWindow::Trace() const {
  std::vector<std::string> lines;
  for (const Call& call : calls_) {
    switch (call.op) {
      case Op::AppendLog:
        lines.push_back("log: " + call.text);
        break;
      case Op::ClearLog:
        lines.push_back("clear log");
        break;
      case Op::SetStatus:
        lines.push_back("status: " + call.text);
        break;
      case Op::ProcessPendingEvents:
        lines.push_back("events");
        break;
      case Op::ShowMessageBox:
        lines.push_back("box: " + call.text);
        break;
      case Op::ShowErrorBox:
        lines.push_back("error box: " + call.text);
        break;
      case Op::ShowStatusNow:
        lines.push_back("status shown");
        break;
      case Op::EnterState:
        lines.push_back("state: " + call.text);
        break;
      case Op::SetAbortRequested:
        lines.push_back("abort flag " + call.text);
        break;
      case Op::SetSelectedFolder:
        lines.push_back("selected folder: " + call.text);
        break;
      case Op::RunOpenDialog:
        lines.push_back("open dialog in: " + call.text);
        break;
      case Op::StatusBanner:
      case Op::IsAbortRequested:
      case Op::GetSelectedFolder:
      case Op::VersionText:
        break;
    }
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
