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
#include "platform/FaultHooks.h"
#include "platform/FileTime.h"
#include "platform/Path.h"
#include "tests/support/CheckfileSamples.h"
#include "tests/support/FaultInjector.h"
#include "tests/support/RecordingWindow.h"
#include "tests/support/TestFiles.h"

namespace {

namespace fs = std::filesystem;
using platform::FileTime;
using platform::JoinPath;
using testing_support::FaultInjector;
using testing_support::kDigestA;
using testing_support::kDigestAbc;
using testing_support::kDigestEmpty;
using testing_support::kDigestMessageDigest;
using testing_support::ReadFile;
using testing_support::RecordingWindow;
using testing_support::TempDir;
using testing_support::WithoutTimestamp;
using testing_support::WriteFile;
using Lines = std::vector<std::string>;

constexpr char kDigestB[] = "92eb5ffee6ae2fec3ad71c777531578f";
constexpr int64_t kSecond = platform::kFileTimeTicksPerSecond;

#ifdef _WIN32
constexpr bool kStatusChangeTimeSeen = false;  // Windows: the last-write time alone
constexpr bool kLetterCaseCounts = false;
#else
constexpr bool kStatusChangeTimeSeen = true;
constexpr bool kLetterCaseCounts = true;
#endif

std::string Entry(const char* digest, const std::string& relative) {
  return std::string(digest) + "|" + relative;
}

// make's entries for the small tree (CheckfileSamples.h).
const Lines kMadeEntries = {Entry(kDigestA, "a.txt"), Entry(kDigestAbc, "sub\\abc.txt"),
                            Entry(kDigestMessageDigest, "sub\\deeper\\d.bin"),
                            Entry(kDigestEmpty, "z.txt")};

FileTime LastChange(const std::string& path) {
  FileTime time;
  EXPECT_TRUE(platform::LastChangeTime(path, time)) << path;
  return time;
}

FileTime Modified(const std::string& path) {
  FileTime time;
  EXPECT_TRUE(platform::ModificationTime(path, time)) << path;
  return time;
}

// The small tree, its checkfile as "Go!" wrote it, and the checkfile's time set so that every
// file of the tree counts as unchanged since.
struct UpdateTree {
  UpdateTree() {
    testing_support::MakeSmallTree(dir);
    RecordingWindow window;
    testing_support::Generate(window, top);
    TrustCheckfile();
  }

  std::string Path(const std::string& stored) const {
    return checkfile::ListedPath(JoinPath(top, ""), stored);
  }

  // The checkfile's time just past every file's last change and the margin: each file keeps its
  // stored digest, and any change from now on is seen.
  void TrustCheckfile() {
    latest = FileTime{};
    for (const auto& item : fs::recursive_directory_iterator(dir.path())) {
      if (item.is_regular_file()) latest = std::max(latest, LastChange(item.path().string()));
    }
    checkfileTime = FileTime{latest.Ticks + checkfile::kTimeMargin + 1};
    ASSERT_TRUE(platform::SetModificationTime(checkfile, checkfileTime));
  }

  // The checkfile's time an hour back: every file is read, and the time the update writes
  // shows whether it kept the old one.
  void DistrustCheckfile() {
    checkfileTime = FileTime{platform::CurrentFileTime().Ticks - 3600 * kSecond};
    ASSERT_TRUE(platform::SetModificationTime(checkfile, checkfileTime));
  }

  // Writes the file so that its last change falls after the trusted time (file systems stamp
  // files with a coarse clock, so a write right after another may carry the same time).
  void Change(const std::string& relative, const std::string& bytes) const {
    const std::string path = Path(relative);
    for (int attempt = 0; attempt < 1000; ++attempt) {
      WriteFile(path, bytes);
      if (LastChange(path) > latest) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    FAIL() << "the last change of " << path << " stays at the trusted time";
  }

  void Update(RecordingWindow& window) const {
    window.selectedFolder = top;
    checkfile::DigestOnRequest digests;
    checkfile::RunTask(window, checkfile::RunUpdate, digests);
  }

  Lines WrittenEntries() const {
    Lines entries;
    for (const std::string& line : checkfile::SplitLines(ReadFile(checkfile))) {
      if (line.empty() || line[0] != ';') entries.push_back(line);
    }
    return entries;
  }

  TempDir dir;
  const std::string top = dir.path().string();
  const std::string checkfile = JoinPath(top, checkfile::kCheckfileName);
  FileTime latest;
  FileTime checkfileTime;
};

// The log without the walk's "Folder: " and "File: " lines.
Lines Report(const Lines& log) {
  Lines report;
  for (const std::string& line : log) {
    if (line.rfind("Folder: ", 0) != 0 && line.rfind("File: ", 0) != 0) report.push_back(line);
  }
  return report;
}

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
      {"entries that disagree, and uppercase digits, are read again however old the file",
       [](UpdateTree& tree) {
         WriteFile(tree.checkfile, "; header\r\n; 1/2/2026\r\n" + Entry(kDigestB, "a.txt") +
                                       "\r\n" + Entry(kDigestA, "a.txt") + "\r\n" +
                                       Entry("900150983CD24FB0D6963F7D28E17F72", "sub\\abc.txt") +
                                       "\r\n" + kMadeEntries[2] + "\r\n" + kMadeEntries[3] +
                                       "\r\n");
         tree.TrustCheckfile();
       },
       {"CHANGED: a.txt", "CHANGED: sub\\abc.txt"},
       "0 added, 2 changed, 0 removed, 2 unchanged.",
       kMadeEntries},
      {"an entry in other letter case: the same file on Windows only",
       [](UpdateTree& tree) {
         WriteFile(tree.checkfile, "; header\r\n; 1/2/2026\r\n" + Entry(kDigestA, "A.TXT") +
                                       "\r\n" + kMadeEntries[1] + "\r\n" + kMadeEntries[2] +
                                       "\r\n" + kMadeEntries[3] + "\r\n");
         tree.TrustCheckfile();
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
    expected.push_back("Operation complete.  Check file saved to " + tree.checkfile);
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
  testing_support::Verify(check, tree.checkfile);
  const std::string path = tree.Path("a.txt");
  const Lines expected =
      kStatusChangeTimeSeen
          ? Lines{"OK: " + path, "4 files tested.", "EVERY FILE APPEARS OK!"}
          : Lines{"ERROR: MD5 sum does not match for " + path + ". Expected: " + kDigestA +
                      " Calculated: " + kDigestB,
                  "4 files tested.",
                  "1 files MD5 sums did not match! Either these files were damaged or they were "
                  "modified."};
  ASSERT_EQ(check.log.size(), 9u);
  EXPECT_EQ(check.log[1], expected[0]);
  EXPECT_EQ(Lines(check.log.end() - 2, check.log.end()),
            Lines(expected.begin() + 1, expected.end()));
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
                   "Operation complete.  Check file saved to " + tree.checkfile,
                   "1 added, 0 changed, 0 removed, 4 unchanged."}));
  const Lines trace = window.Trace();
  EXPECT_EQ(Lines(trace.begin(), trace.begin() + 3),
            (Lines{"abort flag off", "state: generating", "clear log"}));
  EXPECT_NE(std::find(trace.begin(), trace.end(), "status: 2 files processed.\nWorking in " + sub),
            trace.end());
  EXPECT_EQ(window.status, window.banner);
  EXPECT_EQ(window.state, checkfile::TaskState::Idle);
}

// Counts every opening for reading and every read, by path.
class ReadCounter final : public platform::FaultHooks {
 public:
  ReadCounter() { platform::InstallFaultHooks(this); }
  ~ReadCounter() override { platform::InstallFaultHooks(nullptr); }
  ReadCounter(const ReadCounter&) = delete;
  ReadCounter& operator=(const ReadCounter&) = delete;

  std::map<std::string, int> openings;
  std::map<std::string, int> reads;

  uint32_t OpenForRead(const std::string& path) override {
    ++openings[path];
    return 0;
  }
  uint32_t CreateForWrite(const std::string&) override { return 0; }
  uint32_t ListFolder(const std::string&) override { return 0; }
  uint32_t ListNext(const std::string&, size_t) override { return 0; }
  uint32_t Read(intptr_t file, uint32_t&) override {
    ++reads[open_[file]];
    return 0;
  }
  uint32_t Write(intptr_t, uint32_t&) override { return 0; }
  uint32_t Flush(intptr_t) override { return 0; }
  uint32_t Replace(const std::string&, const std::string&) override { return 0; }
  void Opened(intptr_t file, const std::string& path) override { open_[file] = path; }
  void Closing(intptr_t file) override { open_.erase(file); }

 private:
  std::map<intptr_t, std::string> open_;
};

// The property the update is for: on an untouched tree it writes exactly the entries make
// wrote, and reads nothing but the checkfile, even beside a file of more than 4 GiB.
TEST(Update, AnUntouchedTreeIsNotReadAtAll) {
  UpdateTree tree;
  const std::string big = tree.Path("big.bin");
  WriteFile(big, "");
  fs::resize_file(big, VRTLY_BIG_FILE_SIZE);  // sparse: nothing to read from the disc
  // The big file's entry as make writes it, with the digest md5sum gave for it at build time.
  Lines made = tree.WrittenEntries();
  made.insert(made.begin() + 1, Entry(VRTLY_BIG_FILE_MD5, "big.bin"));
  std::string text = "; header\r\n; 1/2/2026\r\n";
  for (const std::string& entry : made)
    text += entry + "\r\n";
  WriteFile(tree.checkfile, text);
  tree.TrustCheckfile();

  RecordingWindow window;
  {
    ReadCounter counter;
    tree.Update(window);
    EXPECT_EQ(counter.openings, (std::map<std::string, int>{{tree.checkfile, 1}}));
    ASSERT_EQ(counter.reads.size(), 1u);
    EXPECT_EQ(counter.reads.begin()->first, tree.checkfile);
  }
  EXPECT_EQ(Report(window.log).back(), "0 added, 0 changed, 0 removed, 5 unchanged.");
  std::string expected = testing_support::kVersionHeaderLine;
  for (const std::string& entry : made)
    expected += entry + "\r\n";
  EXPECT_EQ(WithoutTimestamp(ReadFile(tree.checkfile)), expected);
}

// Within the margin a file is read again: file systems that keep times to 2 seconds round them.
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

// So that a file changed while the walk ran is read again next time: make and update both.
TEST(Update, TheWrittenCheckfileCarriesTheMomentTheWalkBegan) {
  const std::function<void(UpdateTree&, RecordingWindow&)> tasks[] = {
      [](UpdateTree& tree, RecordingWindow& window) {
        testing_support::Generate(window, tree.top);
      },
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

// A file that cannot be read keeps its old entry, and so that its change is still found, the
// checkfile keeps the old time; a new file that cannot be read stays out, as with make.
TEST(Update, AFileThatCannotBeDigestedKeepsItsOldEntry) {
  UpdateTree tree;
  tree.DistrustCheckfile();
  WriteFile(tree.Path("a.txt"), "b");
  WriteFile(tree.Path("b.txt"), "n");
  FaultInjector faults;
  faults.FailOpening(tree.Path("a.txt"), testing_support::kAccessDenied);
  faults.FailOpening(tree.Path("b.txt"), testing_support::kAccessDenied);
  RecordingWindow window;
  tree.Update(window);
  EXPECT_EQ(Lines(window.log.begin(), window.log.begin() + 4),
            (Lines{"File: a.txt", "Could not open file", "File: b.txt", "Could not open file"}));
  EXPECT_EQ(window.log.back(), "0 added, 0 changed, 0 removed, 3 unchanged.");
  EXPECT_EQ(tree.WrittenEntries(), kMadeEntries);
  EXPECT_EQ(Modified(tree.checkfile), tree.checkfileTime);
}

// The files below a folder the walk could not search may all be there still: their entries
// stay, after the walked files, and the checkfile keeps the old time.
TEST(Update, EntriesBelowAFolderThatCannotBeSearchedAreKept) {
  struct Fault {
    const char* name;
    std::function<void(FaultInjector&, const UpdateTree&)> arrange;
    std::function<Lines(const UpdateTree&)> report;
    Lines entries;
  };
  const std::vector<Fault> faults = {
      {"a folder gone between its parent's listing and its own",
       [](FaultInjector& injector, const UpdateTree& tree) {
         const std::string deeper = tree.Path("sub\\deeper");
         injector.BeforeListing(deeper, [deeper] { fs::remove_all(deeper); });
       },
       [](const UpdateTree&) { return Lines{checkfile::kCannotListFolderText}; },
       {kMadeEntries[0], kMadeEntries[1], kMadeEntries[3], kMadeEntries[2]}},
      {"a listing that breaks off after its first entry",
       [](FaultInjector& injector, const UpdateTree& tree) {
         injector.BreakListing(tree.Path("sub"), testing_support::kDotEntries + 1,
                               testing_support::kReadFault);
       },
       [](const UpdateTree& tree) {
         return Lines{checkfile::kListingBrokeText + tree.Path("sub")};
       },
       {kMadeEntries[0], kMadeEntries[1], kMadeEntries[3], kMadeEntries[2]}},
  };
  for (const Fault& fault : faults) {
    SCOPED_TRACE(fault.name);
    UpdateTree tree;
    tree.DistrustCheckfile();
    FaultInjector injector;
    fault.arrange(injector, tree);
    RecordingWindow window;
    tree.Update(window);
    Lines expected = fault.report(tree);
    expected.push_back("Operation complete.  Check file saved to " + tree.checkfile);
    expected.push_back("0 added, 0 changed, 0 removed, 3 unchanged.");
    EXPECT_EQ(Report(window.log), expected);
    EXPECT_EQ(tree.WrittenEntries(), fault.entries);
    EXPECT_EQ(Modified(tree.checkfile), tree.checkfileTime);
  }
}

// Whenever the update does not get to write, the old checkfile stays as it was, time and all.
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
       [](UpdateTree&, RecordingWindow& window) {
         window.abortAtEvent = 4 + 4 * testing_support::kDotEntries;
       },
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
