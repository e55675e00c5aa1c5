#include "tests/support/VrtlyRuns.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace testing_support {

namespace fs = std::filesystem;

ProgramRun Vrtly(const std::vector<std::string>& args, const std::string& workingFolder) {
  return RunProgram(VRTLY_CLI_PATH, args, workingFolder);
}

ProgramRun VrtlyInterrupted(const std::vector<std::string>& args) {
  ChildProcess child(VRTLY_CLI_PATH, args);
  EXPECT_TRUE(child.Started());
  ProgramRun run;
  EXPECT_TRUE(child.WaitForOutput(1, std::chrono::seconds(120))) << "no output before the end";
  EXPECT_TRUE(child.Interrupt());
  run.exitCode = child.Wait();
  run.out = SplitOutputLines(child.Out());
  run.err = SplitOutputLines(child.Err());
  return run;
}

std::string Numbered(const char* stem, int n) {
  const std::string digits = std::to_string(n);
  return stem + std::string(4 - digits.size(), '0') + digits;
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

}  // namespace testing_support
