// What the scan and the verification meet on damaged discs and odd file systems: folders that
// cannot be listed, paths that cannot be opened, files in use. Both keep going and say what
// they left out, so that "EVERY FILE APPEARS OK!" never follows a file that was passed over.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

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

namespace fs = std::filesystem;
using platform::JoinPath;
using testing_support::FaultInjector;
using testing_support::Generate;
using testing_support::kCouldNotBeTested;
using testing_support::kDigestA;
using testing_support::kVersionHeaderLine;
using testing_support::ReadFile;
using testing_support::RecordingWindow;
using testing_support::TempDir;
using testing_support::Verify;
using testing_support::WithoutTimestamp;
using testing_support::WriteFile;
using Lines = std::vector<std::string>;

std::string SavedTo(const TempDir& dir) {
  return "Operation complete.  Check file saved to " + (dir / checkfile::kCheckfileName);
}

// The walk lists a folder's entries, then goes into each subfolder in turn: another process can
// remove a subfolder, or put a file in its place, in between.
TEST(BadMedia, ASubfolderThatCannotBeListedIsLoggedAndTheWalkGoesOn) {
  TempDir dir;
  WriteFile(dir / "a/in.txt", "x");
  WriteFile(dir / "b/in.txt", "x");
  fs::create_directories(dir.path() / "empty");
  WriteFile(dir / "z.txt", "a");
  FaultInjector faults;
  faults.BeforeListing(dir / "a", [&] { fs::remove_all(dir.path() / "a"); });
  faults.BeforeListing(dir / "b", [&] {
    fs::remove_all(dir.path() / "b");
    WriteFile(dir / "b", "now a file");
  });
  RecordingWindow window;
  Generate(window, dir.path().string());

  EXPECT_EQ(window.log, (Lines{"Folder: " + (dir / "a"), checkfile::kCannotListFolderText,
                               "Folder: " + (dir / "b"), checkfile::kCannotListFolderText,
                               "Folder: " + (dir / "empty"), "File: z.txt", SavedTo(dir)}));
  EXPECT_EQ(WithoutTimestamp(ReadFile(dir / checkfile::kCheckfileName)),
            std::string(kVersionHeaderLine) + kDigestA + "|z.txt\r\n");
}

// A damaged folder or a network drive that goes away can end a listing early; what followed
// must not go missing without a word.
TEST(BadMedia, AListingThatBreaksOffIsReportedWithItsFolder) {
  TempDir dir;
  for (const char* name : {"a.txt", "b.txt", "c.txt", "sub/d.txt", "sub/e.txt", "z.txt"})
    WriteFile(dir / name, "a");
  FaultInjector faults;
  // "." and ".." come first on Windows
  faults.BreakListing(dir / "sub", 1 + testing_support::kDotEntries, testing_support::kReadFault);
  faults.BreakListing(dir.path().string(), 2 + testing_support::kDotEntries,
                      testing_support::kReadFault);
  RecordingWindow window;
  Generate(window, dir.path().string());

  EXPECT_EQ(window.log, (Lines{"File: a.txt", "File: b.txt",
                               checkfile::kListingBrokeText + dir.path().string(), SavedTo(dir)}));
  faults.BreakListing(dir.path().string(), 100, 0);
  Generate(window, dir.path().string());
  EXPECT_EQ(
      window.log,
      (Lines{"File: a.txt", "File: b.txt", "File: c.txt", "Folder: " + (dir / "sub"), "File: d.txt",
             checkfile::kListingBrokeText + (dir / "sub"), "File: z.txt", SavedTo(dir)}));
}

TEST(BadMedia, ListedFilesThatCannotBeOpenedAreEachReportedAndCounted) {
  TempDir dir;
  WriteFile(dir / "a.txt", "a");
  WriteFile(dir / "held.txt", "a");
  fs::create_directories(dir.path() / "folder");
  const std::string tooLong(10000, 'n');  // beyond MAX_PATH and PATH_MAX alike
  const std::string longName(300, 'c');   // beyond the longest name of a component
  const Lines listed = {"a.txt", "missing.txt", "folder",  "a.txt\\inside",
                        tooLong, longName,      "held.txt"};
  std::string text = "; by hand\r\n";
  for (const std::string& path : listed)
    text += std::string(kDigestA) + "|" + path + "\r\n";
  WriteFile(dir / "c.MD5", text);
  platform::File writer = platform::File::CreateForWrite(dir / "held.txt");
  ASSERT_TRUE(writer.IsOpen());
  RecordingWindow window;
  Verify(window, dir / "c.MD5");

  const std::string base = platform::FolderPartOf(dir / "c.MD5");
  Lines expected = {"Testing MD5 sums in " + (dir / "c.MD5"), "OK: " + (dir / "a.txt")};
  for (size_t i = 1; i < listed.size(); ++i) {
    expected.push_back("ERROR: Could not open file (" + base + platform::FromStoredPath(listed[i]) +
                       ")");
  }
  for (const char* line : {"Operation complete.", "", "1 files tested."})
    expected.push_back(line);
  expected.push_back("6" + std::string(kCouldNotBeTested));
  EXPECT_EQ(window.log, expected);
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

// A FIFO, a device, a socket, a dangling link, a link to itself, two links to each other, and a
// link from a subfolder back to the top.
struct SpecialTree {
  TempDir dir;
  const Lines unopenable = {"dangling", "device", "fifo", "ring1", "ring2", "self", "socket"};
  SpecialTree() {
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
};

TEST(BadMediaPosix, TheScanReportsSpecialEntriesAndBrokenLinksAndNeverBlocksOrLoops) {
  SpecialTree tree;
  RecordingWindow window;
  Generate(window, tree.dir.path().string());

  Lines expected = {"File: a.txt"};
  for (const std::string& name : tree.unopenable) {
    expected.push_back("File: " + name);
    expected.push_back("Could not open file");
  }
  for (const std::string& line : {"Folder: " + (tree.dir / "sub"), std::string("File: b.txt"),
                                  "Folder: " + (tree.dir / "sub/up"),
                                  std::string(checkfile::kLinkLoopText), SavedTo(tree.dir)}) {
    expected.push_back(line);
  }
  EXPECT_EQ(window.log, expected);
  EXPECT_EQ(
      WithoutTimestamp(ReadFile(tree.dir / checkfile::kCheckfileName)),
      std::string(kVersionHeaderLine) + kDigestA + "|a.txt\r\n" + kDigestA + "|sub\\b.txt\r\n");
}

TEST(BadMediaPosix, TheVerificationReportsListedSpecialEntriesWithoutBlocking) {
  SpecialTree tree;
  std::string text = std::string(kDigestA) + "|a.txt\r\n";
  for (const std::string& name : tree.unopenable)
    text += std::string(kDigestA) + "|" + name + "\r\n";
  text += std::string(kDigestA) + "|sub\\up\\sub\\up\\a.txt\r\n";  // through the loop, once
  WriteFile(tree.dir / "c.MD5", text);
  RecordingWindow window;
  Verify(window, tree.dir / "c.MD5");

  Lines expected = {"Testing MD5 sums in " + (tree.dir / "c.MD5"), "OK: " + (tree.dir / "a.txt")};
  for (const std::string& name : tree.unopenable)
    expected.push_back("ERROR: Could not open file (" + (tree.dir / name) + ")");
  expected.push_back("OK: " + (tree.dir / "sub/up/sub/up/a.txt"));
  for (const char* line : {"Operation complete.", "", "2 files tested."})
    expected.push_back(line);
  expected.push_back("7" + std::string(kCouldNotBeTested));
  EXPECT_EQ(window.log, expected);
}

// Two file systems, one mounted inside the other, have root folders with the same inode but
// different devices: the inner one is walked like any folder. A bind mount of a folder inside
// itself is the same folder (device and inode) by a second path: a loop, walked once.
TEST(BadMediaPosix, AFileSystemBelowAnotherIsWalkedAndABindMountLoopIsNot) {
  TempDir dir;
  const std::string outer = dir / "outer", inner = dir / "outer/inner";
  testing_support::Mount outerDisc = testing_support::Mount::Tmpfs(outer);
  if (!outerDisc.Mounted()) GTEST_SKIP() << testing_support::kCannotMount;
  testing_support::Mount innerDisc = testing_support::Mount::Tmpfs(inner);
  ASSERT_TRUE(innerDisc.Mounted());
  WriteFile(dir / "outer/a.txt", "a");
  WriteFile(dir / "outer/inner/b.txt", "a");
  testing_support::Mount loop = testing_support::Mount::Bind(outer, dir / "outer/inner/again");
  ASSERT_TRUE(loop.Mounted());

  RecordingWindow window;
  Generate(window, outer);
  EXPECT_EQ(window.log,
            (Lines{"File: a.txt", "Folder: " + inner, "Folder: " + (dir / "outer/inner/again"),
                   checkfile::kLinkLoopText, "File: b.txt",
                   "Operation complete.  Check file saved to " + (dir / "outer/VRTLY-sums.MD5")}));
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
    log.push_back("Could not open file");
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
  expected.push_back("Operation complete.  Check file saved to " + JoinPath(top, "VRTLY-sums.MD5"));
  EXPECT_EQ(window.log, expected);
  EXPECT_EQ(std::count(expected.begin(), expected.end(), checkfile::kCannotListFolderText), 1);
  EXPECT_EQ(std::count(expected.begin(), expected.end(), "Could not open file"), 1);
  EXPECT_EQ(WithoutTimestamp(ReadFile(JoinPath(top, "VRTLY-sums.MD5"))),
            std::string(kVersionHeaderLine) + inWalkOrder);
}

#endif

}  // namespace
