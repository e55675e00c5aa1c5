// vrtly update, check --unlisted and --quiet, run as a child process the way a person or a
// script runs them: standard output, standard error, the exit code and the checkfile left.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "checkfile/CheckfileFormat.h"
#include "platform/File.h"
#include "platform/FileTime.h"
#include "platform/Path.h"
#include "platform/SystemError.h"
#include "tests/support/CheckfileSamples.h"
#include "tests/support/CheckfileTimes.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestFiles.h"
#include "tests/support/VrtlyRuns.h"

namespace {

namespace fs = std::filesystem;
using namespace testing_support;  // the test support: files, samples, times, vrtly runs
using platform::JoinPath;

constexpr char kCannotOpen[] = "Could not open file";

// VrtlyTree with its checkfile as vrtly make writes it.
struct AuditTree : VrtlyTree, CheckfileTimes {
  AuditTree() { EXPECT_EQ(Vrtly({"make", folder}).exitCode, kSuccess); }
  void TrustCheckfile() { Trust(dir.path(), checkfile); }
  // Held open for writing: neither backend lets another process open it for reading.
  void Hold(const std::string& name) {
    held = platform::File::CreateForWrite(dir / name);
    EXPECT_TRUE(held.IsOpen()) << name;
  }
  platform::File held;
};

TEST(VrtlyAudit, UpdateReadsOnlyWhatChangedAndACheckThenFindsEveryFileOk) {
  AuditTree tree;
  tree.TrustCheckfile();
  const std::string b = JoinPath(tree.sub, "b.txt");
  WriteFile(b, "b");
  tree.Change(tree.a, "abc");
  fs::remove(tree.abc);
  const ProgramRun update = Vrtly({"update", tree.folder});
  EXPECT_EQ(update.exitCode, kSuccess);
  EXPECT_EQ(update.out,
            (Lines{"File: a.txt", "CHANGED: " + tree.a, "Folder: " + tree.sub, "File: b.txt",
                   "ADDED: " + b, "REMOVED: " + tree.abc, SavedTo(tree.folder),
                   "1 added, 1 changed, 1 removed, 0 unchanged."}));
  EXPECT_EQ(update.err, Lines{});
  EXPECT_EQ(EntryLines(tree.checkfile),
            (Lines{std::string(kDigestAbc) + "|a.txt", std::string(kDigestB) + "|sub\\b.txt"}));
  const ProgramRun check = Vrtly({"check", tree.checkfile});
  EXPECT_EQ(check.exitCode, kSuccess);
  EXPECT_EQ(check.out.back(), "EVERY FILE APPEARS OK!");
}

// One run of vrtly on a fresh tree; in the arguments and the lines, paths in braces lie in the
// tree.
struct RunCase {
  const char* name;
  std::function<void(AuditTree&)> arrange;
  Lines args;
  int exitCode;
  Lines out;
  Lines err = {};
};

Lines Joined(std::initializer_list<Lines> parts) {
  Lines joined;
  for (const Lines& part : parts)
    Append(joined, part);
  return joined;
}

TEST(VrtlyAudit, EachRunGivesItsLinesAndTheCodeOfWhatHappened) {
  const std::string saved = "Operation complete.  Check file saved to {VRTLY-sums.MD5}";
  const Lines checkedQuietly = Joined({{"Testing MD5 sums in {VRTLY-sums.MD5}"}, Summary(2, 0, 0)});
  const std::vector<RunCase> cases = {
      {"update without a checkfile: trouble, nothing written",
       [](AuditTree& tree) { fs::remove(tree.checkfile); },
       {"update", "{}"},
       kTrouble,
       {},
       {"Cannot open file \"{VRTLY-sums.MD5}\". " + platform::SystemErrorText(kFileNotFound) +
        "."}},
      {"update with a new file it cannot read: left out, the rest written",
       [](AuditTree& tree) { tree.Hold("held.txt"); },
       {"update", "{}"},
       kFilesFailed,
       {"File: a.txt", "File: held.txt", kCannotOpen, "Folder: {sub}", "File: abc.txt", saved,
        "0 added, 0 changed, 0 removed, 2 unchanged."}},
      {"update with every file gone: nothing to work with, nothing written",
       [](AuditTree& tree) {
         fs::remove(tree.a);
         fs::remove_all(tree.sub);
       },
       {"update", "{}"},
       kTrouble,
       {},
       {"No files to work with!"}},
      {"check --unlisted, every file listed",
       nullptr,
       {"check", "--unlisted", "-q", "{VRTLY-sums.MD5}"},
       kSuccess,
       Joined({checkedQuietly, {"Every file in the folder is listed."}})},
      {"check --unlisted, a file added since (a hidden one is never reported)",
       [](AuditTree& tree) {
         WriteFile(tree.dir / "sub/added.txt", "new");
         WriteFile(tree.dir / "sub/.hidden", "h");
       },
       {"check", "-q", "--unlisted", "{VRTLY-sums.MD5}"},
       kFilesFailed,
       Joined({checkedQuietly,
               {"NOT LISTED: {sub/added.txt}", "1 files are not listed in the checkfile."}})},
      {"check without --unlisted and a file added: the check as ever",
       [](AuditTree& tree) { WriteFile(tree.dir / "sub/added.txt", "new"); },
       {"check", "{VRTLY-sums.MD5}"},
       kSuccess,
       Joined({{"Testing MD5 sums in {VRTLY-sums.MD5}", "OK: {a.txt}", "OK: {sub/abc.txt}"},
               Summary(2, 0, 0)})},
      {"make -q, every file read", nullptr, {"make", "-q", "{}"}, kSuccess, {saved}},
      {"make --quiet, a file in a subfolder that cannot be read",
       [](AuditTree& tree) { tree.Hold("sub/held.txt"); },
       {"make", "--quiet", "{}"},
       kFilesFailed,
       {"Folder: {sub}", "File: held.txt", kCannotOpen, saved}},
      {"check -q, a file changed and one missing",
       [](AuditTree& tree) {
         WriteFile(tree.a, "b");
         fs::remove(tree.abc);
       },
       {"check", "-q", "{VRTLY-sums.MD5}"},
       kFilesFailed,
       Joined({{"Testing MD5 sums in {VRTLY-sums.MD5}",
                "ERROR: MD5 sum does not match for {a.txt}. Expected: " + std::string(kDigestA) +
                    " Calculated: " + kDigestB,
                "ERROR: Could not open file ({sub/abc.txt})"},
               Summary(1, 1, 1)})},
      {"update -q, a file added and one that cannot be read",
       [](AuditTree& tree) {
         WriteFile(tree.dir / "sub/b.txt", "b");
         tree.Hold("sub/held.txt");
       },
       {"update", "-q", "{}"},
       kFilesFailed,
       {"ADDED: {sub/b.txt}", "Folder: {sub}", "File: held.txt", kCannotOpen, saved,
        "1 added, 0 changed, 0 removed, 2 unchanged."}},
  };
  for (const RunCase& row : cases) {
    SCOPED_TRACE(row.name);
    AuditTree tree;
    if (row.arrange) row.arrange(tree);
    const bool hadCheckfile = fs::exists(tree.checkfile);
    const std::string before = ReadFile(tree.checkfile);
    const ProgramRun run = Vrtly(InDir(tree.dir, row.args));
    tree.held.Close();
    ExpectRun(run, row.exitCode, InDir(tree.dir, row.out), InDir(tree.dir, row.err));
    // A run that ends in trouble leaves the checkfile as it was, or leaves none where there was
    // none.
    if (row.exitCode == kTrouble) {
      EXPECT_EQ(fs::exists(tree.checkfile), hadCheckfile);
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

TEST(VrtlyAudit, CtrlCDuringUpdateLeavesTheOldCheckfileAsItWas) {
  TempDir dir;
  MakeSlowTree(dir);
  const std::string checkfile = dir / checkfile::kCheckfileName;
  WriteFile(checkfile, "; an old checkfile\r\n" + std::string(kDigestA) + "|gone.txt\r\n");
  const platform::FileTime old = SetModifiedFromNow(checkfile, -3600);  // every file is read
  const std::string before = ReadFile(checkfile);

  const ProgramRun update = VrtlyInterrupted({"update", dir.path().string()});
  EXPECT_EQ(update.exitCode, kInterrupted);
  ASSERT_GE(update.out.size(), 2u);
  EXPECT_EQ(update.out.back(), kAborted);
  EXPECT_EQ(ReadFile(checkfile), before);
  EXPECT_EQ(Modified(checkfile), old);
  // Nothing else was left in the folder.
  Lines top;
  for (const auto& item : fs::directory_iterator(dir.path()))
    top.push_back(item.path().filename().string());
  std::sort(top.begin(), top.end());
  EXPECT_EQ(top, (Lines{"VRTLY-sums.MD5", "a", "b"}));
}

#ifndef _WIN32
// What vrtly drew on a terminal 100 columns wide.
std::string DrawnOnTerminal(const Lines& args) {
  return VrtlyOnTerminal(args, 100).drawn;
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
  SetModifiedFromNow(checkfile, -3600);
  const std::string update = DrawnOnTerminal({"update", folder});
  EXPECT_TRUE(ShowsMeasure(update, "#.# MB, #.# MB/s")) << update.substr(0, 400);
}
#endif

}  // namespace
