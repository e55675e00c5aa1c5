#include "tests/support/VrtlyRuns.h"

#include "platform/Path.h"
#include "tests/support/CheckfileSamples.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

namespace testing_support {

namespace fs = std::filesystem;

ProgramRun Vrtly(const std::vector<std::string>& args, const std::string& workingFolder) {
  return RunProgram(VRTLY_CLI_PATH, args, workingFolder);
}

ProgramRun VrtlyInterrupted(const std::vector<std::string>& args) {
  return RunProgram(VRTLY_CLI_PATH, args, std::string(), [](ChildProcess& child) {
    EXPECT_TRUE(child.WaitForOutput(1, std::chrono::seconds(120))) << "no output before the end";
    EXPECT_TRUE(child.Interrupt());
  });
}

std::string Numbered(const char* stem, int n, size_t digits) {
  const std::string number = std::to_string(n);
  return stem + std::string(digits - std::min(digits, number.size()), '0') + number;
}

void MakeSlowTree(const TempDir& dir, int largeFiles) {
  fs::create_directories(dir.path() / "a");
  for (int n = 0; n < kSlowTreeSmallFiles; ++n)
    WriteFile(dir / ("a/" + Numbered("a-name-long-enough-to-fill-the-log-", n)), "");
  fs::create_directories(dir.path() / "b");
  for (int n = 0; n < largeFiles; ++n) {
    const std::string large = dir / ("b/" + Numbered("large-", n));
    WriteFile(large, "");
    fs::resize_file(large, kSlowTreeLargeSize);
  }
}

VrtlyTree::VrtlyTree()
    : sub(platform::JoinPath(folder, "sub")),
      a(platform::JoinPath(folder, "a.txt")),
      abc(platform::JoinPath(sub, "abc.txt")),
      checkfile(platform::JoinPath(folder, checkfile::kCheckfileName)) {
  WriteFile(a, "a");
  WriteFile(abc, "abc");
}

Lines VrtlyTree::Made() const {
  return {"File: a.txt", "Folder: " + sub, "File: abc.txt", SavedTo(folder)};
}

Lines VrtlyTree::Checked(const Lines& results, size_t tested, size_t notTested,
                         size_t mismatched) const {
  Lines out = {"Testing MD5 sums in " + checkfile};
  Append(out, results);
  Append(out, Summary(tested, notTested, mismatched));
  return out;
}

void ExpectRun(const ProgramRun& run, int exitCode, const std::vector<std::string>& out,
               const std::vector<std::string>& err) {
  EXPECT_EQ(run.exitCode, exitCode);
  EXPECT_EQ(run.out, out);
  EXPECT_EQ(run.err, err);
}

void ExpectAbortedEnd(const std::vector<std::string>& out, size_t aborted) {
  ASSERT_GE(out.size(), aborted + 1);
  for (size_t i = out.size() - aborted; i < out.size(); ++i)
    EXPECT_EQ(out[i], kAborted) << "line " << i;
  EXPECT_NE(out[out.size() - aborted - 1], kAborted);
}

#ifndef _WIN32
TerminalRun VrtlyOnTerminal(const std::vector<std::string>& args, unsigned short columns) {
  TempDir outputs;
  const std::string outPath = outputs / "stdout";
  int master = -1;
  int terminal = -1;
  winsize size = {};
  size.ws_row = 24;
  size.ws_col = columns;
  TerminalRun run;
  EXPECT_EQ(openpty(&master, &terminal, nullptr, nullptr, &size), 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  posix_spawn_file_actions_adddup2(&actions, terminal, 2);
  posix_spawn_file_actions_addclose(&actions, master);
  posix_spawn_file_actions_addclose(&actions, terminal);
  std::vector<std::string> strings = {VRTLY_CLI_PATH};
  strings.insert(strings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : strings)
    argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t child = -1;
  const int spawned =
      posix_spawn(&child, strings[0].c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(terminal);
  EXPECT_EQ(spawned, 0);
  if (spawned != 0) {
    close(master);
    return run;
  }
  // Until the child has closed the terminal (EIO once the last holder of the other side has
  // closed it); a hung child ends the reading after two minutes and fails on its output.
  char buffer[4096];
  for (;;) {
    pollfd ready = {master, POLLIN, 0};
    if (poll(&ready, 1, 120000) <= 0) break;
    const ssize_t got = read(master, buffer, sizeof buffer);
    if (got <= 0) break;
    run.drawn.append(buffer, static_cast<size_t>(got));
  }
  close(master);
  int status = 0;
  EXPECT_EQ(waitpid(child, &status, 0), child);
  if (WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
  run.out = SplitOutputLines(ReadFile(outPath));
  return run;
}
#endif

}  // namespace testing_support
