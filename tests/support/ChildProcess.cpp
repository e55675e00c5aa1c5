#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>

namespace testing_support {

std::vector<std::string> SplitOutputLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    size_t stop = end;
    if (stop > start && text[stop - 1] == '\r') --stop;
    lines.push_back(text.substr(start, stop - start));
    start = end + 1;
  }
  return lines;
}

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& workingFolder,
                      const std::function<void(ChildProcess&)>& whileRunning) {
  ChildProcess child(program, args, workingFolder);
  EXPECT_TRUE(child.Started()) << program;
  if (whileRunning) whileRunning(child);
  ProgramRun run;
  run.exitCode = child.Wait();
  run.out = SplitOutputLines(child.Out());
  run.err = SplitOutputLines(child.Err());
  return run;
}

}  // namespace testing_support
