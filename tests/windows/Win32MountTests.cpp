// Folders that Wine shows on drive Z: from the host's own file systems, made by the host before
// the tests run (Wine can make neither links nor mounts): two file systems whose root folders
// carry the same volume serial and file index under Wine, and a link back up the walk.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "checkfile/Generation.h"
#include "tests/support/CheckfileSamples.h"
#include "tests/support/RecordingWindow.h"

namespace {

using namespace testing_support;

// A folder that a fixture made on the host, as Wine shows it; empty outside ctest.
std::string HostFolder(const char* name) {
  const char* hostPath = std::getenv("VRTLY_HOST_FOLDERS");
  if (hostPath == nullptr) return std::string();
  std::string folder = std::string("Z:") + hostPath + "/" + name;
  std::replace(folder.begin(), folder.end(), '/', '\\');
  return folder;
}

// Under Wine both roots report volume serial 0 and file index 1 (the tmpfs root inode): the
// inner file system must still be walked, not taken for the folder above it.
TEST(Win32Mounts, AFileSystemMountedInsideAnotherIsWalked) {
  const std::string outer = HostFolder("nested-mounts/outer");
  ASSERT_FALSE(outer.empty()) << "ctest sets VRTLY_HOST_FOLDERS";
  if (GetFileAttributesA((outer + "\\inner\\b.txt").c_str()) == INVALID_FILE_ATTRIBUTES)
    GTEST_SKIP() << "the host could not mount the two file systems (mounting needs root)";
  RecordingWindow window;
  Generate(window, outer);
  EXPECT_EQ(window.log,
            (Lines{"File: a.txt", "Folder: " + outer + "\\inner", "File: b.txt", SavedTo(outer)}));
}

}  // namespace
