#include "cli/ConsoleWindow.h"

#include "cli/Console.h"
#include "cli/FullName.h"
#include "version/Version.h"

namespace cli {

ConsoleWindow::ConsoleWindow(TaskKind kind, const std::string& operand, bool quiet)
    : outcome_(kind), quiet_(quiet), logOnTerminal_(IsTerminal(Stream::Out)) {
  if (kind == TaskKind::Verification) {
    checkfileName_ = FullName(operand);
  } else {
    selectedFolder_ = FullName(operand);
  }
  pendingLog_.reserve(kLogPiece + 4096);
}

ConsoleWindow::~ConsoleWindow() {
  Finish();
}

void ConsoleWindow::AppendLog(const std::string& line) {
  outcome_.SawLogLine(line);
  if (quiet_) {
    quietLog_.Take(line, [this](const std::string& shown) { WriteLogLine(shown); });
  } else {
    WriteLogLine(line);
  }
}

void ConsoleWindow::WriteLogLine(const std::string& line) {
  pendingLog_ += line;
  pendingLog_ += kNewline;
  if (logOnTerminal_ || pendingLog_.size() >= kLogPiece) FlushLog();
}

// When both streams show on one terminal the log lines must not land on the progress line:
// it is taken off first and drawn again below them.
void ConsoleWindow::FlushLog() {
  if (pendingLog_.empty()) return;
  const bool overlaps = logOnTerminal_ && progress_.Shown();
  if (overlaps) progress_.Erase();
  if (!WriteBytes(Stream::Out, pendingLog_)) logLost_ = true;
  pendingLog_.clear();
  if (overlaps) progress_.Draw();
}

checkfile::DigestSource& ConsoleWindow::Metered(checkfile::DigestSource& source) {
  meter_ = std::make_unique<DigestMeter>(source, progress_.Enabled());
  return *meter_;
}

void ConsoleWindow::SetStatus(const std::string& text) {
  if (!progress_.Take(text)) return;
  if (meter_) progress_.SetMeasure(meter_->Text());
  // The log lines that came before the status come first, also when the streams are apart.
  if (!logOnTerminal_) FlushLog();
  progress_.Draw();
}

void ConsoleWindow::ShowStatusNow() {
  if (!progress_.Enabled()) return;
  if (meter_) progress_.SetMeasure(meter_->Text());
  if (!logOnTerminal_) FlushLog();
  progress_.Draw();
}

std::string ConsoleWindow::StatusBanner() {
  return "Veritally version " + VersionText();
}

// The log so far comes first, then the text on a line of its own.
void ConsoleWindow::ShowOnErrorStream(const std::string& text) {
  progress_.Erase();
  FlushLog();
  WriteText(Stream::Err, text + "\n");
}

void ConsoleWindow::ShowMessageBox(const std::string& text) {
  outcome_.SawMessageBox();
  ShowOnErrorStream(text);
}

void ConsoleWindow::ShowErrorBox(const std::string& message) {
  outcome_.SawErrorBox();
  ShowOnErrorStream(checkfile::ErrorBoxText(message));
}

bool ConsoleWindow::IsAbortRequested() {
  return abortRequested_ || InterruptRequested();
}

std::string ConsoleWindow::VersionText() {
  return VRTLY_FILE_VERSION_TEXT;
}

bool ConsoleWindow::RunOpenDialog(const std::string&, std::string& fileName) {
  fileName = checkfileName_;
  return true;
}

// A log that did not reach its file is trouble of its own: whoever reads the file would take
// it for the whole log.
ExitCode ConsoleWindow::Finish() {
  progress_.Erase();
  FlushLog();
  const ExitCode code = outcome_.Code();
  if (!logLost_ || code == ExitCode::Interrupted) return code;
  if (!lossReported_) WriteText(Stream::Err, "vrtly: the log could not be written in full\n");
  lossReported_ = true;
  return ExitCode::Trouble;
}

}  // namespace cli
