// vrtly update, check --unlisted and --quiet, run as a child process the way a person or a
// script runs them: standard output, standard error, the exit code and the checkfile left.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "checkfile/CheckfileFormat.h"
#include "checkfile/Generation.h"
#include "checkfile/Update.h"
#include "platform/File.h"
#include "platform/FileTime.h"
#include "platform/Path.h"
#include "platform/SystemError.h"
#include "tests/support/CheckfileSamples.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestFiles.h"

#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

namespace {

namespace fs = std::filesystem;
using platform::FileTime;
using platform::JoinPath;
using testing_support::kDigestA;
using testing_support::kDigestAbc;
using testing_support::ProgramRun;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;
using Lines = std::vector<std::string>;

constexpr int kSuccess = 0;
constexpr int kFilesFailed = 1;
constexpr int kTrouble = 2;
constexpr int kInterrupted = 130;

constexpr char kDigestB[] = "92eb5ffee6ae2fec3ad71c777531578f";
constexpr char kCannotOpen[] = "Could not open file";

ProgramRun Vrtly(const Lines& args, const std::string& workingFolder = std::string()) {
  return testing_support::RunProgram(VRTLY_CLI_PATH, args, workingFolder);
}

FileTime LastChange(const std::string& path) {
  FileTime time;
  EXPECT_TRUE(platform::LastChangeTime(path, time)) << path;
  return time;
}

// a.txt and sub/abc.txt, and their checkfile as vrtly make writes it.
struct AuditTree {
  AuditTree() {
    WriteFile(a, "a");
    WriteFile(abc, "abc");
    EXPECT_EQ(Vrtly({"make", folder}).exitCode, kSuccess);
  }

  std::string Saved() const { return "Operation complete.  Check file saved to " + checkfile; }

  // The checkfile's time just past every file's last change and the margin, so that each file
  // counts as unchanged, and any change from now on does not.
  void TrustCheckfile() {
    for (const auto& item : fs::recursive_directory_iterator(dir.path())) {
      if (item.is_regular_file()) latest = std::max(latest, LastChange(item.path().string()));
    }
    checkfileTime = FileTime{latest.Ticks + checkfile::kTimeMargin + 1};
    ASSERT_TRUE(platform::SetModificationTime(checkfile, checkfileTime));
  }

  // Writes the file so that its last change falls after the trusted time.
  void Change(const std::string& path, const std::string& bytes) const {
    for (int attempt = 0; attempt < 1000; ++attempt) {
      WriteFile(path, bytes);
      if (LastChange(path) > latest) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    FAIL() << "the last change of " << path << " stays at the trusted time";
  }

  TempDir dir;
  const std::string folder = dir.path().string();
  const std::string sub = JoinPath(folder, "sub");
  const std::string a = JoinPath(folder, "a.txt");
  const std::string abc = JoinPath(sub, "abc.txt");
  const std::string checkfile = JoinPath(folder, checkfile::kCheckfileName);
  FileTime latest;
  FileTime checkfileTime;
};

Lines EntryLines(const std::string& checkfile) {
  Lines entries;
  for (const std::string& line : checkfile::SplitLines(ReadFile(checkfile))) {
    if (line.empty() || line[0] != ';') entries.push_back(line);
  }
  return entries;
}

TEST(VrtlyAudit, UpdateReadsOnlyWhatChangedAndACheckThenFindsEveryFileOk) {
  AuditTree tree;
  tree.TrustCheckfile();
  const std::string b = JoinPath(tree.sub, "b.txt");
  WriteFile(b, "b");
  tree.Change(tree.a, "abc");
  fs::remove(tree.abc);
  const ProgramRun update = Vrtly({"update", tree.folder});
  EXPECT_EQ(update.exitCode, kSuccess);
  EXPECT_EQ(update.out, (Lines{"File: a.txt", "CHANGED: " + tree.a, "Folder: " + tree.sub,
                               "File: b.txt", "ADDED: " + b, "REMOVED: " + tree.abc, tree.Saved(),
                               "1 added, 1 changed, 1 removed, 0 unchanged."}));
  EXPECT_EQ(update.err, Lines{});
  EXPECT_EQ(EntryLines(tree.checkfile),
            (Lines{std::string(kDigestAbc) + "|a.txt", std::string(kDigestB) + "|sub\\b.txt"}));
  const ProgramRun check = Vrtly({"check", tree.checkfile});
  EXPECT_EQ(check.exitCode, kSuccess);
  EXPECT_EQ(check.out.back(), "EVERY FILE APPEARS OK!");
}

// Held open for writing: neither backend lets another process open it for reading.
class Holder {
 public:
  explicit Holder(const std::string& path) : file_(platform::File::CreateForWrite(path)) {
    EXPECT_TRUE(file_.IsOpen()) << path;
  }

 private:
  platform::File file_;
};

struct Outcome {
  int exitCode;
  Lines out;
  Lines err;
};

struct RunCase {
  const char* name;
  std::function<Lines(AuditTree&)> arrange;  // changes the tree, gives vrtly's arguments
  std::function<Outcome(const AuditTree&)> expected;
};

// Each row: one run of vrtly on a fresh tree, its outputs and exit code.
TEST(VrtlyAudit, EachRunGivesItsLinesAndTheCodeOfWhatHappened) {
  std::unique_ptr<Holder> holder;
  auto hold = [&holder](const std::string& path) { holder = std::make_unique<Holder>(path); };
  auto checked = [](const AuditTree& tree, const Lines& more) {
    Lines out = {"Testing MD5 sums in " + tree.checkfile, "Operation complete.", "",
                 "2 files tested.", "EVERY FILE APPEARS OK!"};
    out.insert(out.end(), more.begin(), more.end());
    return out;
  };
  const std::vector<RunCase> cases = {
      {"update without a checkfile: trouble, nothing written",
       [](AuditTree& tree) {
         fs::remove(tree.checkfile);
         return Lines{"update", tree.folder};
       },
       [](const AuditTree& tree) {
         EXPECT_FALSE(platform::File::OpenForRead(tree.checkfile).IsOpen());
         const std::string reason = platform::SystemErrorText(platform::LastError());
         return Outcome{
             kTrouble, {}, {"Cannot open file \"" + tree.checkfile + "\". " + reason + "."}};
       }},
      {"update with a new file it cannot read: left out, the rest written",
       [&hold](AuditTree& tree) {
         hold(tree.dir / "held.txt");
         return Lines{"update", tree.folder};
       },
       [](const AuditTree& tree) {
         return Outcome{
             kFilesFailed,
             {"File: a.txt", "File: held.txt", kCannotOpen, "Folder: " + tree.sub, "File: abc.txt",
              tree.Saved(), "0 added, 0 changed, 0 removed, 2 unchanged."},
             {}};
       }},
      {"update with every file gone: nothing to work with, nothing written",
       [](AuditTree& tree) {
         fs::remove(tree.a);
         fs::remove_all(tree.sub);
         return Lines{"update", tree.folder};
       },
       [](const AuditTree&) {
         return Outcome{kTrouble, {}, {"No files to work with!"}};
       }},
      {"check --unlisted, every file listed",
       [](AuditTree& tree) {
         return Lines{"check", "--unlisted", "-q", tree.checkfile};
       },
       [&checked](const AuditTree& tree) {
         return Outcome{kSuccess, checked(tree, {"Every file in the folder is listed."}), {}};
       }},
      {"check --unlisted, a file added since (a hidden one is never reported)",
       [](AuditTree& tree) {
         WriteFile(tree.dir / "sub/added.txt", "new");
         WriteFile(tree.dir / "sub/.hidden", "h");
         return Lines{"check", "-q", "--unlisted", tree.checkfile};
       },
       [&checked](const AuditTree& tree) {
         return Outcome{kFilesFailed,
                        checked(tree, {"NOT LISTED: " + (tree.dir / "sub/added.txt"),
                                       "1 files are not listed in the checkfile."}),
                        {}};
       }},
      {"check without --unlisted and a file added: the check as ever",
       [](AuditTree& tree) {
         WriteFile(tree.dir / "sub/added.txt", "new");
         return Lines{"check", tree.checkfile};
       },
       [](const AuditTree& tree) {
         return Outcome{
             kSuccess,
             {"Testing MD5 sums in " + tree.checkfile, "OK: " + tree.a, "OK: " + tree.abc,
              "Operation complete.", "", "2 files tested.", "EVERY FILE APPEARS OK!"},
             {}};
       }},
      {"make -q, every file read",
       [](AuditTree& tree) {
         return Lines{"make", "-q", tree.folder};
       },
       [](const AuditTree& tree) {
         return Outcome{kSuccess, {tree.Saved()}, {}};
       }},
      {"make --quiet, a file in a subfolder that cannot be read",
       [&hold](AuditTree& tree) {
         hold(tree.dir / "sub/held.txt");
         return Lines{"make", "--quiet", tree.folder};
       },
       [](const AuditTree& tree) {
         return Outcome{kFilesFailed,
                        {"Folder: " + tree.sub, "File: held.txt", kCannotOpen, tree.Saved()},
                        {}};
       }},
      {"check -q, a file changed and one missing",
       [](AuditTree& tree) {
         WriteFile(tree.a, "b");
         fs::remove(tree.abc);
         return Lines{"check", "-q", tree.checkfile};
       },
       [](const AuditTree& tree) {
         return Outcome{kFilesFailed,
                        {"Testing MD5 sums in " + tree.checkfile,
                         "ERROR: MD5 sum does not match for " + tree.a + ". Expected: " + kDigestA +
                             " Calculated: " + kDigestB,
                         "ERROR: Could not open file (" + tree.abc + ")", "Operation complete.", "",
                         "1 files tested.", "1" + std::string(testing_support::kCouldNotBeTested),
                         "1 files MD5 sums did not match! Either these files were damaged or "
                         "they were modified."},
                        {}};
       }},
      {"update -q, a file added and one that cannot be read",
       [&hold](AuditTree& tree) {
         WriteFile(tree.dir / "sub/b.txt", "b");
         hold(tree.dir / "sub/held.txt");
         return Lines{"update", "-q", tree.folder};
       },
       [](const AuditTree& tree) {
         return Outcome{
             kFilesFailed,
             {"ADDED: " + (tree.dir / "sub/b.txt"), "Folder: " + tree.sub, "File: held.txt",
              kCannotOpen, tree.Saved(), "1 added, 0 changed, 0 removed, 2 unchanged."},
             {}};
       }},
  };
  for (const RunCase& row : cases) {
    SCOPED_TRACE(row.name);
    AuditTree tree;
    const std::string before = ReadFile(tree.checkfile);
    const ProgramRun run = Vrtly(row.arrange(tree));
    holder.reset();
    const Outcome expected = row.expected(tree);
    EXPECT_EQ(run.exitCode, expected.exitCode);
    EXPECT_EQ(run.out, expected.out);
    EXPECT_EQ(run.err, expected.err);
    // A run that ends in trouble leaves the checkfile as it was.
    if (run.exitCode == kTrouble && fs::exists(tree.checkfile)) {
      EXPECT_EQ(ReadFile(tree.checkfile), before);
    }
  }
}

// Options after the command word in any order; "--" lets an operand begin with "-".
TEST(VrtlyAudit, OptionsComeInAnyOrderAndDoubleDashEndsThem) {
  TempDir dir;
  WriteFile(dir / "-data/a.txt", "a");
  ASSERT_EQ(Vrtly({"make", "-q", "--", "-data"}, dir.path().string()).exitCode, kSuccess);
  const std::string checkfile = dir / "-data/VRTLY-sums.MD5";
  const ProgramRun first = Vrtly({"check", "-q", "--unlisted", checkfile});
  const ProgramRun second = Vrtly({"check", "--unlisted", "--quiet", "--", checkfile});
  EXPECT_EQ(first.exitCode, kSuccess);
  EXPECT_EQ(first.out, second.out);
  EXPECT_EQ(first.out.back(), "Every file in the folder is listed.");
  const ProgramRun update = Vrtly({"update", "--quiet", "--", "-data"}, dir.path().string());
  EXPECT_EQ(update.exitCode, kSuccess);
  EXPECT_EQ(update.out.back(), "0 added, 0 changed, 0 removed, 1 unchanged.");
}

// Many small files that fill the log's first piece fast, then large sparse files that keep the
// digests busy for seconds: a Ctrl-C sent at the first output lands inside the walk.
void MakeSlowTree(const TempDir& dir) {
  for (int n = 0; n < 3000; ++n)
    WriteFile(dir / ("a/a-name-long-enough-to-fill-the-log-" + std::to_string(10000 + n)), "");
  for (int n = 0; n < 150; ++n) {
    const std::string large = dir / ("b/large-" + std::to_string(1000 + n));
    WriteFile(large, "");
    fs::resize_file(large, 16u << 20);
  }
}

TEST(VrtlyAudit, CtrlCDuringUpdateLeavesTheOldCheckfileAsItWas) {
  TempDir dir;
  MakeSlowTree(dir);
  const std::string checkfile = dir / checkfile::kCheckfileName;
  WriteFile(checkfile, "; an old checkfile\r\n" + std::string(kDigestA) + "|gone.txt\r\n");
  // An hour old: every file is read.
  const FileTime old{platform::CurrentFileTime().Ticks - 3600 * platform::kFileTimeTicksPerSecond};
  ASSERT_TRUE(platform::SetModificationTime(checkfile, old));
  const std::string before = ReadFile(checkfile);

  testing_support::ChildProcess child(VRTLY_CLI_PATH, {"update", dir.path().string()});
  ASSERT_TRUE(child.Started());
  EXPECT_TRUE(child.WaitForOutput(1, std::chrono::seconds(120))) << "no output before the end";
  EXPECT_TRUE(child.Interrupt());
  EXPECT_EQ(child.Wait(), kInterrupted);
  const Lines out = testing_support::SplitOutputLines(child.Out());
  ASSERT_GE(out.size(), 2u);
  EXPECT_EQ(out.back(), "OPERATION ABORTED BY USER.");
  EXPECT_EQ(ReadFile(checkfile), before);
  FileTime after;
  ASSERT_TRUE(platform::ModificationTime(checkfile, after));
  EXPECT_EQ(after, old);
  // Nothing else was left in the folder.
  Lines top;
  for (const auto& item : fs::directory_iterator(dir.path()))
    top.push_back(item.path().filename().string());
  std::sort(top.begin(), top.end());
  EXPECT_EQ(top, (Lines{"VRTLY-sums.MD5", "a", "b"}));
}

#ifndef _WIN32
// Standard error on a pseudo-terminal 100 columns wide, standard output in a file; what the
// child drew there.
std::string DrawnOnTerminal(const Lines& args) {
  TempDir outputs;
  const std::string outPath = outputs / "stdout";
  int master = -1;
  int terminal = -1;
  winsize size = {};
  size.ws_row = 24;
  size.ws_col = 100;
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
  std::string drawn;
  char buffer[4096];
  for (;;) {
    pollfd ready = {master, POLLIN, 0};
    if (poll(&ready, 1, 120000) <= 0) break;
    const ssize_t got = read(master, buffer, sizeof buffer);
    if (got <= 0) break;
    drawn.append(buffer, static_cast<size_t>(got));
  }
  close(master);
  int status = 0;
  EXPECT_EQ(waitpid(child, &status, 0), child);
  return drawn;
}

// Whether the text has the shape, in which "#" stands for a run of digits.
bool HasShape(const std::string& text, const std::string& shape) {
  size_t at = 0;
  for (const char c : shape) {
    if (c != '#') {
      if (at >= text.size() || text[at] != c) return false;
      ++at;
      continue;
    }
    const size_t digits = at;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9')
      ++at;
    if (at == digits) return false;
  }
  return at == text.size();
}

// Whether some draw of the progress line ends, after two blanks, with a measure of the shape.
bool ShowsMeasure(const std::string& drawn, const std::string& shape) {
  size_t start = 0;
  while ((start = drawn.find('\r', start)) != std::string::npos) {
    const size_t end = std::min(drawn.find('\r', start + 1), drawn.size());
    std::string draw = drawn.substr(start + 1, end - start - 1);
    draw.erase(draw.find_last_not_of(' ') + 1);
    const size_t gap = draw.rfind("  ");
    if (gap != std::string::npos && HasShape(draw.substr(gap + 2), shape)) return true;
    start = end;
  }
  return false;
}

TEST(VrtlyAudit, OnATerminalTheProgressLineTellsHowFarTheRunHasCome) {
  TempDir dir;
  for (int n = 0; n < 12; ++n) {
    const std::string large = dir / ("large-" + std::to_string(100 + n));
    WriteFile(large, "");
    fs::resize_file(large, 16u << 20);
  }
  const std::string folder = dir.path().string();
  const std::string checkfile = JoinPath(folder, checkfile::kCheckfileName);
  const std::string make = DrawnOnTerminal({"make", folder});
  EXPECT_TRUE(ShowsMeasure(make, "#.# MB, #.# MB/s")) << make.substr(0, 400);
  const std::string check = DrawnOnTerminal({"check", checkfile});
  EXPECT_TRUE(ShowsMeasure(check, "#/12 files, #.# MB/s")) << check.substr(0, 400);
  // Every file read again: the checkfile an hour old.
  ASSERT_TRUE(platform::SetModificationTime(
      checkfile,
      FileTime{platform::CurrentFileTime().Ticks - 3600 * platform::kFileTimeTicksPerSecond}));
  const std::string update = DrawnOnTerminal({"update", folder});
  EXPECT_TRUE(ShowsMeasure(update, "#.# MB, #.# MB/s")) << update.substr(0, 400);
}
#endif

}  // namespace
