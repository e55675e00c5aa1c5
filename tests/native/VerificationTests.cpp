// The "Open Checkfile..." task end to end against the recording window, with the open
// dialog's answer scripted.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "checkfile/Tasks.h"
#include "platform/File.h"
#include "platform/Path.h"
#include "platform/SystemError.h"
#include "tests/support/CheckfileSamples.h"
#include "tests/support/RecordingWindow.h"
#include "tests/support/TaskCases.h"
#include "tests/support/TestFiles.h"

namespace {

using namespace testing_support;  // the test support: files, samples, windows, faults
namespace fs = std::filesystem;
using platform::JoinPath;
using Op = RecordingWindow::Op;

const Lines kEnterVerifying = {"abort flag off", "state: verifying"};
const Lines kLeaveVerifying = {"state: idle"};

TEST(Verification, AFreshCheckfileTestsEveryFileOk) {
  TempDir dir;
  WriteFile(dir / "a.txt", "a");
  WriteFile(dir / "sub/abc.txt", "abc");
  const std::string root = dir.path().string();
  RecordingWindow window;
  Generate(window, root);
  window.ForgetCalls();
  const std::string checkfile = dir / "VRTLY-sums.MD5";
  Verify(window, checkfile);

  const std::string a = JoinPath(root, "a.txt");
  const std::string abc = JoinPath(JoinPath(root, "sub"), "abc.txt");
  Lines expected = {"open dialog in: " + root};
  Append(expected, kEnterVerifying);
  Append(expected, {"clear log", "log: Testing MD5 sums in " + checkfile,
                    "status: Files tested: 0; Testing: " + a, "events", "log: OK: " + a,
                    "status: Files tested: 1; Testing: " + abc, "events", "log: OK: " + abc});
  for (const std::string& line : Summary(2, 0, 0))
    expected.push_back("log: " + line);
  expected.push_back("status: " + window.banner);
  Append(expected, kLeaveVerifying);
  EXPECT_EQ(window.Trace(), expected);
}

TEST(Verification, LogsOneResultPerEntryLineAndTheSummaryOfTheCounts) {
  const std::string digest = kDigestA;
  const CheckCase cases[] = {
      {"missing, changed, twice listed and upper-case entries",
       {{"a.txt", "a"},
        {"changed.txt", "not abc any more"},
        {"c.MD5", "; made by hand\r\n" + Entry(kDigestA, "a.txt") +
                      Entry(kDigestAbc, "missing.txt") + Entry(kDigestAbc, "changed.txt") +
                      Entry(kDigestA, "a.txt") +
                      Entry("0CC175B9C0F1B6A831C399E269772661", "a.txt")}},
       {"OK: {a.txt}", "ERROR: Could not open file ({missing.txt})",
        "ERROR: MD5 sum does not match for {changed.txt}. Expected: " + std::string(kDigestAbc) +
            " Calculated: 2b1ad442d139b7ec379ddfe8d5326ca2",
        "OK: {a.txt}",
        "ERROR: MD5 sum does not match for {a.txt}. Expected: 0CC175B9C0F1B6A831C399E269772661 "
        "Calculated: " +
            digest},
       {4, 1, 2}},
      {"one matching file still reads \"1 files tested.\"",
       {{"a.txt", "a"}, {"c.MD5", Entry(kDigestA, "a.txt")}},
       {"OK: {a.txt}"},
       {1, 0, 0}},
      {"header and comment lines alone test nothing",
       {{"c.MD5", kVersionHeaderLine + std::string("; now\r\n;") + Entry(kDigestA, "a.txt")}},
       {},
       {0, 0, 0}},
      // The bytes a checkfile holds on either backend: "\" between components.
      {"backslash-separated paths are read on every backend",
       {{"sub/deeper/abc.txt", "abc"},
        {"c.MD5", "; 1.0\r\n; 06.12.2026\r\n" + Entry(kDigestAbc, "sub\\deeper\\abc.txt")}},
       {"OK: {sub/deeper/abc.txt}"},
       {1, 0, 0}},
      {"empty, short, commented and unbarred lines are skipped",
       {{"a.txt", "a"},
        {"c.MD5", "; header\r\n\r\n" + Entry(kDigestA, "a.txt") + digest + "|\r\n" +
                      digest.substr(0, 20) + "|a.txt\r\n;" + digest + "|a.txt\r\n" + "short\n\r" +
                      Entry(kDigestA, "a.txt") + "\r\n"}},
       {"OK: {a.txt}", "OK: {a.txt}"},
       {2, 0, 0}},
  };
  for (const CheckCase& c : cases)
    ExpectCheck(c);
}

TEST(Verification, SummarisesEveryCombinationOfTheThreeCounters) {
  for (unsigned bits = 0; bits < 8; ++bits) {  // each counter zero or one
    const size_t ok = bits & 1u, missing = bits >> 1 & 1u, changed = bits >> 2 & 1u;
    CheckCase c = {
        "", {{"a.txt", "a"}, {"c.MD5", "; header\r\n"}}, {}, {ok + changed, missing, changed}};
    if (ok > 0) {
      c.files[1].second += Entry(kDigestA, "a.txt");
      c.results.push_back("OK: {a.txt}");
    }
    if (missing > 0) {
      c.files[1].second += Entry(kDigestA, "gone.txt");
      c.results.push_back("ERROR: Could not open file ({gone.txt})");
    }
    if (changed > 0) {
      c.files[1].second += Entry(kDigestAbc, "a.txt");
      c.results.push_back("ERROR: MD5 sum does not match for {a.txt}. Expected: " +
                          std::string(kDigestAbc) + " Calculated: " + kDigestA);
    }
    const std::string what = std::to_string(ok) + " ok, " + std::to_string(missing) + " missing, " +
                             std::to_string(changed) + " changed";
    c.what = what.c_str();
    ExpectCheck(c);
  }
}

TEST(Verification, ACheckfileMovedWithItsFilesTestsTheSame) {
  TempDir dir;
  WriteFile(dir / "old/a.txt", "a");
  WriteFile(dir / "old/sub/abc.txt", "abc");
  RecordingWindow window;
  Generate(window, dir / "old");
  fs::rename(dir.path() / "old", dir.path() / "new");
  Verify(window, dir / "new/VRTLY-sums.MD5");
  const std::string root = dir / "new";
  Lines expected = {"Testing MD5 sums in " + (dir / "new/VRTLY-sums.MD5"),
                    "OK: " + JoinPath(root, "a.txt"),
                    "OK: " + JoinPath(JoinPath(root, "sub"), "abc.txt")};
  Append(expected, Summary(2, 0, 0));
  EXPECT_EQ(window.log, expected);
}

TEST(Verification, StoppingLogsOnceAndEndsWithTheBannerWithoutSummary) {
  TempDir dir;
  WriteFile(dir / "a.txt", "a");
  WriteFile(dir / "c.MD5",
            Entry(kDigestA, "a.txt") + Entry(kDigestA, "a.txt") + Entry(kDigestA, "a.txt"));
  RecordingWindow window;
  window.abortAtEvent = 2;
  Verify(window, dir / "c.MD5");
  const std::string a = dir / "a.txt";
  EXPECT_EQ(window.log, (Lines{"Testing MD5 sums in " + (dir / "c.MD5"), "OK: " + a,
                               "OPERATION ABORTED BY USER."}));
  Lines expectedTail = {"status: Files tested: 1; Testing: " + a, "events",
                        "log: OPERATION ABORTED BY USER.", "status: " + window.banner};
  Append(expectedTail, kLeaveVerifying);
  EXPECT_EQ(Tail(window.Trace(), expectedTail.size()), expectedTail);
}

TEST(Verification, ACancelledDialogChangesNothing) {
  RecordingWindow window;
  window.log = {"the previous task's log"};
  window.status = "the previous status";
  window.abortRequested = true;
  window.selectedFolder = "somewhere";
  window.dialogConfirms = false;
  checkfile::RunTask(window, checkfile::RunVerification);
  EXPECT_EQ(window.Trace(), Lines{"open dialog in: somewhere"});
  EXPECT_EQ(window.log, Lines{"the previous task's log"});
  EXPECT_EQ(window.status, "the previous status");
  EXPECT_TRUE(window.abortRequested);
  EXPECT_EQ(window.state, checkfile::TaskState::Idle);
}

TEST(Verification, AChosenFileThatCannotBeOpenedGoesToTheErrorBoxAndLeavesTheLog) {
  TempDir dir;
  const std::string missing = dir / "typed name.MD5";
  RecordingWindow window;
  window.log = {"the previous task's log"};
  window.status = "the previous status";
  Verify(window, missing);
  Lines expected = {"open dialog in: "};
  Append(expected, kEnterVerifying);
  Append(expected, kLeaveVerifying);
  expected.push_back("error box: Cannot open file \"" + missing + "\". " +
                     platform::SystemErrorText(kFileNotFound));
  EXPECT_EQ(window.Trace(), expected);
  EXPECT_EQ(window.log, Lines{"the previous task's log"});
  EXPECT_EQ(window.status, "the previous status");

  WriteFile(dir / "held.MD5", "");
  platform::File holder = platform::File::CreateForWrite(dir / "held.MD5");
  ASSERT_TRUE(holder.IsOpen());
  window.ForgetCalls();
  Verify(window, dir / "held.MD5");
  ASSERT_EQ(window.Count(Op::ShowErrorBox), 1u);
  EXPECT_EQ(window.Trace().back().rfind("error box: Cannot open file \"" + (dir / "held.MD5"), 0),
            0u);
  EXPECT_EQ(window.state, checkfile::TaskState::Idle);
}

}  // namespace
