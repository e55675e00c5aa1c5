// The checkfile is replaced, never lost: the new text goes to a temporary beside it, is flushed
// and moved over the old one in one step. Every way that can fail must leave the folder exactly
// as it was, the previous checkfile byte for byte and no temporary, and say so with the texts
// the user knows.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "checkfile/CheckfileFormat.h"
#include "platform/File.h"
#include "platform/SystemError.h"
#include "tests/support/FaultInjector.h"
#ifndef _WIN32
#include "tests/support/Mounts.h"
#endif
#include "tests/support/RecordingWindow.h"
#include "tests/support/TaskCases.h"
#include "tests/support/TestFiles.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>

#include <csignal>
#endif

namespace {

using namespace testing_support;  // the test support: files, samples, windows, faults
namespace fs = std::filesystem;

constexpr char kPrevious[] = "; the previous checkfile\r\n";
constexpr char kStreamWriteError[] = "Stream write error";

// Every file below root with its bytes, and every folder (as "<folder>"), so that a failed
// replacement can be shown to have changed nothing at all.
std::map<std::string, std::string> Snapshot(const fs::path& root) {
  std::map<std::string, std::string> entries;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    const std::string name = fs::relative(entry.path(), root).generic_string();
    entries[name] = entry.is_directory() ? "<folder>" : ReadFile(entry.path().string());
  }
  return entries;
}

// One folder with a previous checkfile, and what a failing replacement may hold meanwhile.
struct Scene : testing_support::Scene {
  const std::string checkfile = dir / checkfile::kCheckfileName;
  const std::string temporary = dir / checkfile::kTemporaryCheckfileName;
  // Takes hold of a file the way another program would, after the snapshot (a file held
  // without sharing cannot be read for it); true when it holds it.
  std::function<bool()> hold;
};

struct ReplacementFailure {
  const char* what;
  std::function<void(Scene&)> arrange;
  // "Stream write error", or empty for "Cannot create file "<checkfile>". <system text>".
  std::string error;
  uint32_t systemError;  // the system error that text names; 0 when any may
};

const ReplacementFailure kFailures[] = {
    {"the temporary cannot be created",
     [](Scene& s) { s.faults.FailCreating(s.temporary, kAccessDenied); }, "", kAccessDenied},
    {"the checkfile could not be created anew (read-only)",
     [](Scene& s) { s.faults.FailCreating(s.checkfile, kAccessDenied); }, "", kAccessDenied},
    {"the disc fills up during the write",
     [](Scene& s) { s.faults.LimitWriting(s.temporary, 100); }, kStreamWriteError, 0},
    {"the write fails", [](Scene& s) { s.faults.FailWriting(s.temporary, kDiskFull); },
     kStreamWriteError, 0},
    {"the flush to the medium fails",
     [](Scene& s) { s.faults.FailFlushing(s.temporary, kReadFault); }, kStreamWriteError, 0},
    {"the move over the checkfile fails",
     [](Scene& s) { s.faults.FailReplacing(s.checkfile, kAccessDenied); }, "", kAccessDenied},
    {"another handle holds the checkfile",
     [](Scene& s) {
       s.hold = [&s] {
         s.held = platform::File::CreateForWrite(s.checkfile);
         uint32_t done = 0;
         return s.held.Write(kPrevious, sizeof kPrevious - 1, done);
       };
     },
     "", 0},
    {"a folder stands where the checkfile goes",
     [](Scene& s) {
       fs::remove(s.checkfile);
       WriteFile(s.checkfile + "/inside", "x");
     },
     "", 0},
    {"a leftover temporary is in use",
     [](Scene& s) {
       WriteFile(s.temporary, "");
       s.hold = [&s] {
         s.held = platform::File::CreateTemporary(s.temporary);
         return s.held.IsOpen();
       };
     },
     "", 0},
#ifndef _WIN32
    {"a link to another file stands where the temporary goes",
     [](Scene& s) {
       WriteFile(s.dir / "photo.jpg", "the only copy");
       fs::create_symlink("photo.jpg", s.temporary);
     },
     "", 0},
    {"a second name of another file stands where the temporary goes",
     [](Scene& s) {
       WriteFile(s.dir / "photo.jpg", "the only copy");
       fs::create_hard_link(s.dir / "photo.jpg", s.temporary);
     },
     "", 0},
#endif
};

TEST(CheckfileReplacement, EveryFailureKeepsThePreviousCheckfileAndLeavesNoTemporary) {
  for (const ReplacementFailure& failure : kFailures) {
    SCOPED_TRACE(failure.what);
    Scene scene;
    WriteFile(scene.checkfile, kPrevious);
    failure.arrange(scene);
    const auto before = Snapshot(scene.dir.path());
    const bool temporaryBefore = fs::exists(scene.temporary);
    if (scene.hold) {
      ASSERT_TRUE(scene.hold());
    }
    const std::string message = ErrorOf(
        [&] { checkfile::WriteCheckfile(scene.checkfile, std::string(5000, 'x') + "\r\n"); });
    scene.held.Close();
    if (!failure.error.empty()) {
      EXPECT_EQ(message, failure.error);
    } else if (failure.systemError != 0) {
      EXPECT_EQ(message, "Cannot create file \"" + scene.checkfile + "\". " +
                             platform::SystemErrorText(failure.systemError));
    } else {
      EXPECT_EQ(message.rfind("Cannot create file \"" + scene.checkfile + "\". ", 0), 0u)
          << message;
    }
    EXPECT_EQ(fs::exists(scene.temporary), temporaryBefore);  // none, unless another run's
    EXPECT_EQ(Snapshot(scene.dir.path()), before);
  }
}

TEST(CheckfileReplacement, AFolderThatDoesNotExistGivesTheSystemsTextForTheCheckfile) {
  TempDir dir;
  const std::string inMissingFolder = dir / "missing/VRTLY-sums.MD5";
  const std::string message =
      ErrorOf([&] { checkfile::WriteCheckfile(inMissingFolder, "; x\r\n"); });
  const std::string prefix = "Cannot create file \"" + inMissingFolder + "\". ";
  ASSERT_EQ(message.substr(0, prefix.size()), prefix);
  const std::string reason = message.substr(prefix.size());
  EXPECT_FALSE(reason.empty());
  EXPECT_NE(reason.back(), '.');
#ifndef _WIN32
  EXPECT_EQ(reason, "No such file or directory");
#endif
  EXPECT_TRUE(fs::is_empty(dir.path()));
}

// The new checkfile takes the place of the old one whole, takes over a temporary that a crash
// left behind, carries the modification time it was given, and is not hidden.
TEST(CheckfileReplacement, ReplacesTheCheckfileWholeAndTakesOverALeftoverTemporary) {
  TempDir dir;
  const std::string path = dir / checkfile::kCheckfileName;
  const std::string temporary = dir / checkfile::kTemporaryCheckfileName;
  WriteFile(path, std::string(1000, 'o'));
  {
    platform::File leftover = platform::File::CreateTemporary(temporary);
    uint32_t done = 0;
    ASSERT_TRUE(leftover.IsOpen() && leftover.Write("half a checkf", 13, done));
  }
  const auto walkBegan = fs::file_time_type::clock::now() - std::chrono::hours(1);
  const platform::FileTime walkBeganAsFileTime = {platform::CurrentFileTime().Ticks -
                                                  3600 * platform::kFileTimeTicksPerSecond};
  checkfile::WriteCheckfile(path, "; new\r\n", walkBeganAsFileTime);
  EXPECT_EQ(ReadFile(path), "; new\r\n");
  EXPECT_FALSE(fs::exists(temporary));
  const auto written = fs::last_write_time(path);
  EXPECT_LT(std::chrono::abs(written - walkBegan), std::chrono::seconds(5));
#ifdef _WIN32
  EXPECT_EQ(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
#endif
}

#ifndef _WIN32
// A file size limit makes the single write come up short, the way a full disc does, without
// the fault hooks.
TEST(CheckfileReplacement, AWriteCutShortByTheSystemKeepsThePreviousCheckfile) {
  TempDir dir;
  const std::string path = dir / checkfile::kCheckfileName;
  WriteFile(path, kPrevious);
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit limit = {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
  rlimit small = limit;
  small.rlim_cur = 100;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const std::string message =
      ErrorOf([&] { checkfile::WriteCheckfile(path, std::string(5000, 'x')); });
  setrlimit(RLIMIT_FSIZE, &limit);
  EXPECT_EQ(message, kStreamWriteError);
  EXPECT_EQ(ReadFile(path), kPrevious);
  EXPECT_FALSE(fs::exists(dir / checkfile::kTemporaryCheckfileName));
}

TEST(CheckfileReplacementOnRealMedia, AFullDiscAndAReadOnlyDiscKeepThePreviousCheckfile) {
  TempDir dir;
  const std::string disc = dir / "disc";
  Mount medium = Mount::Tmpfs(disc, "64k");
  if (!medium.Mounted()) GTEST_SKIP() << kCannotMount;
  const std::string path = disc + "/" + checkfile::kCheckfileName;
  WriteFile(path, kPrevious);
  // Fill the disc: what is left is less than the new checkfile.
  WriteFile(disc + "/filler", std::string(40 * 1024, 'f'));
  const auto full = Snapshot(disc);
  EXPECT_EQ(ErrorOf([&] { checkfile::WriteCheckfile(path, std::string(32 * 1024, 'x')); }),
            kStreamWriteError);
  EXPECT_EQ(Snapshot(disc), full);

  ASSERT_TRUE(medium.MakeReadOnly());
  EXPECT_EQ(ErrorOf([&] { checkfile::WriteCheckfile(path, "; new\r\n"); }),
            "Cannot create file \"" + path + "\". " + platform::SystemErrorText(EROFS));
  EXPECT_EQ(Snapshot(disc), full);
}
#endif

}  // namespace
