// vrtly, the console tool, run as a child process: to its end, or until its first output and
// then stopped with Ctrl-C; and a tree that keeps a run busy long enough for the Ctrl-C to land
// inside it. The program is the vrtly built from the same sources for the same platform.
#pragma once

#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/TestFiles.h"

namespace testing_support {

// Runs vrtly with the arguments to its end.
ProgramRun Vrtly(const std::vector<std::string>& args,
                 const std::string& workingFolder = std::string());

// Runs vrtly until its first output appears, then presses Ctrl-C and waits for its end.
ProgramRun VrtlyInterrupted(const std::vector<std::string>& args);

// A tree whose walk fills the log's first piece (64 KiB) fast and then stays busy for seconds:
// folder a with kSlowTreeSmallFiles empty files of long names, then folder b with largeFiles
// large files (sparse, so they cost nothing to make). A Ctrl-C sent once the first output has
// appeared therefore always lands inside the walk.
inline constexpr int kSlowTreeSmallFiles = 3000;
inline constexpr int kSlowTreeLargeFiles = 150;
inline constexpr unsigned kSlowTreeLargeSize = 16u << 20;
void MakeSlowTree(const TempDir& dir, int largeFiles = kSlowTreeLargeFiles);
// A numbered name: the stem and the number in four digits (or as many as asked), as the slow
// tree and the jobs tests name their files.
std::string Numbered(const char* stem, int n, size_t digits = 4);

// a.txt and sub/abc.txt, and what vrtly prints for them.
struct VrtlyTree {
  VrtlyTree();
  TempDir dir;
  const std::string folder = dir.path().string();
  const std::string sub, a, abc, checkfile;  // full names
  // What make prints for it.
  std::vector<std::string> Made() const;
  // What check prints: its first line, the result lines, then the summary of the counts.
  std::vector<std::string> Checked(const std::vector<std::string>& results, size_t tested,
                                   size_t notTested, size_t mismatched) const;
};

// vrtly's exit codes.
inline constexpr int kSuccess = 0;
inline constexpr int kFilesFailed = 1;
inline constexpr int kTrouble = 2;
inline constexpr int kInterrupted = 130;

// The run ended with the exit code and printed exactly these lines.
void ExpectRun(const ProgramRun& run, int exitCode, const std::vector<std::string>& out,
               const std::vector<std::string>& err = {});

// The output ends with `aborted` lines "OPERATION ABORTED BY USER." (one a folder level), and
// the line before them is another.
void ExpectAbortedEnd(const std::vector<std::string>& out, size_t aborted);

#ifndef _WIN32
// vrtly run to its end with standard error on a pseudo-terminal of the given width and standard
// output in a file: the exit code (-1 when it did not exit), the lines of standard output, and
// the bytes drawn on the terminal.
struct TerminalRun {
  int exitCode = -1;
  std::vector<std::string> out;
  std::string drawn;
};
TerminalRun VrtlyOnTerminal(const std::vector<std::string>& args, unsigned short columns);
#endif

}  // namespace testing_support
