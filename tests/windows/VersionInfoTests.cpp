// The version reader against the test executable's own resource (the program's), the
// program itself, and small executables with broken or missing version resources.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>

#include "app/VtVersionInfo.h"
#include "tests/support/TestFiles.h"
#include "tests/windows/GuiTestSupport.h"
#include "ui/Path.h"
#include "version/Version.h"

namespace {

std::string Helper(const char* name) {
  return gui_test::TestFolder() + name;
}

TEST(VtVersionInfo, ReadsTheRunningExecutablesStringTable) {
  app::TVtVersionInfo info;
  EXPECT_EQ(info.FilePath(), ui::ExecutablePath());
  EXPECT_EQ(info.FieldValue(app::vfFileVersion), VRTLY_FILE_VERSION_TEXT);
  EXPECT_EQ(info.FieldValue(app::vfProductVersion),
            VRTLY_PRODUCT_VERSION_TEXT);  // not the fixed part's numbers
  for (int index : {0, 1, 3, 4, 5, 6, 7, 9}) {
    EXPECT_EQ(info.FieldValue(index), "") << "index " << index;  // present, empty
  }
}

TEST(VtVersionInfo, AnIndexOutsideTheTenFieldsIsAListError) {
  app::TVtVersionInfo info;
  for (int index : {10, -1, 1000}) {
    try {
      info.FieldValue(index);
      ADD_FAILURE() << "no error for index " << index;
    } catch (const std::out_of_range& error) {
      EXPECT_EQ(std::string(error.what()),
                "List index out of bounds (" + std::to_string(index) + ")");
    }
  }
}

TEST(VtVersionInfo, ProgramCarriesTheVersionResource) {
  app::TVtVersionInfo info;
  info.SetFilePath(gui_test::ProgramImage::Path());
  EXPECT_EQ(info.FieldValue(app::vfFileVersion), VRTLY_FILE_VERSION_TEXT);
  EXPECT_EQ(info.FieldValue(app::vfProductVersion), VRTLY_PRODUCT_VERSION_TEXT);
  EXPECT_EQ(info.FieldValue(app::vfCompanyName), "");

  const gui_test::ProgramImage program;
  ASSERT_NE(program.Handle(), nullptr);
  EXPECT_NE(FindResourceExA(program.Handle(), MAKEINTRESOURCEA(16), MAKEINTRESOURCEA(1),
                            MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)),
            nullptr);

  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(gui_test::ProgramImage::Path().c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<char> data(size);
  ASSERT_TRUE(GetFileVersionInfoA(gui_test::ProgramImage::Path().c_str(), 0, size, data.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00000001u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00010003u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00000001u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0x00010003u);
  EXPECT_EQ(fixed->dwFileFlagsMask, 0x3Fu);
  EXPECT_EQ(fixed->dwFileFlags, 0u);
  EXPECT_EQ(fixed->dwFileOS, 4u);
  EXPECT_EQ(fixed->dwFileType, 1u);
  EXPECT_EQ(fixed->dwFileSubtype, 0u);
  DWORD* translation = nullptr;
  ASSERT_TRUE(VerQueryValueA(data.data(), "\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translation), &length));
  EXPECT_EQ(length, 4u);
  EXPECT_EQ(*translation, 0x04E40409u);
}

// Each executable read in turn by one reader: the fields it names, and what all the others say.
TEST(VtVersionInfo, BrokenOrMissingResourcesGiveValueNotAvailableOrEmptyFields) {
  const struct {
    const char* executable;
    const char* what;
    std::map<int, std::string> named;
    std::string others;
  } rows[] = {
      {"version_none.exe", "no version resource", {}, "Value Not Available"},
      {"no such file.exe", "no file", {}, "Value Not Available"},
      {"version_wrong_block.exe", "a translation that names no string block", {}, ""},
      {"version_no_translation.exe", "a resource without translation", {}, ""},
      {"version_partial.exe",
       "a missing key is empty while the present ones are read",
       {{app::vfFileVersion, "2.3.4.5"}, {app::vfProductName, "Partial"}},
       ""},
  };
  app::TVtVersionInfo info;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    info.SetFilePath(Helper(row.executable));
    for (int index = 0; index < app::kVtVersionFieldCount; ++index) {
      const auto named = row.named.find(index);
      EXPECT_EQ(info.FieldValue(index), named != row.named.end() ? named->second : row.others)
          << "index " << index;
    }
  }
}

TEST(VtVersionInfo, FilePathReadsWhenItChangesByteForByteAndNotWhileTheOwnerLoads) {
  testing_support::TempDir dir;
  const std::string copy = dir / "copy.exe";
  ASSERT_TRUE(CopyFileA(Helper("version_partial.exe").c_str(), copy.c_str(), FALSE));

  app::TVtVersionInfo loading(true);
  EXPECT_EQ(loading.FieldValue(app::vfFileVersion),
            VRTLY_FILE_VERSION_TEXT);  // read at construction
  loading.SetFilePath(copy);
  EXPECT_EQ(loading.FieldValue(app::vfFileVersion),
            VRTLY_FILE_VERSION_TEXT);  // waits for the owner
  loading.Loaded();
  EXPECT_EQ(loading.FieldValue(app::vfFileVersion), "2.3.4.5");

  // The same path again reads nothing, so the replaced file goes unnoticed...
  ASSERT_TRUE(CopyFileA(Helper("version_none.exe").c_str(), copy.c_str(), FALSE));
  loading.SetFilePath(copy);
  EXPECT_EQ(loading.FieldValue(app::vfFileVersion), "2.3.4.5");
  // ...while the same file under a name that differs in letter case is read again.
  std::string otherCase = copy;
  otherCase.replace(otherCase.size() - 8, 8, "COPY.exe");
  loading.SetFilePath(otherCase);
  EXPECT_EQ(loading.FieldValue(app::vfFileVersion), "Value Not Available");

  // An empty path falls back to the running executable.
  loading.SetFilePath("");
  EXPECT_EQ(loading.FilePath(), ui::ExecutablePath());
  EXPECT_EQ(loading.FieldValue(app::vfFileVersion), VRTLY_FILE_VERSION_TEXT);
}

}  // namespace
