#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "tests/support/ChildProcess.h"

extern char** environ;

namespace testing_support {

namespace {

// The child starts with SIGINT at its default action, whatever the test runner set.
bool SpawnAttributes(posix_spawnattr_t& attributes) {
  if (posix_spawnattr_init(&attributes) != 0) return false;
  sigset_t defaults, none;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGINT);
  sigemptyset(&none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  return true;
}

int ExitCodeOf(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

}  // namespace

struct ChildProcess::Native {
  pid_t pid = -1;
  bool ended = false;
  int exitCode = -1;
};

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const std::string& workingFolder)
    : outPath_(files_ / "stdout"), errPath_(files_ / "stderr"), native_(new Native) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  posix_spawn_file_actions_addopen(&actions, 2, errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  if (!workingFolder.empty()) posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str());
  posix_spawnattr_t attributes;
  const bool haveAttributes = SpawnAttributes(attributes);
  std::vector<std::string> words = {program};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words)
    argv.push_back(word.data());
  argv.push_back(nullptr);
  if (posix_spawn(&native_->pid, program.c_str(), &actions, haveAttributes ? &attributes : nullptr,
                  argv.data(), environ) != 0)
    native_->pid = -1;
  if (haveAttributes) posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
}

ChildProcess::~ChildProcess() {
  if (Started() && !native_->ended) {
    kill(native_->pid, SIGKILL);
    Wait();
  }
}

bool ChildProcess::Started() const {
  return native_->pid > 0;
}

bool ChildProcess::WaitForOutput(size_t bytes, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < end) {
    struct stat info;
    if (stat(outPath_.c_str(), &info) == 0 && static_cast<size_t>(info.st_size) >= bytes)
      return true;
    int status = 0;
    if (!native_->ended && waitpid(native_->pid, &status, WNOHANG) == native_->pid) {
      native_->ended = true;
      native_->exitCode = ExitCodeOf(status);
    }
    if (native_->ended) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return false;
}

bool ChildProcess::Interrupt() {
  return Started() && !native_->ended && kill(native_->pid, SIGINT) == 0;
}

int ChildProcess::Wait() {
  if (!Started()) return -1;
  if (native_->ended) return native_->exitCode;
  // Nothing the tests run takes long; a hung child would otherwise hang the suite.
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(240);
  int status = 0;
  for (;;) {
    const pid_t done = waitpid(native_->pid, &status, WNOHANG);
    if (done == native_->pid) break;
    if (done < 0 && errno != EINTR) return -1;
    if (std::chrono::steady_clock::now() > end) {
      ADD_FAILURE() << "the child did not end in time; killed";
      kill(native_->pid, SIGKILL);
      waitpid(native_->pid, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  native_->ended = true;
  native_->exitCode = ExitCodeOf(status);
  return native_->exitCode;
}

}  // namespace testing_support
