// The "Open Checkfile..." task end to end against the recording window, with the open
// dialog's answer scripted.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "checkfile/Tasks.h"
#include "platform/File.h"
#include "platform/Path.h"
#include "platform/SystemError.h"
#include "tests/support/CheckfileSamples.h"
#include "tests/support/RecordingWindow.h"
#include "tests/support/TestFiles.h"
#include "version/Version.h"

namespace {

namespace fs = std::filesystem;
using platform::JoinPath;
using testing_support::Generate;
using testing_support::kCouldNotBeTested;
using testing_support::kDigestA;
using testing_support::kDigestAbc;
using testing_support::RecordingWindow;
using testing_support::TempDir;
using testing_support::Verify;
using testing_support::WriteFile;
using Lines = std::vector<std::string>;
using Op = RecordingWindow::Op;

// ERROR_FILE_NOT_FOUND on Windows, ENOENT on POSIX.
constexpr uint32_t kFileNotFound = 2;
constexpr char kDidNotMatch[] =
    " files MD5 sums did not match! Either these files were damaged or they were modified.";

const Lines kEnterVerifying = {"abort flag off", "state: verifying"};
const Lines kLeaveVerifying = {"state: idle"};

void Append(Lines& lines, const Lines& more) {
  lines.insert(lines.end(), more.begin(), more.end());
}

std::string Entry(const std::string& digest, const std::string& storedPath) {
  return digest + "|" + storedPath + "\r\n";
}

// The log that follows "Testing MD5 sums in ..." after a complete run.
Lines Summary(size_t tested, size_t notTested, size_t mismatched) {
  Lines lines = {"Operation complete.", ""};
  lines.push_back(tested == 0 ? "No files were tested."
                              : std::to_string(tested) + " files tested.");
  if (notTested > 0) lines.push_back(std::to_string(notTested) + kCouldNotBeTested);
  if (mismatched > 0) lines.push_back(std::to_string(mismatched) + kDidNotMatch);
  if (tested > 0 && notTested == 0 && mismatched == 0) lines.push_back("EVERY FILE APPEARS OK!");
  return lines;
}

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

TEST(Verification, ReportsMissingChangedTwiceListedAndUppercaseEntries) {
  TempDir dir;
  WriteFile(dir / "a.txt", "a");
  WriteFile(dir / "changed.txt", "not abc any more");
  WriteFile(dir / "sums.MD5", "; made by hand\r\n" + Entry(kDigestA, "a.txt") +
                                  Entry(kDigestAbc, "missing.txt") +
                                  Entry(kDigestAbc, "changed.txt") + Entry(kDigestA, "a.txt") +
                                  Entry("0CC175B9C0F1B6A831C399E269772661", "a.txt"));
  RecordingWindow window;
  Verify(window, dir / "sums.MD5");

  const std::string a = dir / "a.txt";
  const std::string missing = dir / "missing.txt";
  const std::string changed = dir / "changed.txt";
  Lines expected = {"Testing MD5 sums in " + (dir / "sums.MD5"),
                    "OK: " + a,
                    "ERROR: Could not open file (" + missing + ")",
                    "ERROR: MD5 sum does not match for " + changed + ". Expected: " + kDigestAbc +
                        " Calculated: 2b1ad442d139b7ec379ddfe8d5326ca2",
                    "OK: " + a,
                    "ERROR: MD5 sum does not match for " + a +
                        ". Expected: 0CC175B9C0F1B6A831C399E269772661 Calculated: " + kDigestA};
  Append(expected, Summary(4, 1, 2));
  EXPECT_EQ(window.log, expected);
}

TEST(Verification, SummarisesEveryCombinationOfTheThreeCounters) {
  for (size_t ok = 0; ok <= 1; ++ok) {
    for (size_t missing = 0; missing <= 1; ++missing) {
      for (size_t changed = 0; changed <= 1; ++changed) {
        TempDir dir;
        WriteFile(dir / "a.txt", "a");
        std::string text = "; header\r\n";
        if (ok > 0) text += Entry(kDigestA, "a.txt");
        if (missing > 0) text += Entry(kDigestA, "gone.txt");
        if (changed > 0) text += Entry(kDigestAbc, "a.txt");
        WriteFile(dir / "c.MD5", text);
        RecordingWindow window;
        Verify(window, dir / "c.MD5");
        const Lines summary = Summary(ok + changed, missing, changed);
        ASSERT_GE(window.log.size(), summary.size());
        EXPECT_EQ(
            Lines(window.log.end() - static_cast<std::ptrdiff_t>(summary.size()), window.log.end()),
            summary)
            << ok << " ok, " << missing << " missing, " << changed << " changed";
      }
    }
  }
}

TEST(Verification, OneMatchingFileStillReadsFilesTested) {
  TempDir dir;
  WriteFile(dir / "a.txt", "a");
  WriteFile(dir / "c.MD5", Entry(kDigestA, "a.txt"));
  RecordingWindow window;
  Verify(window, dir / "c.MD5");
  EXPECT_EQ(window.log[window.log.size() - 2], "1 files tested.");
}

TEST(Verification, HeaderAndCommentLinesAloneTestNothing) {
  TempDir dir;
  WriteFile(dir / "c.MD5", "; MD5 sums generated by Veritally version " VRTLY_FILE_VERSION_TEXT
                           "\r\n; now\r\n;" +
                               std::string(kDigestA) + "|a.txt\r\n");
  RecordingWindow window;
  Verify(window, dir / "c.MD5");
  Lines expected = {"Testing MD5 sums in " + (dir / "c.MD5")};
  Append(expected, Summary(0, 0, 0));
  EXPECT_EQ(window.log, expected);
  EXPECT_EQ(window.status, window.banner);
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

// The bytes a checkfile holds on either backend: "\" between components.
TEST(Verification, ReadsBackslashSeparatedPathsOnEveryBackend) {
  TempDir dir;
  WriteFile(dir / "sub/deeper/abc.txt", "abc");
  WriteFile(dir / "c.MD5", "; 1.0\r\n; 06.12.2026\r\n" + Entry(kDigestAbc, "sub\\deeper\\abc.txt"));
  RecordingWindow window;
  Verify(window, dir / "c.MD5");
  EXPECT_EQ(window.log[1], "OK: " + (dir / "sub/deeper/abc.txt"));
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
  const Lines trace = window.Trace();
  ASSERT_GE(trace.size(), expectedTail.size());
  EXPECT_EQ(Lines(trace.end() - static_cast<std::ptrdiff_t>(expectedTail.size()), trace.end()),
            expectedTail);
}

TEST(Verification, SkippedLinesCauseNoStatusNoEventsAndNoAbortTest) {
  TempDir dir;
  WriteFile(dir / "a.txt", "a");
  const std::string digest = kDigestA;
  WriteFile(dir / "c.MD5", "; header\r\n\r\n" + Entry(kDigestA, "a.txt") + digest + "|\r\n" +
                               digest.substr(0, 20) + "|a.txt\r\n;" + digest + "|a.txt\r\n" +
                               "short\n\r" + Entry(kDigestA, "a.txt") + "\r\n");
  RecordingWindow window;
  Verify(window, dir / "c.MD5");
  EXPECT_EQ(window.Count(Op::SetStatus), 2u + 1u);         // two entries, then the banner
  EXPECT_EQ(window.Count(Op::ProcessPendingEvents), 2u);   // once per entry
  EXPECT_EQ(window.Count(Op::IsAbortRequested), 2u + 1u);  // per entry, and before the summary
  EXPECT_EQ(window.log.size(), 1u + 2u + Summary(2, 0, 0).size());
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
