// The "Go!" task end to end against the recording window, on real temporary trees.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "checkfile/CheckfileFormat.h"
#include "checkfile/Generation.h"
#include "checkfile/Tasks.h"
#include "checkfile/Timestamp.h"
#include "platform/File.h"
#include "platform/Path.h"
#include "tests/support/CheckfileSamples.h"
#include "tests/support/RecordingWindow.h"
#include "tests/support/TestFiles.h"
#include "version/Version.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;
using platform::JoinPath;
using testing_support::Generate;
using testing_support::kDigestA;
using testing_support::kDigestAbc;
using testing_support::MakeSmallTree;
using testing_support::ReadFile;
using testing_support::RecordingWindow;
using testing_support::SplitOffTimestamp;
using testing_support::TempDir;
using testing_support::WriteFile;
using testing_support::Written;
using Lines = std::vector<std::string>;
using Op = RecordingWindow::Op;

constexpr char kAborted[] = "log: OPERATION ABORTED BY USER.";

const Lines kEnterGenerating = {"abort flag off", "state: generating"};
const Lines kLeaveGenerating = {"state: idle"};

std::string Progress(size_t filesProcessed, const std::string& folder) {
  return std::to_string(filesProcessed) + " files processed.\nWorking in " + folder;
}

void Append(Lines& trace, const Lines& more) {
  trace.insert(trace.end(), more.begin(), more.end());
}

// What follows every directory entry: the status line, then the event processing.
void AddProgress(Lines& trace, size_t filesProcessed, const std::string& folder) {
  Append(trace, {"status: " + Progress(filesProcessed, folder), "events"});
}

// Windows' search returns "." and ".." first in every folder but a drive root; they are
// skipped, but still followed by the status line and the event processing.
void AddDotEntries([[maybe_unused]] Lines& trace, [[maybe_unused]] size_t filesProcessed,
                   [[maybe_unused]] const std::string& folder) {
#ifdef _WIN32
  AddProgress(trace, filesProcessed, folder);
  AddProgress(trace, filesProcessed, folder);
#endif
}

Lines Tail(const Lines& trace, size_t count) {
  return Lines(trace.end() - static_cast<std::ptrdiff_t>(std::min(count, trace.size())),
               trace.end());
}

#ifdef _WIN32
constexpr size_t kDotEntries = 2;
#else
constexpr size_t kDotEntries = 0;
#endif

std::string Timestamp() {
  return checkfile::TimestampText(platform::CurrentLocalTime(), platform::UserDateTimeSettings());
}

TEST(Generation, LogsStatusAndControlsOfASmallTreeInExactOrder) {
  TempDir dir;
  MakeSmallTree(dir);
  const std::string root = dir.path().string();
  const std::string empty = JoinPath(root, "empty");
  const std::string sub = JoinPath(root, "sub");
  const std::string deeper = JoinPath(sub, "deeper");
  RecordingWindow window;
  Generate(window, root + platform::kPathSeparator);

  Lines expected = kEnterGenerating;
  Append(expected, {"selected folder: " + root, "clear log"});
  AddDotEntries(expected, 0, root);
  expected.push_back("log: File: a.txt");
  AddProgress(expected, 1, root);
  expected.push_back("log: Folder: " + empty);
  AddDotEntries(expected, 1, empty);
  AddProgress(expected, 1, root);
  expected.push_back("log: Folder: " + sub);
  AddDotEntries(expected, 1, sub);
  expected.push_back("log: File: abc.txt");
  AddProgress(expected, 2, sub);
  expected.push_back("log: Folder: " + deeper);
  AddDotEntries(expected, 2, deeper);
  expected.push_back("log: File: d.bin");
  AddProgress(expected, 3, deeper);
  AddProgress(expected, 3, sub);  // the count runs on over the whole walk
  AddProgress(expected, 3, root);
  expected.push_back("log: File: z.txt");
  AddProgress(expected, 4, root);
  Append(expected, {"status: ", "status: Generating check file...", "status shown", "events"});
  Append(expected, kLeaveGenerating);
  Append(expected, {"status: " + window.banner, "log: Operation complete.  Check file saved to " +
                                                    JoinPath(root, "VRTLY-sums.MD5")});
  EXPECT_EQ(window.Trace(), expected);
  EXPECT_EQ(window.selectedFolder, root);
  EXPECT_EQ(window.status, window.banner);
  EXPECT_EQ(window.state, checkfile::TaskState::Idle);
  EXPECT_EQ(window.Count(Op::ShowMessageBox) + window.Count(Op::ShowErrorBox), 0u);
}

// The same bytes on both backends, so a checkfile travels between them.
TEST(Generation, WritesTheCheckfileOfTheTreeByteForByte) {
  TempDir dir;
  MakeSmallTree(dir);
  RecordingWindow window;
  const std::string before = Timestamp();
  Generate(window, dir.path().string());
  const std::string after = Timestamp();

  const Written written = SplitOffTimestamp(ReadFile(dir / "VRTLY-sums.MD5"));
  EXPECT_EQ(written.rest, testing_support::SmallTreeCheckfileWithoutTimestamp());
  EXPECT_TRUE(written.timestampLine == "; " + before || written.timestampLine == "; " + after)
      << written.timestampLine << " is not between " << before << " and " << after;
}

TEST(Generation, NeverSeesHiddenEntries) {
  TempDir dir;
  WriteFile(dir / "seen.txt", "a");
  WriteFile(dir / ".hidden.txt", "h");
  WriteFile(dir / ".hiddendir/inside.txt", "h");
  RecordingWindow window;
  Generate(window, dir.path().string());
  EXPECT_EQ(window.log, (Lines{"File: seen.txt", "Operation complete.  Check file saved to " +
                                                     (dir / "VRTLY-sums.MD5")}));
  EXPECT_EQ(
      SplitOffTimestamp(ReadFile(dir / "VRTLY-sums.MD5")).rest,
      std::string("; MD5 sums generated by Veritally version " VRTLY_FILE_VERSION_TEXT "\r\n") +
          kDigestA + "|seen.txt\r\n");
}

TEST(Generation, SkipsEveryVrtlySumsMd5ButHashesOtherLetterCases) {
  TempDir dir;
  WriteFile(dir / "VRTLY-sums.MD5", "; the old checkfile\r\n");
  WriteFile(dir / "sub/VRTLY-sums.MD5", "; a checkfile of its own\r\n");
  WriteFile(dir / "sub/a.txt", "a");
  WriteFile(dir / "other/vrtly-sums.md5", "abc");
  RecordingWindow window;
  Generate(window, dir.path().string());

  EXPECT_EQ(window.log,
            (Lines{"Folder: " + (dir / "other"), "File: vrtly-sums.md5", "Folder: " + (dir / "sub"),
                   "File: a.txt",
                   "Operation complete.  Check file saved to " + (dir / "VRTLY-sums.MD5")}));
  EXPECT_EQ(
      SplitOffTimestamp(ReadFile(dir / "VRTLY-sums.MD5")).rest,
      std::string("; MD5 sums generated by Veritally version " VRTLY_FILE_VERSION_TEXT "\r\n") +
          kDigestAbc + "|other\\vrtly-sums.md5\r\n" + kDigestA + "|sub\\a.txt\r\n");
  EXPECT_EQ(ReadFile(dir / "sub/VRTLY-sums.MD5"), "; a checkfile of its own\r\n");
  // Skipped entries are entries all the same: each is followed by the status and the events
  // (six entries in three folders, and once before writing).
  EXPECT_EQ(window.Count(Op::ProcessPendingEvents), 6 + 3 * kDotEntries + 1);
}

// "vrtly-sums.md5" beside the files: on Windows, whose file systems ignore letter case, it is
// the checkfile itself, so listing it would put a digest in the checkfile that its own writing
// makes stale, and every later check would fail. Where letter case counts it is another file.
TEST(Generation, TheSelectedFoldersCheckfileUnderAnotherLetterCase) {
  TempDir dir;
  WriteFile(dir / "vrtly-sums.md5", "; an old checkfile, named in lower case\r\n");
  WriteFile(dir / "a.txt", "a");
  RecordingWindow window;
  Generate(window, dir.path().string());
  const std::string saved = "Operation complete.  Check file saved to " + (dir / "VRTLY-sums.MD5");
#ifdef _WIN32
  EXPECT_EQ(window.log, (Lines{"File: a.txt", saved}));
#else
  EXPECT_EQ(window.log, (Lines{"File: a.txt", "File: vrtly-sums.md5", saved}));
#endif
  Verify(window, dir / "VRTLY-sums.MD5");
  EXPECT_EQ(window.log.back(), "EVERY FILE APPEARS OK!");
}

// A temporary that a crash left beside the checkfile is hidden from the walk and taken over by
// the next write.
TEST(Generation, ALeftoverTemporaryIsNeitherListedNorLeftBehind) {
  TempDir dir;
  WriteFile(dir / "a.txt", "a");
  {
    platform::File leftover =
        platform::File::CreateTemporary(dir / checkfile::kTemporaryCheckfileName);
    uint32_t done = 0;
    ASSERT_TRUE(leftover.IsOpen() && leftover.Write("; half a che", 12, done));
  }
  RecordingWindow window;
  Generate(window, dir.path().string());
  EXPECT_EQ(window.log, (Lines{"File: a.txt", "Operation complete.  Check file saved to " +
                                                  (dir / "VRTLY-sums.MD5")}));
  EXPECT_FALSE(fs::exists(dir / checkfile::kTemporaryCheckfileName));
}

TEST(Generation, LogsAFileThatCannotBeOpenedAndLeavesItOut) {
  TempDir dir;
  WriteFile(dir / "a.txt", "a");
  WriteFile(dir / "held.txt", "held");
  WriteFile(dir / "z.txt", "abc");
  platform::File holder = platform::File::CreateForWrite(dir / "held.txt");
  ASSERT_TRUE(holder.IsOpen());
  RecordingWindow window;
  Generate(window, dir.path().string());
  holder.Close();

  EXPECT_EQ(window.log,
            (Lines{"File: a.txt", "File: held.txt", "Could not open file", "File: z.txt",
                   "Operation complete.  Check file saved to " + (dir / "VRTLY-sums.MD5")}));
  const Lines trace = window.Trace();
  const std::string root = dir.path().string();
  // The count stays at 1 after held.txt.
  EXPECT_EQ(std::count(trace.begin(), trace.end(), "status: " + Progress(1, root)), 2);
  EXPECT_EQ(
      SplitOffTimestamp(ReadFile(dir / "VRTLY-sums.MD5")).rest,
      std::string("; MD5 sums generated by Veritally version " VRTLY_FILE_VERSION_TEXT "\r\n") +
          kDigestA + "|a.txt\r\n" + kDigestAbc + "|z.txt\r\n");
}

TEST(Generation, StoppedInTheSelectedFolderLogsTheStopOnce) {
  TempDir dir;
  WriteFile(dir / "VRTLY-sums.MD5", "; the old checkfile\r\n");
  WriteFile(dir / "a.txt", "a");
  WriteFile(dir / "b.txt", "b");
  const std::string root = dir.path().string();
  RecordingWindow window;
  window.onEvents = [&] {
    if (window.status == Progress(1, root)) window.abortRequested = true;
  };
  Generate(window, root);

  EXPECT_EQ(window.log, (Lines{"File: a.txt", "OPERATION ABORTED BY USER."}));
  Lines expectedTail = {"status: " + Progress(1, root), "events", kAborted, "status: "};
  Append(expectedTail, kLeaveGenerating);
  EXPECT_EQ(Tail(window.Trace(), expectedTail.size()), expectedTail);
  EXPECT_EQ(window.status, "");
  EXPECT_EQ(window.Count(Op::ShowMessageBox), 0u);
  EXPECT_EQ(ReadFile(dir / "VRTLY-sums.MD5"), "; the old checkfile\r\n");
}

TEST(Generation, StoppedTwoFoldersDownUnwindsWithThreeStopLines) {
  TempDir dir;
  WriteFile(dir / "s1/s2/f.txt", "f");
  WriteFile(dir / "s1/s2/g.txt", "g");
  WriteFile(dir / "s1/t.txt", "t");
  WriteFile(dir / "z.txt", "z");
  const std::string root = dir.path().string();
  const std::string s1 = JoinPath(root, "s1");
  const std::string s2 = JoinPath(s1, "s2");
  RecordingWindow window;
  window.onEvents = [&] {
    if (window.status == Progress(1, s2)) window.abortRequested = true;
  };
  Generate(window, root);

  EXPECT_EQ(window.log,
            (Lines{"Folder: " + s1, "Folder: " + s2, "File: f.txt", "OPERATION ABORTED BY USER.",
                   "OPERATION ABORTED BY USER.", "OPERATION ABORTED BY USER."}));
  // Each level above shows its own folder with the emptied list before it stops.
  Lines expectedTail = {"status: " + Progress(1, s2),
                        "events",
                        kAborted,
                        "status: " + Progress(0, s1),
                        "events",
                        kAborted,
                        "status: " + Progress(0, root),
                        "events",
                        kAborted,
                        "status: "};
  Append(expectedTail, kLeaveGenerating);
  EXPECT_EQ(Tail(window.Trace(), expectedTail.size()), expectedTail);
  EXPECT_EQ(window.Count(Op::ShowMessageBox), 0u);
  EXPECT_FALSE(platform::File::OpenForRead(dir / "VRTLY-sums.MD5").IsOpen());
}

TEST(Generation, FindsNoFilesToWorkWith) {
  TempDir dir;
  WriteFile(dir / "hidden/.only", "h");
  fs::create_directories(dir.path() / "empties/one");
  fs::create_directories(dir.path() / "empties/two");
  struct Case {
    std::string folder;
    Lines log;
  };
  const Case cases[] = {
      {dir / "hidden", {}},
      {dir / "empties", {"Folder: " + (dir / "empties/one"), "Folder: " + (dir / "empties/two")}},
      {dir / "missing", {}},
  };
  for (const Case& c : cases) {
    RecordingWindow window;
    Generate(window, c.folder);
    EXPECT_EQ(window.log, c.log) << c.folder;
    Lines expectedTail = {"status: ", "box: No files to work with!"};
    Append(expectedTail, kLeaveGenerating);
    EXPECT_EQ(Tail(window.Trace(), expectedTail.size()), expectedTail) << c.folder;
    EXPECT_FALSE(platform::File::OpenForRead(checkfile::CheckfilePath(c.folder)).IsOpen());
  }
}

TEST(Generation, AnEmptySelectedFolderIsNotWalked) {
  RecordingWindow window;
  Generate(window, "");
  Lines expected = kEnterGenerating;
  Append(expected, {"clear log", "status: ", "box: No files to work with!"});
  Append(expected, kLeaveGenerating);
  EXPECT_EQ(window.Trace(), expected);
}

TEST(Generation, RemovesOneTrailingSeparatorAndASecondRunWritesTheSame) {
  TempDir dir;
  MakeSmallTree(dir);
  const std::string root = dir.path().string();
  RecordingWindow window;
  Generate(window, root + platform::kPathSeparator + platform::kPathSeparator);
  EXPECT_EQ(window.selectedFolder, root + platform::kPathSeparator);

  Generate(window, root + platform::kPathSeparator);
  EXPECT_EQ(window.selectedFolder, root);
  const Lines firstLog = window.log;
  const std::string first = SplitOffTimestamp(ReadFile(dir / "VRTLY-sums.MD5")).rest;
  window.ForgetCalls();
  checkfile::RunTask(window, checkfile::RunGeneration);
  EXPECT_EQ(window.selectedFolder, root);
  EXPECT_EQ(window.Count(Op::SetSelectedFolder), 0u);
  EXPECT_EQ(window.log, firstLog);
  EXPECT_EQ(SplitOffTimestamp(ReadFile(dir / "VRTLY-sums.MD5")).rest, first);
}

TEST(Generation, AFailedSaveShowsTheErrorBoxAndReturnsToIdle) {
  TempDir dir;
  WriteFile(dir / "a.txt", "a");
  WriteFile(dir / "VRTLY-sums.MD5/in the way", "x");  // a folder where the checkfile goes
  RecordingWindow window;
  Generate(window, dir.path().string());

  const Lines trace = window.Trace();
  Lines expectedTail = {"status: Generating check file...", "status shown", "events"};
  Append(expectedTail, kLeaveGenerating);
  EXPECT_EQ(Tail(Lines(trace.begin(), trace.end() - 1), expectedTail.size()), expectedTail);
  const std::string prefix = "error box: Cannot create file \"" + (dir / "VRTLY-sums.MD5") + "\". ";
  EXPECT_EQ(trace.back().rfind(prefix, 0), 0u) << trace.back();
  EXPECT_GT(trace.back().size(), prefix.size());
  EXPECT_EQ(window.log, Lines{"File: a.txt"});
  EXPECT_EQ(window.status, "Generating check file...");
  EXPECT_EQ(window.state, checkfile::TaskState::Idle);
}

#ifndef _WIN32

TEST(Generation, ReportsFifosAndDoesNotFollowALinkLoop) {
  TempDir dir;
  WriteFile(dir / "sub/a.txt", "a");
  ASSERT_EQ(mkfifo((dir / "sub/fifo").c_str(), 0600), 0);
  ASSERT_EQ(symlink(dir.path().c_str(), (dir / "sub/loop").c_str()), 0);
  ASSERT_EQ(symlink((dir / "nowhere").c_str(), (dir / "dangling").c_str()), 0);
  RecordingWindow window;
  Generate(window, dir.path().string());

  EXPECT_EQ(window.log,
            (Lines{"File: dangling", "Could not open file", "Folder: " + (dir / "sub"),
                   "File: a.txt", "File: fifo", "Could not open file",
                   "Folder: " + (dir / "sub/loop"), checkfile::kLinkLoopText,
                   "Operation complete.  Check file saved to " + (dir / "VRTLY-sums.MD5")}));
}

TEST(Generation, ReportsNamesTheCheckfileCannotHoldAndLeavesThemOut) {
  TempDir dir;
  WriteFile(dir / "a\\b.txt", "x");
  WriteFile(dir / "c\\d/inside.txt", "x");
  WriteFile(dir / "line\nbreak", "x");
  WriteFile(dir / "plain.txt", "a");
  RecordingWindow window;
  Generate(window, dir.path().string());

  EXPECT_EQ(window.log,
            (Lines{"File: a\\b.txt", checkfile::kUnstorableNameText, "Folder: " + (dir / "c\\d"),
                   checkfile::kUnstorableNameText, "File: line\nbreak",
                   checkfile::kUnstorableNameText, "File: plain.txt",
                   "Operation complete.  Check file saved to " + (dir / "VRTLY-sums.MD5")}));
  EXPECT_EQ(
      SplitOffTimestamp(ReadFile(dir / "VRTLY-sums.MD5")).rest,
      std::string("; MD5 sums generated by Veritally version " VRTLY_FILE_VERSION_TEXT "\r\n") +
          kDigestA + "|plain.txt\r\n");
}

#endif

}  // namespace
