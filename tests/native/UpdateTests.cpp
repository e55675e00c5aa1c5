// The update of a checkfile against the recording window, on real temporary trees: which files
// it reads, what it logs, and the checkfile it leaves.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "checkfile/CheckfileFormat.h"
#include "checkfile/Generation.h"
#include "checkfile/Tasks.h"
#include "checkfile/Update.h"
#include "platform/FileTime.h"
#include "platform/Path.h"
#include "tests/support/CheckfileSamples.h"
#include "tests/support/CheckfileTimes.h"
#include "tests/support/FaultInjector.h"
#include "tests/support/RecordingWindow.h"
#include "tests/support/TestFiles.h"

namespace {

namespace fs = std::filesystem;
using namespace testing_support;  // the test support: files, samples, times, windows, faults
using platform::FileTime;
using platform::JoinPath;

constexpr int64_t kSecond = platform::kFileTimeTicksPerSecond;

#ifdef _WIN32
constexpr bool kStatusChangeTimeSeen = false;  // Windows: the last-write time alone
constexpr bool kLetterCaseCounts = false;
#else
constexpr bool kStatusChangeTimeSeen = true;
constexpr bool kLetterCaseCounts = true;
#endif

// An entry line without its line end.
std::string Entry(const char* digest, const std::string& relative) {
  return std::string(digest) + "|" + relative;
}

// make's entries for the small tree (CheckfileSamples.h).
const Lines kMadeEntries = {Entry(kDigestA, "a.txt"), Entry(kDigestAbc, "sub\\abc.txt"),
                            Entry(kDigestMessageDigest, "sub\\deeper\\d.bin"),
                            Entry(kDigestEmpty, "z.txt")};

// The small tree, its checkfile as "Go!" wrote it, and the checkfile's time set so that every
// file of the tree counts as unchanged since.
struct UpdateTree : CheckfileTimes {
  UpdateTree() {
    MakeSmallTree(dir);
    RecordingWindow window;
    Generate(window, top);
    TrustCheckfile();
  }

  std::string Path(const std::string& stored) const {
    return checkfile::ListedPath(JoinPath(top, ""), stored);
  }
  void TrustCheckfile() { Trust(dir.path(), checkfile); }
  // The checkfile's time an hour back: every file is read, and the time the update writes
  // shows whether it kept the old one.
  void DistrustCheckfile() { Distrust(checkfile); }
  void Change(const std::string& relative, const std::string& bytes) const {
    CheckfileTimes::Change(Path(relative), bytes);
  }

  void Update(RecordingWindow& window) const {
    window.selectedFolder = top;
    checkfile::DigestOnRequest digests;
    checkfile::RunTask(window, checkfile::RunUpdate, digests);
  }

  Lines WrittenEntries() const { return EntryLines(checkfile); }

  // A checkfile of the entries written by hand, trusted.
  void WriteCheckfile(const Lines& entries) {
    std::string text = "; header\r\n; 1/2/2026\r\n";
    for (const std::string& entry : entries)
      text += entry + "\r\n";
    WriteFile(checkfile, text);
    TrustCheckfile();
  }

  TempDir dir;
  const std::string top = dir.path().string();
  const std::string checkfile = JoinPath(top, checkfile::kCheckfileName);
};

// The log without the walk's "Folder: " and "File: " lines.
Lines Report(const Lines& log) {
  Lines report;
  for (const std::string& line : log) {
    if (line.rfind("Folder: ", 0) != 0 && line.rfind("File: ", 0) != 0) report.push_back(line);
  }
  return report;
}

#ifndef _WIN32
// Points the link at target anew once the clock has passed every time the checkfile trusts
// (file systems stamp with a coarse clock).
void RepointAfterTrust(const UpdateTree& tree, const std::string& link, const std::string& target) {
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  fs::remove(tree.Path(link));
  fs::create_symlink(target, tree.Path(link));
}
#endif

struct UpdateCase {
  const char* name;
  std::function<void(UpdateTree&)> change;
  Lines report;  // "ADDED: " and the like with the relative path, in the log's order
  const char* counts;
  Lines entries;
};

TEST(Update, ReadsWhatIsNewOrChangedAndWritesTheWalksEntries) {
  const std::vector<UpdateCase> cases = {
      {"an untouched tree: make's entries, byte for byte",
       [](UpdateTree&) {},
       {},
       "0 added, 0 changed, 0 removed, 4 unchanged.",
       kMadeEntries},
      {"a file added in the top folder and one two folders down",
       [](UpdateTree& tree) {
         WriteFile(tree.Path("b.txt"), "b");
         WriteFile(tree.Path("sub\\deeper\\e.txt"), "abc");
       },
       {"ADDED: b.txt", "ADDED: sub\\deeper\\e.txt"},
       "2 added, 0 changed, 0 removed, 4 unchanged.",
       {Entry(kDigestA, "a.txt"), Entry(kDigestB, "b.txt"), Entry(kDigestAbc, "sub\\abc.txt"),
        Entry(kDigestMessageDigest, "sub\\deeper\\d.bin"), Entry(kDigestAbc, "sub\\deeper\\e.txt"),
        Entry(kDigestEmpty, "z.txt")}},
      {"a file changed, with a new time",
       [](UpdateTree& tree) { tree.Change("a.txt", "b"); },
       {"CHANGED: a.txt"},
       "0 added, 1 changed, 0 removed, 3 unchanged.",
       {Entry(kDigestB, "a.txt"), kMadeEntries[1], kMadeEntries[2], kMadeEntries[3]}},
      {"a file written again with the same bytes: read, and unchanged",
       [](UpdateTree& tree) { tree.Change("a.txt", "a"); },
       {},
       "0 added, 0 changed, 0 removed, 4 unchanged.",
       kMadeEntries},
      {"a file and a folder deleted: removed after the walk, in the checkfile's order",
       [](UpdateTree& tree) {
         fs::remove(tree.Path("z.txt"));
         fs::remove_all(tree.Path("sub\\deeper"));
       },
       {"REMOVED: sub\\deeper\\d.bin", "REMOVED: z.txt"},
       "0 added, 0 changed, 2 removed, 2 unchanged.",
       {kMadeEntries[0], kMadeEntries[1]}},
      {"a folder renamed",
       [](UpdateTree& tree) { fs::rename(tree.Path("sub"), tree.Path("sub2")); },
       {"ADDED: sub2\\abc.txt", "ADDED: sub2\\deeper\\d.bin", "REMOVED: sub\\abc.txt",
        "REMOVED: sub\\deeper\\d.bin"},
       "2 added, 0 changed, 2 removed, 2 unchanged.",
       {kMadeEntries[0], Entry(kDigestAbc, "sub2\\abc.txt"),
        Entry(kDigestMessageDigest, "sub2\\deeper\\d.bin"), kMadeEntries[3]}},
      // POSIX sees the change in the status-change time; where only the modification time is
      // read the old digest stays, and a check reports the mismatch (the test below).
      {"a file changed with its modification time set back",
       [](UpdateTree& tree) {
         tree.Change("a.txt", "b");
         ASSERT_TRUE(platform::SetModificationTime(tree.Path("a.txt"),
                                                   FileTime{tree.latest.Ticks - 3600 * kSecond}));
       },
       kStatusChangeTimeSeen ? Lines{"CHANGED: a.txt"} : Lines{},
       kStatusChangeTimeSeen ? "0 added, 1 changed, 0 removed, 3 unchanged."
                             : "0 added, 0 changed, 0 removed, 4 unchanged.",
       {Entry(kStatusChangeTimeSeen ? kDigestB : kDigestA, "a.txt"), kMadeEntries[1],
        kMadeEntries[2], kMadeEntries[3]}},
#ifndef _WIN32
      // The links are made before the checkfile's time, the one pointed elsewhere after it,
      // towards files as old as the rest (hidden from the walk by their dot names).
      {"a folder replaced by a link to a folder of old files, then pointed at another",
       [](UpdateTree& tree) {
         WriteFile(tree.Path(".old\\d.bin"), "message digest");
         WriteFile(tree.Path(".other\\d.bin"), "b");
         fs::remove_all(tree.Path("sub\\deeper"));
         fs::create_directory_symlink(tree.Path(".old"), tree.Path("sub\\deeper"));
         tree.WriteCheckfile(kMadeEntries);
         RepointAfterTrust(tree, "sub\\deeper", tree.Path(".other"));
       },
       {"CHANGED: sub\\deeper\\d.bin"},
       "0 added, 1 changed, 0 removed, 3 unchanged.",
       {kMadeEntries[0], kMadeEntries[1], Entry(kDigestB, "sub\\deeper\\d.bin"), kMadeEntries[3]}},
      {"a file reached through a link to a link, the second pointed at another old file",
       [](UpdateTree& tree) {
         WriteFile(tree.Path(".a"), "a");
         WriteFile(tree.Path(".b"), "b");
         fs::remove(tree.Path("a.txt"));
         fs::create_symlink(".a", tree.Path(".hop"));
         fs::create_symlink(".hop", tree.Path("a.txt"));
         tree.WriteCheckfile(kMadeEntries);
         RepointAfterTrust(tree, ".hop", ".b");
       },
       {"CHANGED: a.txt"},
       "0 added, 1 changed, 0 removed, 3 unchanged.",
       {Entry(kDigestB, "a.txt"), kMadeEntries[1], kMadeEntries[2], kMadeEntries[3]}},
#endif
      {"entries that disagree, and uppercase digits, are read again however old the file",
       [](UpdateTree& tree) {
         tree.WriteCheckfile({Entry(kDigestB, "a.txt"), Entry(kDigestA, "a.txt"),
                              Entry("900150983CD24FB0D6963F7D28E17F72", "sub\\abc.txt"),
                              kMadeEntries[2], kMadeEntries[3]});
       },
       {"CHANGED: a.txt", "CHANGED: sub\\abc.txt"},
       "0 added, 2 changed, 0 removed, 2 unchanged.",
       kMadeEntries},
      {"an entry in other letter case: the same file on Windows only",
       [](UpdateTree& tree) {
         tree.WriteCheckfile(
             {Entry(kDigestA, "A.TXT"), kMadeEntries[1], kMadeEntries[2], kMadeEntries[3]});
       },
       kLetterCaseCounts ? Lines{"ADDED: a.txt", "REMOVED: A.TXT"} : Lines{},
       kLetterCaseCounts ? "1 added, 0 changed, 1 removed, 3 unchanged."
                         : "0 added, 0 changed, 0 removed, 4 unchanged.",
       kMadeEntries},
  };
  for (const UpdateCase& row : cases) {
    SCOPED_TRACE(row.name);
    UpdateTree tree;
    row.change(tree);
    RecordingWindow window;
    tree.Update(window);
    Lines expected;
    for (const std::string& line : row.report) {
      const size_t colon = line.find(": ");
      expected.push_back(line.substr(0, colon + 2) + tree.Path(line.substr(colon + 2)));
    }
    expected.push_back(SavedTo(tree.top));
    expected.push_back(row.counts);
    EXPECT_EQ(Report(window.log), expected);
    EXPECT_EQ(tree.WrittenEntries(), row.entries);
    EXPECT_EQ(window.Count(RecordingWindow::Op::ShowErrorBox) +
                  window.Count(RecordingWindow::Op::ShowMessageBox),
              0u);
  }
}

// A file changed with its modification time set back: on POSIX the update sees the change and
// a check finds the new digest; where only the modification time is read the old digest stays,
// and the next check reports the mismatch, never OK.
TEST(Update, AChangeHiddenBySettingTheTimeBackIsNeverOkForCheckUnlessTheUpdateSawIt) {
  UpdateTree tree;
  tree.Change("a.txt", "b");
  ASSERT_TRUE(platform::SetModificationTime(tree.Path("a.txt"),
                                            FileTime{tree.latest.Ticks - 3600 * kSecond}));
  RecordingWindow update;
  tree.Update(update);
  RecordingWindow check;
  Verify(check, tree.checkfile);
  const std::string path = tree.Path("a.txt");
  ASSERT_EQ(check.log.size(), 9u);
  EXPECT_EQ(check.log[1], kStatusChangeTimeSeen
                              ? "OK: " + path
                              : "ERROR: MD5 sum does not match for " + path +
                                    ". Expected: " + kDigestA + " Calculated: " + kDigestB);
  EXPECT_EQ(Tail(check.log, 4), Summary(4, 0, kStatusChangeTimeSeen ? 0 : 1));
}

TEST(Update, LogsTheWalkAsMakeDoesWithItsOwnLinesInPlace) {
  UpdateTree tree;
  WriteFile(tree.Path("sub\\deeper\\e.txt"), "abc");
  RecordingWindow window;
  tree.Update(window);
  const std::string sub = tree.Path("sub");
  EXPECT_EQ(window.log,
            (Lines{"File: a.txt", "Folder: " + tree.Path("empty"), "Folder: " + sub,
                   "File: abc.txt", "Folder: " + tree.Path("sub\\deeper"), "File: d.bin",
                   "File: e.txt", "ADDED: " + tree.Path("sub\\deeper\\e.txt"), "File: z.txt",
                   SavedTo(tree.top), "1 added, 0 changed, 0 removed, 4 unchanged."}));
  const Lines trace = window.Trace();
  EXPECT_EQ(Lines(trace.begin(), trace.begin() + 3),
            (Lines{"abort flag off", "state: generating", "clear log"}));
  EXPECT_NE(std::find(trace.begin(), trace.end(), "status: 2 files processed.\nWorking in " + sub),
            trace.end());
  EXPECT_EQ(window.status, window.banner);
  EXPECT_EQ(window.state, checkfile::TaskState::Idle);
}

// The property the update is for: on an untouched tree it writes exactly the entries make
// wrote, and reads nothing but the checkfile, even beside a file of more than 4 GiB.
TEST(Update, AnUntouchedTreeIsNotReadAtAll) {
  UpdateTree tree;
  const std::string big = tree.Path("big.bin");
  WriteFile(big, "");
  fs::resize_file(big, VRTLY_BIG_FILE_SIZE);  // sparse: nothing to read from the disc
  // The big file's entry as make writes it, with the digest md5sum gave for it at build
  // time.
  Lines made = tree.WrittenEntries();
  made.insert(made.begin() + 1, Entry(VRTLY_BIG_FILE_MD5, "big.bin"));
  tree.WriteCheckfile(made);

  RecordingWindow window;
  {
    FaultInjector counter;  // counts the openings and reads
    tree.Update(window);
    EXPECT_EQ(counter.Openings(), (std::map<std::string, int>{{tree.checkfile, 1}}));
    const std::map<std::string, int> reads = counter.Reads();
    ASSERT_EQ(reads.size(), 1u);
    EXPECT_EQ(reads.begin()->first, tree.checkfile);
  }
  EXPECT_EQ(Report(window.log).back(), "0 added, 0 changed, 0 removed, 5 unchanged.");
  std::string expected = kVersionHeaderLine;
  for (const std::string& entry : made)
    expected += entry + "\r\n";
  EXPECT_EQ(WithoutTimestamp(ReadFile(tree.checkfile)), expected);
}

// Within the margin a file is read again: file systems that keep times to 2 seconds round
// them.
TEST(Update, AFileKeepsItsDigestOnlyWhenItsLastChangeIsOlderThanTheMargin) {
  const FileTime checkfileTime{1'000'000 * kSecond};
  const struct {
    int64_t before;  // how long before the checkfile's time the file last changed
    bool kept;
  } cases[] =
      {
          {3600 * kSecond, true},   {3 * kSecond, true}, {2 * kSecond + 1, true},
          {2 * kSecond, false},     {kSecond, false},    {0, false},
          {-3600 * kSecond, false},  // changed after the checkfile was written
      };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.before);
    EXPECT_EQ(checkfile::ChangedBefore(FileTime{checkfileTime.Ticks - row.before}, checkfileTime),
              row.kept);
  }
}

// So that a file changed while the walk ran is read again next time: make and update
// both.
TEST(Update, TheWrittenCheckfileCarriesTheMomentTheWalkBegan) {
  const std::function<void(UpdateTree&, RecordingWindow&)> tasks[] = {
      [](UpdateTree& tree, RecordingWindow& window) { Generate(window, tree.top); },
      [](UpdateTree& tree, RecordingWindow& window) { tree.Update(window); },
  };
  for (const auto& task : tasks) {
    UpdateTree tree;
    RecordingWindow window;
    FileTime walkStart;
    // The first entry of the walk: the walk began before it, after the task started.
    window.onEvents = [&walkStart] {
      if (walkStart == FileTime{}) walkStart = platform::CurrentFileTime();
    };
    const FileTime before = platform::CurrentFileTime();
    task(tree, window);
    const FileTime written = Modified(tree.checkfile);
    EXPECT_LE(before, written);
    EXPECT_LE(written, walkStart);
  }
}

// What the update cannot read may be there still, unchanged: a file that cannot be read keeps
// its old entry (a new one stays out, as with make), the entries below a folder the walk could
// not search stay, after the walked files; and so that their changes are still found, the
// checkfile keeps the old time.
TEST(Update, KeepsTheEntriesOfWhatItCannotReadAndTheOldTime) {
  struct Case {
    const char* name;
    std::function<void(FaultInjector&, const UpdateTree&)> arrange;
    Lines log;  // before the "saved to" line; paths in braces lie in the tree
    Lines entries;
  };
  const Lines walkedFirst = {kMadeEntries[0], kMadeEntries[1], kMadeEntries[3], kMadeEntries[2]};
  const std::vector<Case> cases = {
      {"a file that cannot be digested keeps its old entry",
       [](FaultInjector& faults, const UpdateTree& tree) {
         WriteFile(tree.Path("a.txt"), "b");
         WriteFile(tree.Path("b.txt"), "n");
         faults.FailOpening(tree.Path("a.txt"), kAccessDenied);
         faults.FailOpening(tree.Path("b.txt"), kAccessDenied);
       },
       {"File: a.txt", "Could not open file", "File: b.txt", "Could not open file",
        "Folder: {empty}", "Folder: {sub}", "File: abc.txt", "Folder: {sub/deeper}", "File: d.bin",
        "File: z.txt"},
       kMadeEntries},
      {"a folder gone between its parent's listing and its own",
       [](FaultInjector& faults, const UpdateTree& tree) {
         const std::string deeper = tree.Path("sub\\deeper");
         faults.BeforeListing(deeper, [deeper] { fs::remove_all(deeper); });
       },
       {"File: a.txt", "Folder: {empty}", "Folder: {sub}", "File: abc.txt", "Folder: {sub/deeper}",
        checkfile::kCannotListFolderText, "File: z.txt"},
       walkedFirst},
      {"a listing that breaks off after its first entry",
       [](FaultInjector& faults, const UpdateTree& tree) {
         faults.BreakListing(tree.Path("sub"), kDotEntries + 1, kReadFault);
       },
       {"File: a.txt", "Folder: {empty}", "Folder: {sub}", "File: abc.txt",
        checkfile::kListingBrokeText + std::string("{sub}"), "File: z.txt"},
       walkedFirst},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UpdateTree tree;
    tree.DistrustCheckfile();
    FaultInjector faults;
    c.arrange(faults, tree);
    RecordingWindow window;
    tree.Update(window);
    Lines log = InDir(tree.dir, c.log);
    Append(log, {SavedTo(tree.top), "0 added, 0 changed, 0 removed, 3 unchanged."});
    EXPECT_EQ(window.log, log);
    EXPECT_EQ(tree.WrittenEntries(), c.entries);
    EXPECT_EQ(Modified(tree.checkfile), tree.checkfileTime);
  }
}

// Whenever the update does not get to write, the old checkfile stays as it was, time and
// all.
TEST(Update, WritesNothingWhenStoppedOrLeftWithNoFiles) {
  struct Case {
    const char* name;
    std::function<void(UpdateTree&, RecordingWindow&)> arrange;
    Lines report;
    const char* box;
  };
  const std::vector<Case> cases = {
      {"stopped in the top folder",
       [](UpdateTree&, RecordingWindow& window) { window.abortAtEvent = 1; },
       {"OPERATION ABORTED BY USER."},
       nullptr},
      {"stopped two folders down",
       [](UpdateTree&, RecordingWindow& window) { window.abortAtEvent = 4 + 4 * kDotEntries; },
       {"OPERATION ABORTED BY USER.", "OPERATION ABORTED BY USER.", "OPERATION ABORTED BY USER."},
       nullptr},
      {"every file gone",
       [](UpdateTree& tree, RecordingWindow&) {
         for (const char* name : {"a.txt", "sub", "z.txt"})
           fs::remove_all(tree.Path(name));
       },
       {},
       "No files to work with!"},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.name);
    UpdateTree tree;
    const std::string before = ReadFile(tree.checkfile);
    RecordingWindow window;
    row.arrange(tree, window);
    tree.Update(window);
    EXPECT_EQ(Report(window.log), row.report);
    EXPECT_EQ(window.Count(RecordingWindow::Op::ShowMessageBox), row.box ? 1u : 0u);
    EXPECT_EQ(ReadFile(tree.checkfile), before);
    EXPECT_EQ(Modified(tree.checkfile), tree.checkfileTime);
    EXPECT_EQ(window.state, checkfile::TaskState::Idle);
  }
}

TEST(Update, AMissingCheckfileEndsTheTaskBeforeAnythingIsLogged) {
  TempDir dir;
  WriteFile(dir / "a.txt", "a");
  const std::string checkfile = dir / checkfile::kCheckfileName;
  RecordingWindow window;
  window.log = {"the last task's log"};
  window.selectedFolder = dir.path().string();
  checkfile::DigestOnRequest digests;
  checkfile::RunTask(window, checkfile::RunUpdate, digests);
  ASSERT_EQ(window.Count(RecordingWindow::Op::ShowErrorBox), 1u);
  const std::string error = window.Trace().back();
  EXPECT_EQ(error.rfind("error box: Cannot open file \"" + checkfile + "\". ", 0), 0u) << error;
  EXPECT_EQ(window.log, Lines{"the last task's log"});
  EXPECT_FALSE(fs::exists(checkfile));
  EXPECT_EQ(window.state, checkfile::TaskState::Idle);
}

}  // namespace
