// A program run as a child process for a test. Its standard output and error go to files, so
// the test can watch the output grow while it runs and no pipe can fill up and stall it.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/TestFiles.h"

namespace testing_support {

class ChildProcess {
 public:
  // Starts program with the arguments, in workingFolder (empty: the test's own), with standard
  // input empty. Started() tells whether it could be started.
  ChildProcess(const std::string& program, const std::vector<std::string>& args,
               const std::string& workingFolder = std::string());
  // A child still running is killed.
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Started() const;
  // Waits until the standard output holds at least the given number of bytes; false when the
  // child ends first or the time runs out.
  bool WaitForOutput(size_t bytes, std::chrono::milliseconds timeout);
  // Ctrl-C, as a person at the console would press it. POSIX: SIGINT. Windows: a Ctrl-C event
  // on the child's console (each child has one of its own, hidden).
  bool Interrupt();
  // Waits for the end; the exit code (POSIX: 128 + the signal's number for a signal's end).
  int Wait();

  std::string Out() const { return ReadFile(outPath_); }
  std::string Err() const { return ReadFile(errPath_); }

 private:
  struct Native;  // the backend's process handle or id
  TempDir files_;
  std::string outPath_;
  std::string errPath_;
  std::unique_ptr<Native> native_;
};

// The text split into lines at LF, a CR before it dropped; a final line break adds no line.
std::vector<std::string> SplitOutputLines(const std::string& text);

struct ProgramRun {
  int exitCode = -1;
  std::vector<std::string> out;  // the lines of standard output
  std::vector<std::string> err;  // the lines of standard error
};

// Runs the program to its end (within a generous time; then it is killed and the test fails);
// whileRunning, when given, acts on the child once it has started.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& workingFolder = std::string(),
                      const std::function<void(ChildProcess&)>& whileRunning = nullptr);

}  // namespace testing_support
