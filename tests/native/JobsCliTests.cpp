// vrtly -j as a child process: the same standard output and checkfile entries for any number of
// jobs over a tree with failures mixed in, and, without -j, the number of jobs chosen by the
// medium, which -v names on standard error. (Ctrl-C during a run of several jobs: CliTests.)
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "checkfile/CheckfileFormat.h"
#include "platform/File.h"
#include "platform/FileTime.h"
#include "platform/Path.h"
#include "tests/support/CheckfileSamples.h"
#include "tests/support/CheckfileTimes.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestFiles.h"
#include "tests/support/VrtlyRuns.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

namespace fs = std::filesystem;
using namespace testing_support;  // the test support: files, samples, windows, faults

// 2,000 files of many sizes in 25 folders, every 40th of 300 KB, with failures mixed in: a file
// held open for writing by this process, and on POSIX a broken link, a FIFO and a name a
// checkfile cannot hold.
struct FailingTree {
  FailingTree() {
    for (int folder = 0; folder < 25; ++folder) {
      for (int n = 0; n < 80; ++n) {
        const std::string name = Numbered("d", folder) + "/" + Numbered("f", n);
        const size_t size =
            n % 40 == 39 ? 300000 : static_cast<size_t>(folder * 577 + n * 97) % 9000;
        WriteFile(dir / name, name + "\n" + PatternBytes(size));
      }
    }
    holder = platform::File::CreateForWrite(dir / "d0003/held");
#ifndef _WIN32
    fs::create_symlink(dir / "nowhere", dir / "d0001/broken-link");
    mkfifo((dir / "d0002/fifo").c_str(), 0600);
    WriteFile(dir / "d0004/back\\slash", "a name with a backslash");
#endif
  }

  TempDir dir;
  const std::string root = dir.path().string();
  const std::string checkfile = platform::JoinPath(root, checkfile::kCheckfileName);
  platform::File holder;
};

TEST(VrtlyJobs, AnyNumberOfJobsPrintsTheSequentialOutputAndWritesTheSameEntries) {
  FailingTree tree;
  struct Case {
    std::string command;
    Lines jobs;           // the option as typed
    const char* failure;  // lines that start so show the tree's failures in the first run
    long failures;        // at least so many of them
    const char* fileLimit = nullptr;  // POSIX: the limit on open files vrtly runs under
  };
  const Case cases[] = {
      {"make", {"-j", "1"}, "Could not open file", 1},
      {"make", {"-j2"}, "", 0},
      {"make", {"--jobs=8"}, "", 0},
#ifndef _WIN32
      // More files than the limit allows if every job filled all its lanes.
      {"make", {"-j", "64"}, "", 0, "48"},
#endif
      {"check", {"-j", "1"}, "ERROR: ", 4},
      {"check", {"--jobs", "2"}, "", 0},
      {"check", {"-j8"}, "", 0},
#ifndef _WIN32
      {"check", {"-j", "64"}, "", 0, "48"},
#endif
      {"update", {"-j", "1"}, "ADDED: ", 80 * 5},
      {"update", {"-j2"}, "", 0},
      {"update", {"--jobs=8"}, "", 0},
  };
  const std::string listing = tree.dir / "listing.MD5";
  std::string updateBase;
  ProgramRun sequential;
  std::string sequentialEntries;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command + " " + c.jobs.back());
    const bool first = c.jobs.back() == "1";
    if (c.command == "make") fs::remove(tree.checkfile);
    if (c.command == "check" && first) {
      // What make wrote, then stored digests that do not match (one of a file listed twice),
      // the held file and a file that is not there.
      std::string extra;
      for (const char* name : {"d0005\\f0005", "d0006\\f0039", "d0003\\held", "d0007\\missing"})
        extra += std::string(32, '0') + "|" + name + "\r\n";
      WriteFile(listing, ReadFile(tree.checkfile) + extra);
      // And for update: what make wrote without the folders d0010 to d0014.
      for (const std::string& line : checkfile::SplitLines(ReadFile(tree.checkfile))) {
        if (line.find("|d001") == std::string::npos || line.find("|d0015") != std::string::npos)
          updateBase += line + "\r\n";
      }
    }
    if (c.command == "update") {
      // Every listed file counts as unchanged: the update reads only the five folders' files.
      WriteFile(tree.checkfile, updateBase);
      SetModifiedFromNow(tree.checkfile, 3600);
    }
    Lines args = {c.command};
    args.insert(args.end(), c.jobs.begin(), c.jobs.end());
    args.push_back(c.command == "check" ? listing : tree.root);
    Lines limited = {"-c", "ulimit -n \"$0\" && exec \"$@\"", c.fileLimit ? c.fileLimit : "",
                     VRTLY_CLI_PATH};
    limited.insert(limited.end(), args.begin(), args.end());
    const ProgramRun run = c.fileLimit ? RunProgram("/bin/sh", limited) : Vrtly(args);
    EXPECT_EQ(run.err, Lines{});
    const std::string entries =
        c.command == "check" ? "" : WithoutTimestamp(ReadFile(tree.checkfile));
    if (first) {
      sequential = run;
      sequentialEntries = entries;
      // Failures there are, and updates: the comparisons below mean something.
      EXPECT_EQ(run.exitCode, 1);
      EXPECT_GE(
          std::count_if(run.out.begin(), run.out.end(),
                        [&](const std::string& line) { return line.rfind(c.failure, 0) == 0; }),
          c.failures);
      continue;
    }
    EXPECT_EQ(run.exitCode, sequential.exitCode);
    EXPECT_TRUE(run.out == sequential.out);  // a long list: no dump of both
    EXPECT_EQ(run.out.size(), sequential.out.size());
    EXPECT_EQ(entries, sequentialEntries);
  }
}

// ---------------------------------------------------------------------------------------------
// The number of jobs without -j.

std::string ChoiceLine(unsigned jobs, const std::string& reason) {
  return "vrtly: " + std::to_string(jobs) + (jobs == 1 ? " job (" : " jobs (") + reason + ")";
}

unsigned Cores() {
  return std::max(std::thread::hardware_concurrency(), 1u);
}

TEST(VrtlyJobs, VerboseNamesTheJobsAskedForOnStandardErrorOnly) {
  TempDir dir;
  WriteFile(dir / "a.txt", "a");
  const std::string root = dir.path().string();
  const ProgramRun plain = Vrtly({"make", "-j", "1", root});
  ASSERT_EQ(plain.exitCode, 0);
  for (const unsigned jobs : {1u, 4u, 256u}) {
    SCOPED_TRACE(jobs);
    const ProgramRun run = Vrtly({"make", "-v", "-j", std::to_string(jobs), root});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, Lines{ChoiceLine(jobs, "as asked")});
    EXPECT_EQ(run.out, plain.out);
  }
}

#ifndef _WIN32
// The first line a shell command prints, trimmed; empty when it fails.
std::string Ask(const std::string& command, const std::string& argument) {
  const ProgramRun run = RunProgram("/bin/sh", {"-c", command, argument});
  if (run.exitCode != 0 || run.out.empty()) return std::string();
  std::string line = run.out[0];
  line.erase(0, line.find_first_not_of(' '));
  line.erase(line.find_last_not_of(' ') + 1);
  return line;
}

// The line vrtly should print for a folder, from what util-linux's findmnt and lsblk say of its
// medium; empty when they cannot tell.
std::string ExpectedChoice(const std::string& folder) {
  const std::string type = Ask("findmnt -no FSTYPE -T \"$0\"", folder);
  if (type == "tmpfs" || type == "ramfs") return ChoiceLine(Cores(), "memory-backed storage");
  const std::string source = Ask("findmnt -no SOURCE -T \"$0\"", folder);
  // A file system on a block device of its own (not a subvolume "[/...]", an overlay, a FUSE
  // or network mount).
  if (source.rfind("/dev/", 0) != 0 || source.find('[') != std::string::npos) return "";
  const std::string rotational = Ask("lsblk -dno ROTA \"$0\"", source);
  if (rotational == "1") return ChoiceLine(1, "rotating disk");
  if (rotational == "0") return ChoiceLine(Cores(), "solid-state storage");
  return "";
}

TEST(VrtlyJobs, WithoutJTheMediumOfTheFolderChoosesAndVerboseSaysHow) {
  TempDir temporary;
  const std::string shm = "/dev/shm/" + temporary.path().filename().string();
  struct Case {
    const char* name;
    std::string folder;
  };
  const Case cases[] = {{"the temporary folder", temporary.path().string()},
                        {"a folder on /dev/shm", shm}};
  bool shown = false;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::error_code error;
    fs::create_directories(c.folder, error);
    if (error) continue;
    WriteFile(platform::JoinPath(c.folder, "a.txt"), "a");
    const std::string expected = ExpectedChoice(c.folder);
    const ProgramRun make = Vrtly({"make", "-v", c.folder});
    const ProgramRun check =
        Vrtly({"check", "--verbose", platform::JoinPath(c.folder, checkfile::kCheckfileName)});
    if (c.folder == shm) fs::remove_all(shm);
    if (expected.empty()) continue;  // findmnt and lsblk could not tell
    shown = true;
    EXPECT_EQ(make.exitCode, 0);
    EXPECT_EQ(make.err, Lines{expected});
    EXPECT_EQ(check.exitCode, 0);
    EXPECT_EQ(check.err, Lines{expected});
    EXPECT_EQ(check.out.back(), "EVERY FILE APPEARS OK!");
  }
  if (!shown) GTEST_SKIP() << "findmnt and lsblk tell the medium of neither folder";
}
#else
TEST(VrtlyJobs, WithoutJTheMediumOfTheFolderChoosesAndVerboseSaysHow) {
  TempDir dir;
  WriteFile(dir / "a.txt", "a");
  const ProgramRun make = Vrtly({"make", "-v", dir.path().string()});
  EXPECT_EQ(make.exitCode, 0);
  ASSERT_EQ(make.err.size(), 1u);
  const std::string& line = make.err[0];
  const std::string cannotTell = ChoiceLine(1, "the kind of storage cannot be told");
  if (line == cannotTell) {
    GTEST_SKIP() << "the system does not tell the medium of " << dir.path().string()
                 << " (Wine does not answer the seek-penalty query): " << line;
  }
  EXPECT_TRUE(line == ChoiceLine(1, "rotating disk") ||
              line == ChoiceLine(Cores(), "solid-state storage") ||
              line == ChoiceLine(Cores(), "memory-backed storage"))
      << line;
}
#endif

}  // namespace
