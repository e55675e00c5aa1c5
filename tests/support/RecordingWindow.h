// A TaskWindow that records every call in order, so tests can assert exact sequences and count
// calls. The open dialog's answer is scripted; the abort flag can be raised from inside a
// chosen ProcessPendingEvents call, the way a click on Abort arrives.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "checkfile/TaskWindow.h"
#include "version/Version.h"

namespace testing_support {

class RecordingWindow : public checkfile::TaskWindow {
 public:
  enum class Op {
    AppendLog,
    ClearLog,
    SetStatus,
    StatusBanner,
    ProcessPendingEvents,
    ShowMessageBox,
    ShowErrorBox,
    ShowStatusNow,
    EnterState,
    IsAbortRequested,
    SetAbortRequested,
    GetSelectedFolder,
    SetSelectedFolder,
    VersionText,
    RunOpenDialog,
  };
  struct Call {
    Op op;
    std::string text;  // the argument as the trace shows it
  };

  void AppendLog(const std::string& line) override {
    Record(Op::AppendLog, line);
    log.push_back(line);
  }
  void ClearLog() override {
    Record(Op::ClearLog);
    log.clear();
  }
  void SetStatus(const std::string& text) override {
    Record(Op::SetStatus, text);
    status = text;
  }
  std::string StatusBanner() override { return Recorded(Op::StatusBanner, banner); }
  void ProcessPendingEvents() override;
  void ShowMessageBox(const std::string& text) override { Record(Op::ShowMessageBox, text); }
  void ShowErrorBox(const std::string& message) override { Record(Op::ShowErrorBox, message); }
  void ShowStatusNow() override { Record(Op::ShowStatusNow); }
  void EnterState(checkfile::TaskState next) override;
  bool IsAbortRequested() override { return Recorded(Op::IsAbortRequested, abortRequested); }
  void SetAbortRequested(bool requested) override {
    Record(Op::SetAbortRequested, requested ? "on" : "off");
    abortRequested = requested;
  }
  std::string GetSelectedFolder() override {
    return Recorded(Op::GetSelectedFolder, selectedFolder);
  }
  void SetSelectedFolder(const std::string& folder) override {
    Record(Op::SetSelectedFolder, folder);
    selectedFolder = folder;
  }
  std::string VersionText() override { return Recorded(Op::VersionText, version); }
  bool RunOpenDialog(const std::string& initialFolder, std::string& fileName) override {
    Record(Op::RunOpenDialog, initialFolder);
    if (dialogConfirms) fileName = dialogFileName;
    return dialogConfirms;
  }

  // Every call so far, queries included.
  const std::vector<Call>& Calls() const { return calls_; }
  size_t Count(Op op) const;
  // The calls that change something or show something, as lines such as "log: File: a.txt",
  // "status: ...", "events", "state: generating", "box: ...", "error box: ...". The queries
  // (StatusBanner, IsAbortRequested, GetSelectedFolder, VersionText) are left out.
  std::vector<std::string> Trace() const;
  // Forgets the calls so far; the window's contents stay.
  void ForgetCalls() { calls_.clear(); }

  // What the window shows now.
  std::vector<std::string> log;
  std::string status;
  checkfile::TaskState state = checkfile::TaskState::Idle;
  bool abortRequested = false;
  std::string selectedFolder;
  std::string version = VRTLY_FILE_VERSION_TEXT;
  std::string banner =
      "Veritally version " VRTLY_FILE_VERSION_TEXT "\nFree for any use, not for sale; no warranty.";

  // The open dialog's scripted answer.
  bool dialogConfirms = true;
  std::string dialogFileName;

  // Raises the abort flag inside the n-th ProcessPendingEvents call (counted from 1); 0: never.
  size_t abortAtEvent = 0;
  // Runs inside every ProcessPendingEvents call, after the abort hook.
  std::function<void()> onEvents;

 private:
  void Record(Op op, std::string text = std::string()) { calls_.push_back({op, std::move(text)}); }
  // A query: recorded, then answered with the value.
  template <typename T>
  const T& Recorded(Op op, const T& value) {
    Record(op);
    return value;
  }

  std::vector<Call> calls_;
  size_t events_ = 0;
};

// The two tasks as their buttons start them: "Go!" on the folder, "Open Checkfile..." with
// the dialog answering the checkfile's name.
void Generate(RecordingWindow& window, const std::string& folder);
void Verify(RecordingWindow& window, const std::string& checkfile);

// The message of the TaskError that f throws, or "no error".
template <typename F>
std::string ErrorOf(F&& f) {
  try {
    f();
  } catch (const checkfile::TaskError& error) {
    return error.what();
  }
  return "no error";
}

}  // namespace testing_support
