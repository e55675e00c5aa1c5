// Digests of whole files and file ranges, on the platform's real file system.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "digest/CryptoAPI.h"
#include "platform/File.h"
#include "tests/support/CheckfileSamples.h"
#include "tests/support/TestFiles.h"

using namespace digest;  // the library under test

namespace {

using namespace testing_support;  // the test support: files, samples, windows, faults

TEST(HashFile, DigestsSmallFilesWithEveryType) {
  TempDir dir;
  WriteFile(dir / "abc", "abc");
  WriteFile(dir / "empty", "");
  struct Case {
    uint32_t type;
    std::string abc, empty;
  };
  const Case cases[] = {
      {HASH_MD5, kDigestAbc, kDigestEmpty},
      {HASH_MD4, "a448017aaf21d8525fc10ae87aa6729d", "31d6cfe0d16ae931b73c59d7e0c089c0"},
      {HASH_MD2, "da853b0d3f88d99b30283a69e6ded6bb", "8350e5a3e24c153df2275c9f80692773"},
      {HASH_ADLER32, "024d0127", "00000001"},
  };
  for (const auto& c : cases) {
    std::string text;
    EXPECT_EQ(HashFile(c.type, dir / "abc", text), HASH_OK);
    EXPECT_EQ(text, c.abc);
    EXPECT_EQ(HashFile(c.type, dir / "empty", text), HASH_OK);
    EXPECT_EQ(text, c.empty);
  }
}

TEST(HashFile, DigestsFilesAroundTheReadSizeWhole) {
  TempDir dir;
  for (size_t size : {size_t{1}, size_t{4095}, size_t{4096}, size_t{4097}, size_t{8192},
                      size_t{8193}, size_t{100000}}) {
    const std::string bytes = PatternBytes(size);
    const std::string path = dir / ("f" + std::to_string(size));
    WriteFile(path, bytes);
    for (uint32_t type : {HASH_MD5, HASH_MD4, HASH_MD2, HASH_ADLER32}) {
      std::string text;
      ASSERT_EQ(HashFile(type, path, text), HASH_OK);
      EXPECT_EQ(text, DigestOf(bytes, type)) << size << " bytes, type " << type;
    }
  }
}

TEST(HashFile, ReportsMissingFilesAndUnknownTypesInItsOrderOfChecks) {
  TempDir dir;
  WriteFile(dir / "present", "abc");
  std::string text = "kept";
  EXPECT_EQ(HashFile(HASH_MD5, dir / "missing", text), HASH_OPEN_FAILED);
  EXPECT_EQ(HashFile(260, dir / "present", text), HASH_UNKNOWN_TYPE);
  EXPECT_EQ(HashFile(260, dir / "missing", text), HASH_OPEN_FAILED);  // size is asked first
  EXPECT_EQ(HashFile(HASH_MD5, dir.path().string(), text), HASH_OPEN_FAILED);  // a folder
  EXPECT_EQ(text, "kept");
}

TEST(HashFile, CannotDigestAFileThatIsOpenForWriting) {
  TempDir dir;
  const std::string path = dir / "busy";
  WriteFile(path, "abc");
  std::string text = "kept";
  {
    platform::File writer = platform::File::CreateForWrite(path);
    ASSERT_TRUE(writer.IsOpen());
    EXPECT_EQ(HashFile(HASH_MD5, path, text), HASH_OPEN_FAILED);
    EXPECT_EQ(text, "kept");
    EXPECT_EQ(FileSizeByName(path), -1);
  }
  EXPECT_EQ(HashFile(HASH_MD5, path, text), HASH_OK);  // the writer has gone
  EXPECT_EQ(text, kDigestEmpty);
  EXPECT_EQ(FileSizeByName(path), 0);
}

TEST(HashFile, DigestsAFileThatOthersAreReading) {
  TempDir dir;
  const std::string path = dir / "shared";
  WriteFile(path, "abc");
  const platform::File reader = platform::File::OpenForRead(path);
  ASSERT_TRUE(reader.IsOpen());
  std::string text;
  EXPECT_EQ(HashFile(HASH_MD5, path, text), HASH_OK);
  EXPECT_EQ(text, kDigestAbc);
  EXPECT_EQ(FileSizeByName(path), 3);
  // While it is being read, a writer is kept out.
  EXPECT_FALSE(platform::File::CreateForWrite(path).IsOpen());
}

TEST(FileSizeByName, GivesTheSizeOrMinusOne) {
  TempDir dir;
  WriteFile(dir / "f", PatternBytes(12345));
  EXPECT_EQ(FileSizeByName(dir / "f"), 12345);
  EXPECT_EQ(FileSizeByName(dir / "missing"), -1);
}

TEST(HashFileRange, FeedsExactlyTheBytesOfTheRange) {
  TempDir dir;
  const std::string bytes = PatternBytes(10000);
  const std::string path = dir / "f";
  WriteFile(path, bytes);
  struct Range {
    uint32_t start, end;
  };
  for (const auto& [start, end] :
       {Range{0, 10000}, Range{10, 5000}, Range{4096, 8192}, Range{9999, 10000}, Range{500, 500}}) {
    HashContext context;
    ASSERT_EQ(HashInit(&context, HASH_MD5), HASH_OK);
    EXPECT_TRUE(HashFileRange(&context, path, start, end));
    std::string text;
    ASSERT_EQ(HashFinal(&context, text), HASH_OK);
    EXPECT_EQ(text, DigestOf(bytes.substr(start, end - start))) << start << "-" << end;
  }

  HashContext context;
  ASSERT_EQ(HashInit(&context, HASH_MD5), HASH_OK);
  EXPECT_FALSE(HashFileRange(&context, path, 0, 10001));  // the file ends early
  EXPECT_FALSE(HashFileRange(&context, dir / "missing", 0, 1));
}

// A sparse file just over 4 GiB reads as zeros; its MD5 was computed by md5sum when the build
// was configured. A 32-bit size would digest only its last 1000 bytes.
TEST(HashFile, DigestsAFileOfMoreThan4GiBWhole) {
  TempDir dir;
  const std::string path = dir / "big.bin";
  WriteFile(path, "");
  std::filesystem::resize_file(path, VRTLY_BIG_FILE_SIZE);
  EXPECT_EQ(FileSizeByName(path), static_cast<int32_t>(VRTLY_BIG_FILE_SIZE & 0xFFFFFFFFu));
  std::string text;
  ASSERT_EQ(HashFile(HASH_MD5, path, text), HASH_OK);
  EXPECT_EQ(text, VRTLY_BIG_FILE_MD5);
}

}  // namespace
