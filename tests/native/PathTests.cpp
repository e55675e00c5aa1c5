// How the tasks join, shorten and take apart paths, and how a checkfile stores them.
#include <gtest/gtest.h>

#include "checkfile/CheckfileFormat.h"
#include "platform/Path.h"

namespace {

using platform::FolderPartOf;
using platform::JoinPath;

std::string WithoutTrailingSeparator(std::string folder) {
  platform::RemoveTrailingSeparator(folder);
  return folder;
}

#ifdef _WIN32

TEST(Path, RemovesOneTrailingBackslashAndJoinsWithOne) {
  EXPECT_EQ(WithoutTrailingSeparator("C:\\data\\"), "C:\\data");
  EXPECT_EQ(WithoutTrailingSeparator("C:\\data\\\\"), "C:\\data\\");
  EXPECT_EQ(WithoutTrailingSeparator("C:\\data"), "C:\\data");
  EXPECT_EQ(WithoutTrailingSeparator(""), "");
  EXPECT_EQ(WithoutTrailingSeparator("C:\\"), "C:");
  EXPECT_EQ(JoinPath("C:", "*.*"), "C:\\*.*");  // the drive root is searched as C:\*.*
  EXPECT_EQ(JoinPath("C:\\data", "sub"), "C:\\data\\sub");
}

TEST(Path, ADriveRootGivesItsCheckfileAndRelativePathsWithoutLeadingBackslash) {
  EXPECT_EQ(checkfile::CheckfilePath("C:"), "C:\\VRTLY-sums.MD5");
  EXPECT_EQ(checkfile::StoredRelativePath("C:", "C:\\sub\\deeper\\data.bin"),
            "sub\\deeper\\data.bin");
  EXPECT_EQ(checkfile::StoredRelativePath("C:\\data", "C:\\data\\readme.txt"), "readme.txt");
}

TEST(Path, TheFolderPartEndsAtTheLastBackslashOrColon) {
  EXPECT_EQ(FolderPartOf("D:\\disc\\VRTLY-sums.MD5"), "D:\\disc\\");
  EXPECT_EQ(FolderPartOf("D:VRTLY-sums.MD5"), "D:");
  EXPECT_EQ(FolderPartOf("D:\\a:b\\c"), "D:\\a:b\\");
  EXPECT_EQ(FolderPartOf("VRTLY-sums.MD5"), "");
}

#else

TEST(Path, RemovesOneTrailingSlashButKeepsTheRoot) {
  EXPECT_EQ(WithoutTrailingSeparator("/data/"), "/data");
  EXPECT_EQ(WithoutTrailingSeparator("/data//"), "/data/");
  EXPECT_EQ(WithoutTrailingSeparator("/data"), "/data");
  EXPECT_EQ(WithoutTrailingSeparator(""), "");
  EXPECT_EQ(WithoutTrailingSeparator("//"), "/");
  EXPECT_EQ(WithoutTrailingSeparator("/"), "/");  // "" would mean no folder at all
  EXPECT_EQ(JoinPath("/", "etc"), "/etc");
  EXPECT_EQ(JoinPath("/data", "sub"), "/data/sub");
}

TEST(Path, TheRootGivesItsCheckfileAndRelativePathsWithoutLeadingSeparator) {
  EXPECT_EQ(checkfile::CheckfilePath("/"), "/VRTLY-sums.MD5");
  EXPECT_EQ(checkfile::StoredRelativePath("/", "/sub/deeper/data.bin"), "sub\\deeper\\data.bin");
  EXPECT_EQ(checkfile::StoredRelativePath("/data", "/data/readme.txt"), "readme.txt");
}

TEST(Path, TheFolderPartEndsAtTheLastSlash) {
  EXPECT_EQ(FolderPartOf("/media/disc/VRTLY-sums.MD5"), "/media/disc/");
  EXPECT_EQ(FolderPartOf("/VRTLY-sums.MD5"), "/");
  EXPECT_EQ(FolderPartOf("a:b"), "");  // ":" is an ordinary character here
  EXPECT_EQ(FolderPartOf("VRTLY-sums.MD5"), "");
}

TEST(Path, StoredPathsUseBackslashesAndNamesThatHoldThemCannotBeStored) {
  EXPECT_EQ(platform::ToStoredPath("sub/deeper/x"), "sub\\deeper\\x");
  EXPECT_EQ(platform::FromStoredPath("sub\\deeper\\x"), "sub/deeper/x");
  EXPECT_TRUE(platform::IsStorableName("plain name.txt"));
  EXPECT_FALSE(platform::IsStorableName("back\\slash"));
  EXPECT_FALSE(platform::IsStorableName("line\nbreak"));
  EXPECT_FALSE(platform::IsStorableName("carriage\rreturn"));
}

#endif

}  // namespace
