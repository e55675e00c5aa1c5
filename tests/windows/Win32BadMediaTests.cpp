// What the Win32 search and file calls meet on real discs: names that the ANSI code page cannot
// hold, paths beyond MAX_PATH, folders and files held by other handles. The scan and the
// verification keep going and say what they left out.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "checkfile/Generation.h"
#include "checkfile/Tasks.h"
#include "platform/win32/Handles.h"
#include "platform/win32/TextConversion.h"
#include "tests/support/CheckfileSamples.h"
#include "tests/support/RecordingWindow.h"
#include "tests/support/TestFiles.h"

namespace {

using namespace testing_support;

// The folder's name in Unicode, with the long-path prefix: the names below are made with the W
// functions, as another program would make them.
std::wstring Wide(const std::string& ansi) {
  return L"\\\\?\\" + platform::Widened(ansi);
}

void MakeFolderW(const std::wstring& path) {
  ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr)) << GetLastError();
}

void MakeFileW(const std::wstring& path, const std::string& bytes) {
  const platform::FileHandle file(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  ASSERT_TRUE(file.IsValid()) << GetLastError();
  DWORD written = 0;
  ::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  ASSERT_EQ(written, bytes.size());
}

// Another program's handle on an existing file or folder.
platform::FileHandle Hold(const std::string& path, DWORD access, DWORD share, DWORD flags = 0) {
  return platform::FileHandle(
      CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, flags, nullptr));
}

// The verification's log of a checkfile: its heading, the result lines, the summary.
Lines Verification(const std::string& checkfile, const Lines& results, size_t tested,
                   size_t notTested) {
  Lines log{"Testing MD5 sums in " + checkfile};
  Append(log, results);
  Append(log, Summary(tested, notTested, 0));
  return log;
}

// A temporary folder to walk and a window that records what the tasks log.
class Win32BadMedia : public testing::Test {
 protected:
  TempDir dir;
  const std::string root = dir.path().string();
  RecordingWindow window;
};

// With code page 1252, a c with circumflex, a Cyrillic Zhe, a fullwidth reverse solidus and a
// fullwidth full stop have no byte. The ANSI search would return the first as "c" (naming
// nc.txt a second time), the third as "\" (naming up\x) and the last as "." (skipping the
// folder and its file without a word).
TEST_F(Win32BadMedia, NamesOutsideTheCodePageAreReportedNeverAliasedOrDropped) {
  ASSERT_EQ(GetACP(), 1252u) << "run under LANG=C.UTF-8 (scripts/test does)";
  const std::wstring wroot = Wide(root);
  MakeFileW(wroot + L"\\nc.txt", "abc");
  MakeFileW(wroot + L"\\n\x0109.txt", "x");
  MakeFolderW(wroot + L"\\up");
  MakeFileW(wroot + L"\\up\\x", "a");
  MakeFileW(wroot + L"\\up\xff3cx", "b");
  MakeFileW(wroot + L"\\\x0416.txt", "c");
  MakeFolderW(wroot + L"\\\xff0e");
  MakeFileW(wroot + L"\\\xff0e\\inside.txt", "a");
  Generate(window, root);

  EXPECT_EQ(
      window.log,
      (Lines{"File: nc.txt", "File: n?.txt", "Could not open file", "Folder: " + root + "\\up",
             "File: x", "File: up?x", "Could not open file", "File: ?.txt", "Could not open file",
             "Folder: " + root + "\\?", checkfile::kCannotListFolderText, SavedTo(root)}));
  EXPECT_EQ(WithoutTimestamp(ReadFile(root + "\\VRTLY-sums.MD5")),
            std::string(kVersionHeaderLine) + kDigestAbc + "|nc.txt\r\n" + kDigestA + "|up\\x\r\n");

  // A checkfile that names them (with "?", or in another program's UTF-8 bytes) reports them.
  WriteFile(root + "\\c.MD5", std::string(kDigestA) + "|n?.txt\r\n" + kDigestA +
                                  "|n\xc4\x89.txt\r\n" + kDigestA + "|up\\x\r\n");
  Verify(window, root + "\\c.MD5");
  EXPECT_EQ(window.log, Verification(root + "\\c.MD5",
                                     {"ERROR: Could not open file (" + root + "\\n?.txt)",
                                      "ERROR: Could not open file (" + root + "\\n\xc4\x89.txt)",
                                      "OK: " + root + "\\up\\x"},
                                     1, 2));
}

// A folder named with a fullwidth full stop, which code page 1252 has no byte for: the system's
// look-alike, ".", would make its name that of the folder above, whose files would be listed and
// whose checkfile replaced. "vrtly make ." inside it keeps the name relative; the folder's name
// typed on the command line reaches the tool as "?", which names nothing.
TEST_F(Win32BadMedia, TheConsoleToolNeverTakesAFolderForTheOneAbove) {
  const std::wstring top = platform::Widened(root);
  const std::wstring folder = top + L"\\\xff0e";
  MakeFolderW(folder);
  MakeFileW(folder + L"\\a.txt", "a");
  WriteFile(root + "\\b.txt", "b");
  const std::wstring vrtly = L"\"" + platform::Widened(VRTLY_CLI_PATH) + L"\" ";
  const struct {
    std::wstring arguments, current;
    DWORD exitCode;
    bool madeInFolder;
  } rows[] = {
      {L"make .", folder, 0, true},
      {L"make \xff0e", top, 2, false},
      {L"make \"" + folder + L"\"", top, 2, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(platform::Narrowed(row.arguments.c_str(), platform::Unmappable::QuestionMark));
    std::wstring command = vrtly + row.arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                               nullptr, row.current.c_str(), &startup, &process))
        << GetLastError();
    WaitForSingleObject(process.hProcess, 60000);
    DWORD exitCode = STILL_ACTIVE;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ(exitCode, row.exitCode);
    EXPECT_EQ(GetFileAttributesA((root + "\\VRTLY-sums.MD5").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(DeleteFileW((folder + L"\\VRTLY-sums.MD5").c_str()) != FALSE, row.madeInFolder);
  }
}

// The ANSI calls take paths of fewer than MAX_PATH (260) characters. One folder whose search
// pattern fits, holding a file whose path fits, one whose path does not, and a subfolder whose
// search pattern does not.
TEST_F(Win32BadMedia, PathsBeyondMaxPathAreReportedAndTheWalkGoesOn) {
  ASSERT_LT(root.size(), 180u);
  const std::string deep = root + "\\" + std::string(240 - 4 - root.size() - 1, 'p');
  ASSERT_EQ(deep.size() + 4, 240u);  // deep\*.* : 240 characters
  const std::string sub = deep + "\\" + std::string(30, 'd');
  const std::string longFile(40, 'l');
  // Removed here: the temporary folder's own clean-up uses paths below MAX_PATH.
  struct LongPaths {
    std::vector<std::wstring> files, folders;
    ~LongPaths() {
      for (const std::wstring& file : files)
        DeleteFileW(file.c_str());
      for (const std::wstring& folder : folders)
        RemoveDirectoryW(folder.c_str());
    }
  } made{{Wide(sub + "\\below.txt"), Wide(deep + "\\" + longFile)}, {Wide(sub)}};
  MakeFolderW(Wide(deep));
  MakeFolderW(Wide(sub));
  MakeFileW(Wide(sub + "\\below.txt"), "a");
  MakeFileW(Wide(deep + "\\" + longFile), "a");  // a path of 277 characters
  MakeFileW(Wide(deep + "\\s.txt"), "a");        // 242
  Generate(window, root);

  EXPECT_EQ(window.log,
            (Lines{"Folder: " + deep, "Folder: " + sub, checkfile::kCannotListFolderText,
                   "File: " + longFile, "Could not open file", "File: s.txt", SavedTo(root)}));
  EXPECT_EQ(WithoutTimestamp(ReadFile(root + "\\VRTLY-sums.MD5")),
            std::string(kVersionHeaderLine) + kDigestA + "|" + deep.substr(root.size() + 1) +
                "\\s.txt\r\n");
}

// Wine, like Windows, refuses to search a folder that another handle holds without sharing;
// the files inside still open.
TEST_F(Win32BadMedia, AFolderHeldWithoutSharingIsReportedAndItsFilesStillVerify) {
  WriteFile(root + "\\held\\in.txt", "a");
  WriteFile(root + "\\z.txt", "a");
  WriteFile(root + "\\c.MD5", std::string(kDigestA) + "|held\\in.txt\r\n");
  platform::FileHandle holder = Hold(root + "\\held", GENERIC_READ, 0, FILE_FLAG_BACKUP_SEMANTICS);
  ASSERT_TRUE(holder.IsValid()) << GetLastError();
  Generate(window, root);
  EXPECT_EQ(window.log, (Lines{"File: c.MD5", "Folder: " + root + "\\held",
                               checkfile::kCannotListFolderText, "File: z.txt", SavedTo(root)}));
  Verify(window, root + "\\c.MD5");
  holder.Close();
  EXPECT_EQ(window.log[1], "OK: " + root + "\\held\\in.txt");
}

TEST_F(Win32BadMedia, AListedFileHeldForWritingIsReportedAndCounted) {
  WriteFile(root + "\\a.txt", "a");
  WriteFile(root + "\\busy.txt", "a");
  WriteFile(root + "\\c.MD5",
            std::string(kDigestA) + "|busy.txt\r\n" + std::string(kDigestA) + "|a.txt\r\n");
  platform::FileHandle writer =
      Hold(root + "\\busy.txt", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
  ASSERT_TRUE(writer.IsValid());
  Verify(window, root + "\\c.MD5");
  writer.Close();
  EXPECT_EQ(window.log, Verification(root + "\\c.MD5",
                                     {"ERROR: Could not open file (" + root + "\\busy.txt)",
                                      "OK: " + root + "\\a.txt"},
                                     1, 1));
}

// A link from a subfolder back to the top, made by the host (see CMakeLists.txt): a junction
// loop on Windows behaves the same way.
TEST_F(Win32BadMedia, AFolderReachedAgainThroughALinkIsNotWalkedAgain) {
  const char* hostPath = std::getenv("VRTLY_HOST_FOLDERS");
  ASSERT_NE(hostPath, nullptr) << "ctest sets VRTLY_HOST_FOLDERS";
  std::string top = std::string("Z:") + hostPath + "/link-loop/top";
  std::replace(top.begin(), top.end(), '/', '\\');
  Generate(window, top);
  EXPECT_EQ(window.log,
            (Lines{"File: a.txt", "Folder: " + top + "\\sub", "Folder: " + top + "\\sub\\up",
                   checkfile::kLinkLoopText, SavedTo(top)}));
  EXPECT_EQ(WithoutTimestamp(ReadFile(top + "\\VRTLY-sums.MD5")),
            std::string(kVersionHeaderLine) + kDigestA + "|a.txt\r\n");
}

}  // namespace
