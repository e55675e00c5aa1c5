#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "tests/support/ChildProcess.h"

namespace testing_support {

namespace {

// One argument as the C runtime's command-line parser reads it back.
std::string Quoted(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
  std::string quoted = "\"";
  size_t backslashes = 0;
  for (const char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    quoted += c;
    backslashes = 0;
  }
  quoted.append(backslashes * 2, '\\');
  return quoted + "\"";
}

HANDLE InheritableFile(const std::string& path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES security = {sizeof security, nullptr, TRUE};
  return CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &security,
                     disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Console control events reach the processes attached to the console they are raised on. The
// child has a console of its own; the test joins it for the moment of the event, ignoring the
// event itself, and leaves it again, its standard handles put back where the test runner put
// them.
bool PressCtrlC(DWORD processId) {
  const HANDLE in = GetStdHandle(STD_INPUT_HANDLE), out = GetStdHandle(STD_OUTPUT_HANDLE),
               err = GetStdHandle(STD_ERROR_HANDLE);
  FreeConsole();
  bool sent = false;
  if (AttachConsole(processId)) {
    SetConsoleCtrlHandler(nullptr, TRUE);
    sent = GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0) != 0;
    FreeConsole();
    SetConsoleCtrlHandler(nullptr, FALSE);
  }
  SetStdHandle(STD_INPUT_HANDLE, in);
  SetStdHandle(STD_OUTPUT_HANDLE, out);
  SetStdHandle(STD_ERROR_HANDLE, err);
  return sent;
}

}  // namespace

struct ChildProcess::Native {
  HANDLE process = nullptr;
  DWORD id = 0;
  HANDLE out = INVALID_HANDLE_VALUE;  // the test's own handle on the child's standard output
  bool ended = false;
  int exitCode = -1;
};

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const std::string& workingFolder)
    : outPath_(files_ / "stdout"), errPath_(files_ / "stderr"), native_(new Native) {
  std::string commandLine = Quoted(program);
  for (const std::string& arg : args)
    commandLine += " " + Quoted(arg);
  const HANDLE in = InheritableFile("NUL", GENERIC_READ, OPEN_EXISTING);
  native_->out = InheritableFile(outPath_, GENERIC_WRITE, CREATE_ALWAYS);
  const HANDLE err = InheritableFile(errPath_, GENERIC_WRITE, CREATE_ALWAYS);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  // A console of its own, not shown, that a Ctrl-C can be raised on.
  startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  startup.hStdInput = in;
  startup.hStdOutput = native_->out;
  startup.hStdError = err;
  PROCESS_INFORMATION info = {};
  if (CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                     CREATE_NEW_CONSOLE, nullptr,
                     workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup, &info)) {
    CloseHandle(info.hThread);
    native_->process = info.hProcess;
    native_->id = info.dwProcessId;
  }
  CloseHandle(in);
  CloseHandle(err);
}

ChildProcess::~ChildProcess() {
  if (Started() && !native_->ended) {
    TerminateProcess(native_->process, 1);
    Wait();
  }
  if (native_->process != nullptr) CloseHandle(native_->process);
  if (native_->out != INVALID_HANDLE_VALUE) CloseHandle(native_->out);
}

bool ChildProcess::Started() const {
  return native_->process != nullptr;
}

bool ChildProcess::WaitForOutput(size_t bytes, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < end) {
    LARGE_INTEGER size = {};
    if (GetFileSizeEx(native_->out, &size) && static_cast<size_t>(size.QuadPart) >= bytes)
      return true;
    if (WaitForSingleObject(native_->process, 1) == WAIT_OBJECT_0) return false;
  }
  return false;
}

bool ChildProcess::Interrupt() {
  return Started() && !native_->ended && PressCtrlC(native_->id);
}

int ChildProcess::Wait() {
  if (!Started()) return -1;
  if (native_->ended) return native_->exitCode;
  if (WaitForSingleObject(native_->process, 240000) != WAIT_OBJECT_0) {
    ADD_FAILURE() << "the child did not end in time; killed";
    TerminateProcess(native_->process, 1);
    WaitForSingleObject(native_->process, INFINITE);
  }
  DWORD code = 0;
  GetExitCodeProcess(native_->process, &code);
  native_->ended = true;
  native_->exitCode = static_cast<int>(code);
  return native_->exitCode;
}

}  // namespace testing_support
