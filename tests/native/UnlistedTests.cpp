// The search for files that a checkfile does not list, against the recording window, on real
// temporary trees.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "checkfile/CheckfileFormat.h"
#include "checkfile/Generation.h"
#include "checkfile/Unlisted.h"
#include "platform/Path.h"
#include "tests/support/CheckfileSamples.h"
#include "tests/support/FaultInjector.h"
#include "tests/support/RecordingWindow.h"
#include "tests/support/TestFiles.h"

namespace {

namespace fs = std::filesystem;
using namespace testing_support;  // the test support: files, samples, windows, faults
using platform::JoinPath;

#ifdef _WIN32
constexpr bool kLetterCaseCounts = false;
#else
constexpr bool kLetterCaseCounts = true;
#endif

constexpr char kEveryFileListed[] = "Every file in the folder is listed.";
constexpr char kAborted[] = "OPERATION ABORTED BY USER.";

// dir/tree holds a.txt, Mixed.TXT, sub/abc.txt and sub/deeper/d.bin, which the walk finds in
// this order, and a hidden file and a VRTLY-sums.MD5 in sub, which it never finds; dir itself
// holds outside.txt, beside the tree.
struct AuditTree {
  AuditTree() {
    WriteFile(dir / "tree/a.txt", "a");
    WriteFile(dir / "tree/Mixed.TXT", "abc");
    WriteFile(dir / "tree/sub/abc.txt", "abc");
    WriteFile(dir / "tree/sub/deeper/d.bin", "message digest");
    WriteFile(dir / "tree/sub/.hidden.txt", "h");
    WriteFile(dir / "tree/sub/VRTLY-sums.MD5", "; another tree's checkfile\r\n");
    WriteFile(dir / "outside.txt", "o");
  }

  // The full name of a file of the tree, from its path in the checkfile's form.
  std::string Path(const std::string& stored) const {
    return checkfile::ListedPath(platform::JoinPath(top, ""), stored);
  }

  // Writes the checkfile with one entry line for each relative path (the digest plays no part).
  void List(const Lines& relativePaths) const {
    std::string text = std::string(kVersionHeaderLine) + "; 1/2/2026\r\n";
    for (const std::string& relative : relativePaths)
      text += std::string(kDigestA) + "|" + relative + "\r\n";
    WriteFile(checkfile, text);
  }

  // Runs the search as the console tool does after a verification; the log it leaves.
  Lines Search(RecordingWindow& window) const {
    EXPECT_EQ(ErrorOf([&] { checkfile::RunUnlistedSearch(window, checkfile); }), "no error");
    return window.log;
  }

  TempDir dir;
  const std::string top = dir / "tree";
  const std::string checkfile = JoinPath(top, checkfile::kCheckfileName);
};

std::string NotListed(const std::string& path) {
  return checkfile::kNotListedPrefix + path;
}

struct UnlistedCase {
  const char* name;
  Lines entries;    // the relative paths the checkfile lists
  Lines notListed;  // the files reported, in the checkfile's form, in walk order
};

// A file is listed only by an entry that names it the way the generation writes it.
TEST(Unlisted, ReportsInWalkOrderEveryFileNoEntryNames) {
  const std::vector<UnlistedCase> cases = {
      {"every file listed", {"a.txt", "Mixed.TXT", "sub\\abc.txt", "sub\\deeper\\d.bin"}, {}},
      {"a file in the top folder", {"Mixed.TXT", "sub\\abc.txt", "sub\\deeper\\d.bin"}, {"a.txt"}},
      {"a file two folders down", {"a.txt", "Mixed.TXT", "sub\\abc.txt"}, {"sub\\deeper\\d.bin"}},
      {"nothing listed: neither the hidden file nor the other checkfile is reported",
       {},
       {"a.txt", "Mixed.TXT", "sub\\abc.txt", "sub\\deeper\\d.bin"}},
      {"an entry with .. that names a file outside the folder names none of the tree",
       {"..\\outside.txt", "Mixed.TXT", "sub\\abc.txt", "sub\\deeper\\d.bin"},
       {"a.txt"}},
      {"a path through .. back into the folder is not the generation's form",
       {"sub\\..\\a.txt", "Mixed.TXT", "sub\\abc.txt", "sub\\deeper\\d.bin"},
       {"a.txt"}},
      {"entries for missing files, and one listed twice, change nothing",
       {"a.txt", "a.txt", "gone.txt", "sub\\gone\\x.bin", "Mixed.TXT", "sub\\abc.txt",
        "sub\\deeper\\d.bin"},
       {}},
      {"other letter case: the same file on Windows, another on POSIX",
       {"A.TXT", "mixed.txt", "SUB\\abc.txt", "sub\\DEEPER\\d.bin"},
       kLetterCaseCounts ? Lines{"a.txt", "Mixed.TXT", "sub\\abc.txt", "sub\\deeper\\d.bin"}
                         : Lines{}},
  };
  for (const UnlistedCase& row : cases) {
    SCOPED_TRACE(row.name);
    AuditTree tree;
    tree.List(row.entries);
    RecordingWindow window;
    Lines expected;
    for (const std::string& relative : row.notListed)
      expected.push_back(NotListed(tree.Path(relative)));
    expected.push_back(row.notListed.empty() ? std::string(kEveryFileListed)
                                             : std::to_string(row.notListed.size()) +
                                                   " files are not listed in the checkfile.");
    EXPECT_EQ(tree.Search(window), expected);
  }
}

// It adds to the verification's log, in the verifying state, and leaves the banner.
TEST(Unlisted, FollowsTheLogSoFarAndShowsProgressAfterEveryEntry) {
  AuditTree tree;
  tree.List({"a.txt", "sub\\abc.txt", "sub\\deeper\\d.bin"});
  RecordingWindow window;
  window.log = {"EVERY FILE APPEARS OK!"};
  tree.Search(window);
  EXPECT_EQ(window.log, (Lines{"EVERY FILE APPEARS OK!", NotListed(tree.Path("Mixed.TXT")),
                               "1 files are not listed in the checkfile."}));
  const Lines trace = window.Trace();
  ASSERT_GE(trace.size(), 4u);
  EXPECT_EQ(trace.front(), "state: verifying");
  EXPECT_EQ(Lines(trace.end() - 3, trace.end()),
            (Lines{"log: 1 files are not listed in the checkfile.", "status: " + window.banner,
                   "state: idle"}));
  EXPECT_EQ(window.Count(RecordingWindow::Op::ClearLog), 0u);
  // The entries of the walk: 4 files, 2 folders, 2 checkfiles (skipped, but entries all the
  // same), and on Windows "." and ".." in each of the 3 folders.
  const size_t entries = 8 + 3 * kDotEntries;
  EXPECT_EQ(window.Count(RecordingWindow::Op::ProcessPendingEvents), entries);
  EXPECT_NE(std::find(trace.begin(), trace.end(),
                      "status: 1 files not listed.\nWorking in " + JoinPath(tree.top, "sub")),
            trace.end());
}

// Files in a folder that cannot be searched may be unlisted: the run says so, never "Every file
// in the folder is listed.".
TEST(Unlisted, AFolderThatCannotBeSearchedIsReportedAndNeverPassesForListed) {
  struct Fault {
    const char* name;
    std::function<void(FaultInjector&, const AuditTree&)> arrange;
    Lines expected;  // before the closing line; paths in braces lie in dir
  };
  const std::vector<Fault> faults = {
      {"a folder gone between its parent's listing and its own",
       [](FaultInjector& injector, const AuditTree& tree) {
         const std::string deeper = tree.dir / "tree/sub/deeper";
         injector.BeforeListing(deeper, [deeper] { fs::remove_all(deeper); });
       },
       {"Folder: {tree/sub/deeper}", checkfile::kCannotListFolderText}},
      {"a listing that breaks off after the first entry",
       [](FaultInjector& injector, const AuditTree& tree) {
         injector.BreakListing(tree.dir / "tree/sub", kDotEntries + 1, kReadFault);
       },
       {checkfile::kListingBrokeText + std::string("{tree/sub}")}},
  };
  for (const Fault& fault : faults) {
    SCOPED_TRACE(fault.name);
    AuditTree tree;
    tree.List({"a.txt", "Mixed.TXT", "sub\\abc.txt"});
    FaultInjector injector;
    fault.arrange(injector, tree);
    RecordingWindow window;
    Lines expected = InDir(tree.dir, fault.expected);
    expected.push_back(checkfile::kNoneFoundWhereSearchedText);
    EXPECT_EQ(tree.Search(window), expected);
  }
}

TEST(Unlisted, ACtrlCDuringTheWalkEndsItWithOneLineAndNoClosingLine) {
  // After the first entry: in the top folder; after the 4th file or folder (d.bin): two
  // folders down.
  for (const size_t event : {size_t{1}, size_t{4} + 3 * kDotEntries}) {
    SCOPED_TRACE(event);
    AuditTree tree;
    tree.List({});
    RecordingWindow window;
    window.abortAtEvent = event;
    const Lines log = tree.Search(window);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), kAborted);
    EXPECT_EQ(std::count(log.begin(), log.end(), kAborted), 1);
    for (size_t i = 0; i + 1 < log.size(); ++i)
      EXPECT_EQ(log[i].rfind(checkfile::kNotListedPrefix, 0), 0u) << log[i];
    EXPECT_EQ(window.state, checkfile::TaskState::Idle);
  }
}

TEST(Unlisted, ACheckfileThatCannotBeReadEndsTheTask) {
  AuditTree tree;
  RecordingWindow window;
  const std::string error = ErrorOf([&] { checkfile::RunUnlistedSearch(window, tree.checkfile); });
  EXPECT_EQ(error.rfind("Cannot open file \"" + tree.checkfile + "\". ", 0), 0u) << error;
  EXPECT_EQ(window.log, Lines{});
  EXPECT_EQ(window.state, checkfile::TaskState::Idle);
}

#ifndef _WIN32
// Names with "\" cannot be stored: such a file is unlisted by nature, and what lies below such a
// folder is not searched.
TEST(Unlisted, NamesACheckfileCannotHoldAreReported) {
  AuditTree tree;
  tree.List({"a.txt", "Mixed.TXT", "sub\\abc.txt", "sub\\deeper\\d.bin"});
  WriteFile(tree.dir / "tree/back\\slash.txt", "b");
  WriteFile(tree.dir / "tree/we\\ird/inside.txt", "w");
  RecordingWindow window;
  EXPECT_EQ(tree.Search(window),
            (Lines{NotListed(JoinPath(tree.top, "back\\slash.txt")),
                   "Folder: " + JoinPath(tree.top, "we\\ird"), checkfile::kUnstorableNameText,
                   "1 files are not listed in the checkfile."}));
}
#endif

}  // namespace
