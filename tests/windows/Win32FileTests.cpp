// The Win32 file backend against the sharing rules of real Windows handles.
#include <windows.h>

#include <gtest/gtest.h>

#include "digest/CryptoAPI.h"
#include "platform/File.h"
#include "platform/win32/Handles.h"
#include "tests/support/CheckfileTimes.h"
#include "tests/support/TestFiles.h"

using namespace digest;  // the library under test

namespace {

using testing_support::TempDir;
using testing_support::WriteFile;

platform::FileHandle OpenRaw(const std::string& path, DWORD access, DWORD share) {
  return platform::FileHandle(
      CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr));
}

TEST(Win32File, AFileHeldOpenForWritingByAnotherHandleCannotBeDigested) {
  TempDir dir;
  const std::string path = dir / "held.txt";
  WriteFile(path, "abc");
  platform::FileHandle writer = OpenRaw(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
  ASSERT_TRUE(writer.IsValid());
  std::string text = "kept";
  EXPECT_EQ(HashFile(HASH_MD5, path, text), HASH_OPEN_FAILED);
  EXPECT_EQ(text, "kept");
  EXPECT_EQ(HashErrorText(HASH_OPEN_FAILED), "Could not open file");
  writer.Close();
  EXPECT_EQ(HashFile(HASH_MD5, path, text), HASH_OK);
  EXPECT_EQ(text, "900150983cd24fb0d6963f7d28e17f72");
}

TEST(Win32File, OtherReadersMayReadWhileWeDigestButNotWrite) {
  TempDir dir;
  const std::string path = dir / "shared.txt";
  WriteFile(path, "abc");
  {
    const platform::FileHandle reader = OpenRaw(path, GENERIC_READ, FILE_SHARE_READ);
    ASSERT_TRUE(reader.IsValid());
    std::string text;
    EXPECT_EQ(HashFile(HASH_MD5, path, text), HASH_OK);
    EXPECT_EQ(text, "900150983cd24fb0d6963f7d28e17f72");
  }

  platform::File ours = platform::File::OpenForRead(path);
  ASSERT_TRUE(ours.IsOpen());
  const platform::FileHandle writer =
      OpenRaw(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
  EXPECT_FALSE(writer.IsValid());
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
}

TEST(Win32File, SizeLow32AndTheWholeSizeAndTheSizeByNameAgree) {
  TempDir dir;
  const std::string path = dir / "sized.bin";
  WriteFile(path, std::string(5000, 'x'));
  platform::File file = platform::File::OpenForRead(path);
  ASSERT_TRUE(file.IsOpen());
  EXPECT_EQ(file.SizeLow32(), 5000u);
  uint64_t size = 0;
  EXPECT_TRUE(file.Size(size));
  EXPECT_EQ(size, 5000u);
  uint64_t byName = 0;
  EXPECT_TRUE(platform::FileSizeForReading(path, byName));
  EXPECT_EQ(byName, 5000u);
  EXPECT_FALSE(platform::FileSizeForReading(dir / "missing.bin", byName));
}

// Windows gives a symbolic link's own times for its entry (Wine gives those of the file it
// reaches): the file reached counts too, so that an update reads a target edited since.
TEST(Win32File, ALinksLastChangeIsNeverBeforeThatOfTheFileItReaches) {
  TempDir dir;
  const std::string target = dir / "target.txt";
  const std::string link = dir / "link.txt";
  WriteFile(target, "abc");
  if (!CreateSymbolicLinkA(link.c_str(), "target.txt", 0))
    GTEST_SKIP() << "no symbolic link here: " << GetLastError();
  if (GetFileAttributesA(link.c_str()) == INVALID_FILE_ATTRIBUTES)
    GTEST_SKIP() << "the link just made cannot be followed here (Wine 8)";
  const platform::FileTime later = testing_support::SetModifiedFromNow(target, 3600);
  EXPECT_GE(testing_support::LastChange(link).Ticks, later.Ticks);
}

}  // namespace
