// Runs one of the two tasks from the command line, for the check that a checkfile travels
// between the Windows and the POSIX backend:
//
//   checkfile_driver generate FOLDER      writes FOLDER's checkfile
//   checkfile_driver verify CHECKFILE     tests the files CHECKFILE lists
//
// Every log line goes to the standard output, a box's text to the standard error. The exit code
// is 0 when the task ended as it does on success ("Operation complete." after a generation,
// "EVERY FILE APPEARS OK!" after a verification), 1 when it did not, 2 for a wrong command line.
#include <cstdio>
#include <string>

#include "app/resources/Version.h"
#include "checkfile/Tasks.h"

namespace {

class ConsoleWindow : public checkfile::TaskWindow {
 public:
  explicit ConsoleWindow(std::string argument) : argument_(std::move(argument)) {}

  void AppendLog(const std::string& line) override {
    std::printf("%s\n", line.c_str());
    lastLine_ = line;
  }
  void ClearLog() override {}
  void SetStatus(const std::string&) override {}
  std::string StatusBanner() override { return "Veritally version " VRTLY_FILE_VERSION_TEXT; }
  void ProcessPendingEvents() override {}
  void ShowMessageBox(const std::string& text) override {
    std::fprintf(stderr, "%s\n", text.c_str());
  }
  void ShowErrorBox(const std::string& message) override {
    std::fprintf(stderr, "%s\n", checkfile::ErrorBoxText(message).c_str());
  }
  void SetControlEnabled(checkfile::TaskControl, bool) override {}
  bool IsAbortRequested() override { return false; }
  void SetAbortRequested(bool) override {}
  std::string GetSelectedFolder() override { return argument_; }
  void SetSelectedFolder(const std::string& folder) override { argument_ = folder; }
  std::string VersionText() override { return VRTLY_FILE_VERSION_TEXT; }
  bool RunOpenDialog(const std::string&, std::string& fileName) override {
    fileName = argument_;
    return true;
  }

  const std::string& LastLine() const { return lastLine_; }

 private:
  std::string argument_;
  std::string lastLine_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s generate FOLDER | verify CHECKFILE\n", argv[0]);
    return 2;
  }
  const std::string command = argv[1];
  ConsoleWindow window(argv[2]);
  if (command == "generate") {
    checkfile::RunTask(window, checkfile::RunGeneration);
    return window.LastLine().rfind("Operation complete.", 0) == 0 ? 0 : 1;
  }
  if (command == "verify") {
    checkfile::RunTask(window, checkfile::RunVerification);
    return window.LastLine() == "EVERY FILE APPEARS OK!" ? 0 : 1;
  }
  std::fprintf(stderr, "unknown command: %s\n", command.c_str());
  return 2;
}
