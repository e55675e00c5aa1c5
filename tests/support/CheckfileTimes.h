// The times an update goes by: a checkfile's modification time against each file's last change.
// Tests set the checkfile's time so that every file of a tree counts as unchanged, then change
// files so that the update sees it.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "checkfile/Update.h"
#include "platform/FileTime.h"
#include "tests/support/TestFiles.h"

namespace testing_support {

inline platform::FileTime LastChange(const std::string& path) {
  platform::FileTime time;
  EXPECT_TRUE(platform::LastChangeTime(path, time)) << path;
  return time;
}

inline platform::FileTime Modified(const std::string& path) {
  platform::FileTime time;
  EXPECT_TRUE(platform::ModificationTime(path, time)) << path;
  return time;
}

// Sets the file's modification time the given number of seconds from now (back when negative).
inline platform::FileTime SetModifiedFromNow(const std::string& path, int64_t seconds) {
  const platform::FileTime time{platform::CurrentFileTime().Ticks +
                                seconds * platform::kFileTimeTicksPerSecond};
  EXPECT_TRUE(platform::SetModificationTime(path, time)) << path;
  return time;
}

// The checkfile of a tree and the times that decide what an update reads again.
struct CheckfileTimes {
  platform::FileTime latest;         // the last change of any file when last trusted
  platform::FileTime checkfileTime;  // the time the checkfile was last given

  // The checkfile's time just past every file's last change below folder and the margin: each
  // file keeps its stored digest, and any change from now on is seen.
  void Trust(const std::filesystem::path& folder, const std::string& checkfile) {
    latest = platform::FileTime{};
    for (const auto& item : std::filesystem::recursive_directory_iterator(folder)) {
      if (item.is_regular_file()) latest = std::max(latest, LastChange(item.path().string()));
    }
    checkfileTime = platform::FileTime{latest.Ticks + checkfile::kTimeMargin + 1};
    ASSERT_TRUE(platform::SetModificationTime(checkfile, checkfileTime));
  }

  // The checkfile's time an hour back: every file is read.
  void Distrust(const std::string& checkfile) {
    checkfileTime = SetModifiedFromNow(checkfile, -3600);
  }

  // Writes the file so that its last change falls after the trusted time (file systems stamp
  // files with a coarse clock, so a write right after another may carry the same time).
  void Change(const std::string& path, const std::string& bytes) const {
    for (int attempt = 0; attempt < 1000; ++attempt) {
      WriteFile(path, bytes);
      if (LastChange(path) > latest) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    FAIL() << "the last change of " << path << " stays at the trusted time";
  }
};

}  // namespace testing_support
