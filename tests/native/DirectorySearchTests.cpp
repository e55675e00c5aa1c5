// The directory search as the folder walk sees it, on the platform's real file system.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/DirectorySearch.h"
#include "tests/support/TestFiles.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

using namespace testing_support;  // the test support: files, samples, windows, faults

// The names the search returns, folders marked with a trailing "/".
std::vector<std::string> Listing(const std::string& folder,
                                 const platform::DirectorySearch* parent = nullptr) {
  std::vector<std::string> names;
  platform::DirectorySearch search(parent);
  for (bool more = search.First(folder); more; more = search.Next()) {
    const std::string& name = search.Entry().Name;
    if (name == "." || name == "..") continue;  // Windows returns them, POSIX hides them
    names.push_back(name + (search.Entry().IsDirectory ? "/" : ""));
  }
  return names;
}

TEST(DirectorySearch, ReturnsFilesAndFoldersButNoDotNames) {
  TempDir dir;
  WriteFile(dir / "b.txt", "b");
  WriteFile(dir / "a.txt", "a");
  WriteFile(dir / "sub/inner.txt", "x");
  WriteFile(dir / ".hidden", "h");  // Wine gives dot names the hidden attribute
  WriteFile(dir / ".hiddendir/x.txt", "x");
  EXPECT_EQ(Listing(dir.path().string()), (std::vector<std::string>{"a.txt", "b.txt", "sub/"}));
}

TEST(DirectorySearch, AMissingOrEmptyFolderHasNoFirstEntryAndSaysWhy) {
  using enum platform::DirectorySearch::Failure;
  TempDir dir;
  platform::DirectorySearch search;
  EXPECT_FALSE(search.First(dir / "missing"));
  EXPECT_EQ(search.FirstFailure(), CannotList);
  EXPECT_FALSE(search.Next());
  WriteFile(dir / "file", "f");
  EXPECT_FALSE(search.First(dir / "file"));
  EXPECT_EQ(search.FirstFailure(), CannotList);
  WriteFile(dir / "only/.hidden", "h");
  EXPECT_EQ(Listing(dir / "only"), std::vector<std::string>{});
#ifndef _WIN32  // Windows lists "." and ".." in every folder but a drive root
  EXPECT_FALSE(search.First(dir / "only"));
  EXPECT_EQ(search.FirstFailure(), NothingVisible);
#endif
}

TEST(DirectorySearch, CanBeClosedEarlyAndStartedAgain) {
  TempDir dir;
  WriteFile(dir / "a", "a");
  WriteFile(dir / "b", "b");
  platform::DirectorySearch search;
  ASSERT_TRUE(search.First(dir.path().string()));
  search.Close();
  EXPECT_FALSE(search.Next());
  EXPECT_EQ(Listing(dir.path().string()), (std::vector<std::string>{"a", "b"}));
}

// Windows' file systems return this order; the POSIX search sorts to it, so the same tree gives
// the same checkfile on both.
TEST(DirectorySearch, ReturnsNamesInTheOrderOfTheirUpperCasedBytes) {
  TempDir dir;
  for (const char* name : {"_a.txt", "Z.txt", "b.txt", "B2.txt", "a.txt", "10", "9", "~x", "[z"})
    WriteFile(dir / name, name);
  EXPECT_EQ(Listing(dir.path().string()),
            (std::vector<std::string>{"10", "9", "a.txt", "b.txt", "B2.txt", "Z.txt", "[z",
                                      "_a.txt", "~x"}));
}

#ifndef _WIN32

TEST(DirectorySearch, NamesThatDifferOnlyInLetterCaseFollowInByteOrder) {
  TempDir dir;
  for (const char* name : {"b", "a", "B", "A"})
    WriteFile(dir / name, name);
  EXPECT_EQ(Listing(dir.path().string()), (std::vector<std::string>{"A", "a", "B", "b"}));
}

// The walk then fails to open them and says so; nothing it finds goes unmentioned.
TEST(DirectorySearch, ReturnsFifosDevicesAndDanglingLinksAsFiles) {
  TempDir dir;
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
  ASSERT_EQ(symlink((dir / "nowhere").c_str(), (dir / "dangling").c_str()), 0);
  ASSERT_EQ(symlink("/dev/null", (dir / "device").c_str()), 0);
  WriteFile(dir / "real", "r");
  EXPECT_EQ(Listing(dir.path().string()),
            (std::vector<std::string>{"dangling", "device", "fifo", "real"}));
}

TEST(DirectorySearch, FollowsLinksButNotIntoAFolderAlreadyOnTheWalkPath) {
  TempDir dir;
  WriteFile(dir / "top/sub/file", "f");
  ASSERT_EQ(symlink((dir / "top").c_str(), (dir / "top/sub/up").c_str()), 0);
  ASSERT_EQ(symlink((dir / "top/sub").c_str(), (dir / "elsewhere").c_str()), 0);

  EXPECT_EQ(Listing(dir / "elsewhere"), (std::vector<std::string>{"file", "up/"}));
  platform::DirectorySearch top;
  ASSERT_TRUE(top.First(dir / "top"));
  platform::DirectorySearch sub(&top);
  ASSERT_TRUE(sub.First(dir / "top/sub"));
  EXPECT_EQ(Listing(dir / "top/sub/up", &sub), std::vector<std::string>{});  // top, again
  platform::DirectorySearch again(&sub);
  EXPECT_FALSE(again.First(dir / "top/sub/up"));
  EXPECT_EQ(again.FirstFailure(), platform::DirectorySearch::Failure::AlreadyOnWalk);
  EXPECT_EQ(Listing(dir / "top/sub/up"), (std::vector<std::string>{"sub/"}));  // not on a walk
}

#endif

}  // namespace
