// What the scan and the verification meet on damaged discs and odd file systems: folders that
// cannot be listed, paths that cannot be opened, files in use. Both keep going and say what
// they left out, so that "EVERY FILE APPEARS OK!" never follows a file that was passed over.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "checkfile/CheckfileFormat.h"
#include "checkfile/Generation.h"
#include "checkfile/Tasks.h"
#include "platform/File.h"
#include "platform/Path.h"
#include "tests/support/CheckfileSamples.h"
#include "tests/support/FaultInjector.h"
#ifndef _WIN32
#include "tests/support/Mounts.h"
#endif
#include "tests/support/RecordingWindow.h"
#include "tests/support/TaskCases.h"
#include "tests/support/TestFiles.h"

#ifndef _WIN32
#include <fcntl.h>
#include <limits.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#endif

namespace {

using namespace testing_support;  // the test support: files, samples, windows, faults
namespace fs = std::filesystem;
using platform::JoinPath;

// An entry line with the digest of "a" for each name.
std::string EntriesOfA(const Lines& names) {
  std::string entries;
  for (const std::string& name : names)
    entries += Entry(kDigestA, name);
  return entries;
}

constexpr char kCannotOpen[] = "Could not open file";

std::string NotOpened(const std::string& name) {
  return "ERROR: Could not open file ({" + name + "})";
}

#ifndef _WIN32

// A character device: a node with /dev/null's numbers where the system lets us make one (root,
// no restriction on the file system), else a link to /dev/null itself.
void MakeDevice(const std::string& path) {
  if (mknod(path.c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0) return;
  ASSERT_EQ(symlink("/dev/null", path.c_str()), 0);
}

// A bound socket; the descriptor is closed again, the name stays.
void MakeSocket(const std::string& path) {
  sockaddr_un address = {};
  address.sun_family = AF_UNIX;
  ASSERT_LT(path.size(), sizeof address.sun_path);
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(fd, 0);
  const int bound = bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
  close(fd);
  ASSERT_EQ(bound, 0);
}

// Beside a.txt and sub/b.txt: a FIFO, a device, a socket, a dangling link, a link to itself,
// two links to each other, and a link from the subfolder back to the top.
void MakeSpecialTree(Scene& s) {
  const TempDir& dir = s.dir;
  WriteFile(dir / "a.txt", "a");
  WriteFile(dir / "sub/b.txt", "a");
  EXPECT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
  MakeDevice(dir / "device");
  MakeSocket(dir / "socket");
  EXPECT_EQ(symlink((dir / "nowhere").c_str(), (dir / "dangling").c_str()), 0);
  EXPECT_EQ(symlink("self", (dir / "self").c_str()), 0);
  EXPECT_EQ(symlink("ring2", (dir / "ring1").c_str()), 0);
  EXPECT_EQ(symlink("ring1", (dir / "ring2").c_str()), 0);
  EXPECT_EQ(symlink(dir.path().c_str(), (dir / "sub/up").c_str()), 0);
}

#endif

TEST(BadMedia, TheWalkSaysWhatItCouldNotListOrOpenAndGoesOn) {
  FileList sixFiles;
  for (const char* name : {"a.txt", "b.txt", "c.txt", "sub/d.txt", "sub/e.txt", "z.txt"})
    sixFiles.push_back({name, "a"});
  // The same files as a second run finds them, after a first run has saved its checkfile.
  FileList sixFilesAndACheckfile = sixFiles;
  sixFilesAndACheckfile.push_back({checkfile::kCheckfileName, "; the first run's\r\n"});
  const WalkCase cases[] = {
      // The walk lists a folder's entries, then goes into each subfolder in turn: another
      // process can remove a subfolder, or put a file in its place, in between.
      {"a subfolder that cannot be listed is logged",
       {{"a/in.txt", "x"}, {"b/in.txt", "x"}, {"empty/", ""}, {"z.txt", "a"}},
       {"Folder: {a}", checkfile::kCannotListFolderText, "Folder: {b}",
        checkfile::kCannotListFolderText, "Folder: {empty}", "File: z.txt"},
       Entry(kDigestA, "z.txt"),
       [](Scene& s) {
         s.faults.BeforeListing(s.dir / "a", [&s] { fs::remove_all(s.dir.path() / "a"); });
         s.faults.BeforeListing(s.dir / "b", [&s] {
           fs::remove_all(s.dir.path() / "b");
           WriteFile(s.dir / "b", "now a file");
         });
       }},
      // A damaged folder or a network drive that goes away can end a listing early; what
      // followed must not go missing without a word. "." and ".." come first on Windows.
      {"a listing that breaks off in the selected folder is reported with it",
       sixFiles,
       {"File: a.txt", "File: b.txt", checkfile::kListingBrokeText + std::string("{}")},
       EntriesOfA({"a.txt", "b.txt"}),
       [](Scene& s) {
         s.faults.BreakListing(s.dir / "sub", 1 + kDotEntries, kReadFault);
         s.faults.BreakListing(s.dir.path().string(), 2 + kDotEntries, kReadFault);
       }},
      {"a listing that breaks off in a subfolder is reported with it",
       sixFilesAndACheckfile,
       {"File: a.txt", "File: b.txt", "File: c.txt", "Folder: {sub}", "File: d.txt",
        checkfile::kListingBrokeText + std::string("{sub}"), "File: z.txt"},
       EntriesOfA({"a.txt", "b.txt", "c.txt", "sub\\d.txt", "z.txt"}),
       [](Scene& s) { s.faults.BreakListing(s.dir / "sub", 1 + kDotEntries, kReadFault); }},
#ifndef _WIN32
      {"special entries and broken links are reported, never block and never loop",
       {},
       {"File: a.txt", "File: dangling", kCannotOpen, "File: device", kCannotOpen, "File: fifo",
        kCannotOpen, "File: ring1", kCannotOpen, "File: ring2", kCannotOpen, "File: self",
        kCannotOpen, "File: socket", kCannotOpen, "Folder: {sub}", "File: b.txt",
        "Folder: {sub/up}", checkfile::kLinkLoopText},
       EntriesOfA({"a.txt", "sub\\b.txt"}),
       MakeSpecialTree},
#endif
  };
  for (const WalkCase& c : cases)
    ExpectWalk(c);
}

TEST(BadMedia, TheCheckReportsEveryListedFileItCannotOpenAndCountsIt) {
  const std::string tooLong(10000, 'n');  // beyond MAX_PATH and PATH_MAX alike
  const std::string longName(300, 'c');   // beyond the longest name of a component
  const CheckCase cases[] = {
      {"missing, a folder, below a file, too long, a name too long, held by a writer",
       {{"a.txt", "a"},
        {"held.txt", "a"},
        {"folder/", ""},
        {"c.MD5", "; by hand\r\n" + EntriesOfA({"a.txt", "missing.txt", "folder", "a.txt\\inside",
                                                tooLong, longName, "held.txt"})}},
       {"OK: {a.txt}", NotOpened("missing.txt"), NotOpened("folder"), NotOpened("a.txt/inside"),
        NotOpened(tooLong), NotOpened(longName), NotOpened("held.txt")},
       {1, 6, 0},
       [](Scene& s) { s.Hold("held.txt"); }},
#ifndef _WIN32
      {"special entries and broken links are reported without blocking",
       {{"c.MD5", EntriesOfA({"a.txt", "dangling", "device", "fifo", "ring1", "ring2", "self",
                              "socket", "sub\\up\\sub\\up\\a.txt"})}},  // through the loop, once
       {"OK: {a.txt}", NotOpened("dangling"), NotOpened("device"), NotOpened("fifo"),
        NotOpened("ring1"), NotOpened("ring2"), NotOpened("self"), NotOpened("socket"),
        "OK: {sub/up/sub/up/a.txt}"},
       {2, 7, 0},
       MakeSpecialTree},
#endif
  };
  for (const CheckCase& c : cases)
    ExpectCheck(c);
}

#ifndef _WIN32

// Two file systems, one mounted inside the other, have root folders with the same inode but
// different devices: the inner one is walked like any folder. A bind mount of a folder inside
// itself is the same folder (device and inode) by a second path: a loop, walked once.
TEST(BadMediaPosix, AFileSystemBelowAnotherIsWalkedAndABindMountLoopIsNot) {
  TempDir dir;
  const std::string outer = dir / "outer", inner = dir / "outer/inner";
  Mount outerDisc = Mount::Tmpfs(outer);
  if (!outerDisc.Mounted()) GTEST_SKIP() << kCannotMount;
  Mount innerDisc = Mount::Tmpfs(inner);
  ASSERT_TRUE(innerDisc.Mounted());
  WriteFile(dir / "outer/a.txt", "a");
  WriteFile(dir / "outer/inner/b.txt", "a");
  Mount loop = Mount::Bind(outer, dir / "outer/inner/again");
  ASSERT_TRUE(loop.Mounted());

  RecordingWindow window;
  Generate(window, outer);
  EXPECT_EQ(window.log,
            (Lines{"File: a.txt", "Folder: " + inner, "Folder: " + (dir / "outer/inner/again"),
                   checkfile::kLinkLoopText, "File: b.txt", SavedTo(outer)}));
}

// A chain of folders deeper than PATH_MAX, each level holding one file and the next folder;
// made and removed relative to open folders, since no single path may name its lower end.
class DeepChain {
 public:
  static constexpr size_t kLevels = 18;  // 18 levels of 251 bytes are beyond 4096
  const std::string folderName = std::string(250, 'd');
  const std::string fileName = std::string(250, 'f');

  explicit DeepChain(const std::string& top) : top_(top) {
    int fd = open(top.c_str(), O_RDONLY | O_DIRECTORY);
    for (size_t level = 0; level < kLevels && fd >= 0; ++level) {
      const int file = openat(fd, fileName.c_str(), O_WRONLY | O_CREAT, 0600);
      EXPECT_GE(file, 0);
      EXPECT_EQ(write(file, "a", 1), 1);
      close(file);
      EXPECT_EQ(mkdirat(fd, folderName.c_str(), 0700), 0);
      const int next = openat(fd, folderName.c_str(), O_RDONLY | O_DIRECTORY);
      close(fd);
      fd = next;
    }
    EXPECT_GE(fd, 0);
    close(fd);
  }
  ~DeepChain() {
    const int fd = open(top_.c_str(), O_RDONLY | O_DIRECTORY);
    Remove(fd, kLevels);
    close(fd);
  }
  DeepChain(const DeepChain&) = delete;
  DeepChain& operator=(const DeepChain&) = delete;

 private:
  void Remove(int fd, size_t levels) {
    if (fd < 0 || levels == 0) return;
    unlinkat(fd, fileName.c_str(), 0);
    const int next = openat(fd, folderName.c_str(), O_RDONLY | O_DIRECTORY);
    Remove(next, levels - 1);
    if (next >= 0) close(next);
    unlinkat(fd, folderName.c_str(), AT_REMOVEDIR);
  }

  std::string top_;
};

// The log and the checkfile entries that the walk of the chain below folder must give: a path
// of PATH_MAX bytes or more cannot be listed or opened.
void ExpectedWalk(const DeepChain& chain, const std::string& top, const std::string& folder,
                  size_t level, Lines& log, std::string& entries) {
  if (level == DeepChain::kLevels) return;
  const std::string sub = JoinPath(folder, chain.folderName);  // "D" sorts before "F"
  log.push_back("Folder: " + sub);
  if (sub.size() >= PATH_MAX) {
    log.push_back(checkfile::kCannotListFolderText);
  } else {
    ExpectedWalk(chain, top, sub, level + 1, log, entries);
  }
  const std::string file = JoinPath(folder, chain.fileName);
  log.push_back("File: " + chain.fileName);
  if (file.size() >= PATH_MAX) {
    log.push_back(kCannotOpen);
  } else {
    entries = std::string(kDigestA) + "|" + platform::ToStoredPath(file.substr(top.size() + 1)) +
              "\r\n" + entries;
  }
}

TEST(BadMediaPosix, PathsOfPathMaxOrMoreAreReportedAndTheWalkGoesOn) {
  TempDir dir;
  ASSERT_TRUE(fs::create_directory(dir.path() / "x"));
  const std::string top = dir / "x";
  const DeepChain chain(top);
  RecordingWindow window;
  Generate(window, top);

  Lines expected;
  std::string entries;
  ExpectedWalk(chain, top, top, 0, expected, entries);
  // Entry lines follow the walk: the deepest file first.
  std::string inWalkOrder;
  for (const std::string& line : checkfile::SplitLines(entries))
    inWalkOrder = line + "\r\n" + inWalkOrder;
  expected.push_back(SavedTo(top));
  EXPECT_EQ(window.log, expected);
  EXPECT_EQ(std::count(expected.begin(), expected.end(), checkfile::kCannotListFolderText), 1);
  EXPECT_EQ(std::count(expected.begin(), expected.end(), kCannotOpen), 1);
  EXPECT_EQ(WithoutTimestamp(ReadFile(JoinPath(top, "VRTLY-sums.MD5"))),
            std::string(kVersionHeaderLine) + inWalkOrder);
}

#endif

}  // namespace
