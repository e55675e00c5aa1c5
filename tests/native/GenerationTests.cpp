// The "Go!" task end to end against the recording window, on real temporary trees.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "checkfile/CheckfileFormat.h"
#include "checkfile/Generation.h"
#include "checkfile/Tasks.h"
#include "checkfile/Timestamp.h"
#include "platform/File.h"
#include "platform/Path.h"
#include "tests/support/CheckfileSamples.h"
#include "tests/support/RecordingWindow.h"
#include "tests/support/TaskCases.h"
#include "tests/support/TestFiles.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

using namespace testing_support;  // the test support: files, samples, windows, faults
namespace fs = std::filesystem;
using platform::JoinPath;
using Op = RecordingWindow::Op;

constexpr char kAborted[] = "log: OPERATION ABORTED BY USER.";
constexpr char kPrevious[] = "; the old checkfile\r\n";

const Lines kEnterGenerating = {"abort flag off", "state: generating"};
const Lines kLeaveGenerating = {"state: idle"};

// What follows every directory entry: the status line, then the event processing. Windows'
// search returns "." and ".." first in every folder but a drive root; they are skipped, but
// still followed by both.
void AddProgress(Lines& trace, size_t filesProcessed, const std::string& folder,
                 size_t entries = 1) {
  for (size_t i = 0; i < entries; ++i)
    Append(trace, {"status: " + Progress(filesProcessed, folder), "events"});
}

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
  AddProgress(expected, 0, root, kDotEntries);
  expected.push_back("log: File: a.txt");
  AddProgress(expected, 1, root);
  expected.push_back("log: Folder: " + empty);
  AddProgress(expected, 1, empty, kDotEntries);
  AddProgress(expected, 1, root);
  expected.push_back("log: Folder: " + sub);
  AddProgress(expected, 1, sub, kDotEntries);
  expected.push_back("log: File: abc.txt");
  AddProgress(expected, 2, sub);
  expected.push_back("log: Folder: " + deeper);
  AddProgress(expected, 2, deeper, kDotEntries);
  expected.push_back("log: File: d.bin");
  AddProgress(expected, 3, deeper);
  AddProgress(expected, 3, sub);  // the count runs on over the whole walk
  AddProgress(expected, 3, root);
  expected.push_back("log: File: z.txt");
  AddProgress(expected, 4, root);
  Append(expected, {"status: ", "status: Generating check file...", "status shown", "events"});
  Append(expected, kLeaveGenerating);
  Append(expected, {"status: " + window.banner, "log: " + SavedTo(root)});
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
  EXPECT_EQ(written.rest, SmallTreeCheckfileWithoutTimestamp());
  EXPECT_TRUE(written.timestampLine == "; " + before || written.timestampLine == "; " + after)
      << written.timestampLine << " is not between " << before << " and " << after;
}

// "vrtly-sums.md5" beside the files, named in lower case: on Windows, whose file systems ignore
// letter case, it is the checkfile itself, so listing it would put a digest in the checkfile
// that its own writing makes stale, and every later check would fail. Where letter case counts
// it is another file.
constexpr char kLowerCaseCheckfile[] = "; an old checkfile, named in lower case\r\n";

TEST(Generation, LeavesOutWhatItMustNotOrCannotListAndSaysWhy) {
  const WalkCase cases[] = {
      {"hidden entries are never seen",
       {{"seen.txt", "a"}, {".hidden.txt", "h"}, {".hiddendir/inside.txt", "h"}},
       {"File: seen.txt"},
       Entry(kDigestA, "seen.txt")},
      {"every VRTLY-sums.MD5 is skipped, other letter cases below the top are digested",
       {{"VRTLY-sums.MD5", kPrevious},
        {"sub/VRTLY-sums.MD5", "; a checkfile of its own\r\n"},
        {"sub/a.txt", "a"},
        {"other/vrtly-sums.md5", "abc"}},
       {"Folder: {other}", "File: vrtly-sums.md5", "Folder: {sub}", "File: a.txt"},
       Entry(kDigestAbc, "other\\vrtly-sums.md5") + Entry(kDigestA, "sub\\a.txt"),
       {},
       [](Scene& s, RecordingWindow& window) {
         EXPECT_EQ(ReadFile(s.dir / "sub/VRTLY-sums.MD5"), "; a checkfile of its own\r\n");
         // Skipped entries are entries all the same: each is followed by the status and the
         // events (six entries in three folders, and once before writing).
         EXPECT_EQ(window.Count(Op::ProcessPendingEvents), 6 + 3 * kDotEntries + 1);
       }},
      {"the selected folder's checkfile under another letter case",
       {{"vrtly-sums.md5", kLowerCaseCheckfile}, {"a.txt", "a"}},
#ifdef _WIN32
       {"File: a.txt"},
       Entry(kDigestA, "a.txt"),
#else
       {"File: a.txt", "File: vrtly-sums.md5"},
       Entry(kDigestA, "a.txt") + Entry(DigestOf(kLowerCaseCheckfile), "vrtly-sums.md5"),
#endif
       {},
       [](Scene& s, RecordingWindow& window) {
         Verify(window, s.dir / "VRTLY-sums.MD5");
         EXPECT_EQ(window.log.back(), "EVERY FILE APPEARS OK!");
       }},
      {"a temporary that a crash left is neither listed nor left behind",
       {{"a.txt", "a"}},
       {"File: a.txt"},
       Entry(kDigestA, "a.txt"),
       [](Scene& s) {
         platform::File leftover =
             platform::File::CreateTemporary(s.dir / checkfile::kTemporaryCheckfileName);
         uint32_t done = 0;
         ASSERT_TRUE(leftover.IsOpen() && leftover.Write("; half a che", 12, done));
       },
       [](Scene& s, RecordingWindow&) {
         EXPECT_FALSE(fs::exists(s.dir / checkfile::kTemporaryCheckfileName));
       }},
      {"a file that cannot be opened is logged and left out",
       {{"a.txt", "a"}, {"held.txt", "held"}, {"z.txt", "abc"}},
       {"File: a.txt", "File: held.txt", "Could not open file", "File: z.txt"},
       Entry(kDigestA, "a.txt") + Entry(kDigestAbc, "z.txt"),
       [](Scene& s) { s.Hold("held.txt"); },
       [](Scene& s, RecordingWindow& window) {
         const Lines trace = window.Trace();
         // The count stays at 1 after held.txt.
         EXPECT_EQ(std::count(trace.begin(), trace.end(),
                              "status: " + Progress(1, s.dir.path().string())),
                   2);
       }},
#ifndef _WIN32
      {"a FIFO and a dangling link cannot be opened, a link loop is not followed",
       {{"sub/a.txt", "a"}},
       {"File: dangling", "Could not open file", "Folder: {sub}", "File: a.txt", "File: fifo",
        "Could not open file", "Folder: {sub/loop}", checkfile::kLinkLoopText},
       Entry(kDigestA, "sub\\a.txt"),
       [](Scene& s) {
         ASSERT_EQ(mkfifo((s.dir / "sub/fifo").c_str(), 0600), 0);
         ASSERT_EQ(symlink(s.dir.path().c_str(), (s.dir / "sub/loop").c_str()), 0);
         ASSERT_EQ(symlink((s.dir / "nowhere").c_str(), (s.dir / "dangling").c_str()), 0);
       }},
      {"names the checkfile cannot hold are reported and left out",
       {{"a\\b.txt", "x"}, {"c\\d/inside.txt", "x"}, {"line\nbreak", "x"}, {"plain.txt", "a"}},
       {"File: a\\b.txt", checkfile::kUnstorableNameText, "Folder: {c\\d}",
        checkfile::kUnstorableNameText, "File: line\nbreak", checkfile::kUnstorableNameText,
        "File: plain.txt"},
       Entry(kDigestA, "plain.txt")},
#endif
  };
  for (const WalkCase& c : cases)
    ExpectWalk(c);
}

// A stop: the abort flag is raised at the status line shown, each level up to the selected
// folder logs the stop, and nothing is written.
struct Stop {
  const char* what;
  FileList files;
  std::string stopAt;        // the status line at which the flag is raised
  Lines log;                 // paths in braces lie in the tree
  Lines traceBeforeLeaving;  // the trace's last lines before the window returns to idle
};

const Stop kStops[] = {
    {"in the selected folder, with a previous checkfile",
     {{"VRTLY-sums.MD5", kPrevious}, {"a.txt", "a"}, {"b.txt", "b"}},
     Progress(1, "{}"),
     {"File: a.txt", "OPERATION ABORTED BY USER."},
     {"status: " + Progress(1, "{}"), "events", kAborted, "status: "}},
    // Each level above shows its own folder with the emptied list before it stops.
    {"two folders down",
     {{"s1/s2/f.txt", "f"}, {"s1/s2/g.txt", "g"}, {"s1/t.txt", "t"}, {"z.txt", "z"}},
     Progress(1, "{s1/s2}"),
     {"Folder: {s1}", "Folder: {s1/s2}", "File: f.txt", "OPERATION ABORTED BY USER.",
      "OPERATION ABORTED BY USER.", "OPERATION ABORTED BY USER."},
     {"status: " + Progress(1, "{s1/s2}"), "events", kAborted, "status: " + Progress(0, "{s1}"),
      "events", kAborted, "status: " + Progress(0, "{}"), "events", kAborted, "status: "}},
};

TEST(Generation, AStopUnwindsWithOneStopLinePerLevelAndWritesNothing) {
  for (const Stop& c : kStops) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    WriteFiles(dir, c.files);
    const std::string checkfile = dir / checkfile::kCheckfileName;
    const bool hadCheckfile = fs::exists(checkfile);
    const std::string stopAt = InDir(dir, c.stopAt);
    RecordingWindow window;
    window.onEvents = [&] {
      if (window.status == stopAt) window.abortRequested = true;
    };
    Generate(window, dir.path().string());

    EXPECT_EQ(window.log, InDir(dir, c.log));
    Lines expectedTail = InDir(dir, c.traceBeforeLeaving);
    Append(expectedTail, kLeaveGenerating);
    EXPECT_EQ(Tail(window.Trace(), expectedTail.size()), expectedTail);
    EXPECT_EQ(window.status, "");
    EXPECT_EQ(window.Count(Op::ShowMessageBox), 0u);
    if (hadCheckfile) {
      EXPECT_EQ(ReadFile(checkfile), kPrevious);
    } else {
      EXPECT_FALSE(platform::File::OpenForRead(checkfile).IsOpen());
    }
  }
}

TEST(Generation, FindsNoFilesToWorkWith) {
  TempDir dir;
  WriteFiles(dir, {{"hidden/.only", "h"}, {"empties/one/", ""}, {"empties/two/", ""}});
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
  WriteFile(dir / "VRTLY-sums.MD5/in the way", "x");  // a folder in its place
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

}  // namespace
