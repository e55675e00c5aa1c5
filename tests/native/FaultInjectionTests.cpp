// Failures at the points where real media and other processes break file access: between the
// walk and the digest, between the size query and the reading, halfway through a read, when a
// disc fills up or a file cannot be created. The fault hooks pick the moment; where they can,
// they make the real change (delete, truncate, extend) and let the system call meet it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>

#include "checkfile/CheckfileFormat.h"
#include "checkfile/Tasks.h"
#include "digest/CryptoAPI.h"
#include "platform/File.h"
#include "platform/SystemError.h"
#include "tests/support/CheckfileSamples.h"
#include "tests/support/FaultInjector.h"
#include "tests/support/RecordingWindow.h"
#include "tests/support/TaskCases.h"
#include "tests/support/TestFiles.h"

using namespace digest;  // the library under test

namespace {

using namespace testing_support;  // the test support: files, samples, windows, faults
namespace fs = std::filesystem;

constexpr char kPrevious[] = "; the previous checkfile\r\n";

void AppendTo(const std::string& path, const std::string& bytes) {
  WriteFile(path, ReadFile(path) + bytes);
}

// A file of 10,000 bytes whose reading meets a fault, and what HashFile makes of it: a failure
// leaves the digest text as it was, a success digests the bytes first found.
TEST(HashFileFaults, AFileThatChangesOrFailsWhileItIsReadIsAFailureOrItsFirstBytes) {
  const struct {
    const char* what;
    std::function<void(FaultInjector&, const std::string& path)> arrange;
    int32_t result;
    int openings;  // for its size, then to read it
  } cases[] = {
      {"gone before the size query",
       [](FaultInjector& f, const std::string& p) {
         f.BeforeOpening(p, 1, [p] { fs::remove(p); });
       },
       HASH_OPEN_FAILED, 1},
      {"gone after the size query",
       [](FaultInjector& f, const std::string& p) {
         f.BeforeOpening(p, 2, [p] { fs::remove(p); });
       },
       HASH_READ_FAILED, 2},
      {"shrunk after the size query",
       [](FaultInjector& f, const std::string& p) {
         f.BeforeOpening(p, 2, [p] { fs::resize_file(p, 5000); });
       },
       HASH_READ_FAILED, 2},
      {"a read error halfway",
       [](FaultInjector& f, const std::string& p) { f.FailReadingAfter(p, 4096, kReadFault); },
       HASH_READ_FAILED, 2},
      {"grown after the size query: digested over the size first found",
       [](FaultInjector& f, const std::string& p) {
         f.BeforeOpening(p, 2, [p] { AppendTo(p, "more bytes"); });
       },
       HASH_OK, 2},
      {"short reads", [](FaultInjector& f, const std::string& p) { f.ShortReads(p, 7); }, HASH_OK,
       2},
  };
  const std::string bytes = PatternBytes(10000);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const std::string path = dir / "f";
    WriteFile(path, bytes);
    FaultInjector faults;
    c.arrange(faults, path);
    std::string text = "kept";
    EXPECT_EQ(HashFile(HASH_MD5, path, text), c.result);
    EXPECT_EQ(text, c.result == HASH_OK ? DigestOf(bytes) : "kept");
    EXPECT_EQ(faults.Openings(path), c.openings);
  }
}

// A checkfile that cannot be read to its end is not tested at all: testing the part that was
// read would end in "EVERY FILE APPEARS OK!" for a list that is not the whole list.
TEST(CheckfileReaderFaults, AReadErrorHalfwayEndsTheLoadAndShortReadsChangeNothing) {
  TempDir dir;
  std::string text;
  for (int i = 0; i < 300; ++i)
    text += std::string(kDigestA) + "|file" + std::to_string(i) + "\r\n";
  const std::string path = dir / "c.MD5";
  WriteFile(path, text);
  const Lines whole = checkfile::LoadCheckfileLines(path);
  ASSERT_EQ(whole.size(), 300u);

  FaultInjector faults;
  faults.ShortReads(path, 5);
  EXPECT_EQ(checkfile::LoadCheckfileLines(path), whole);
  faults.FailReadingAfter(path, 4096, kReadFault);
  EXPECT_EQ(ErrorOf([&] { checkfile::LoadCheckfileLines(path); }), "Stream read error");
}

// a.txt stays, b.txt vanishes after the walk found it, c.txt shrinks after its size was taken,
// d.txt grows then, e.txt fails to read halfway.
const std::string kE = PatternBytes(9000);
const FileList kRacingTree = {{"a.txt", "a"},
                              {"b.txt", "b"},
                              {"c.txt", std::string(6000, 'c')},
                              {"d.txt", "abc"},
                              {"e.txt", kE}};

void Race(Scene& s) {
  const std::string b = s.dir / "b.txt", c = s.dir / "c.txt", d = s.dir / "d.txt";
  s.faults.BeforeOpening(b, 1, [b] { fs::remove(b); });
  s.faults.BeforeOpening(c, 2, [c] { fs::resize_file(c, 10); });
  s.faults.BeforeOpening(d, 2, [d] { AppendTo(d, "def"); });
  s.faults.FailReadingAfter(s.dir / "e.txt", 4096, kReadFault);
}

TEST(GenerationFaults, FilesThatVanishShrinkGrowOrFailAreLoggedAndLeftOutOrDigestedAsFound) {
  ExpectWalk(
      {"a racing tree",
       kRacingTree,
       {"File: a.txt", "File: b.txt", "Could not open file", "File: c.txt", "Could not read file",
        "File: d.txt", "File: e.txt", "Could not read file"},
       Entry(kDigestA, "a.txt") + Entry(kDigestAbc, "d.txt"),
       Race,
       [](Scene& s, RecordingWindow& window) {
         const Lines trace = window.Trace();
         const std::string root = s.dir.path().string();
         // After a, b and c the count is 1; after d and e it is 2.
         EXPECT_EQ(std::count(trace.begin(), trace.end(), "status: " + Progress(1, root)), 3);
         EXPECT_EQ(std::count(trace.begin(), trace.end(), "status: " + Progress(2, root)), 2);
       }});
}

TEST(VerificationFaults, FilesThatVanishShrinkGrowOrFailAreEachReportedAndCounted) {
  FileList tree = kRacingTree;
  tree.push_back({"c.MD5", Entry(kDigestA, "a.txt") + Entry(DigestOf("b"), "b.txt") +
                               Entry(DigestOf(std::string(6000, 'c')), "c.txt") +
                               Entry(kDigestAbc, "d.txt") + Entry(DigestOf(kE), "e.txt")});
  ExpectCheck({"a racing tree",
               tree,
               {"OK: {a.txt}", "ERROR: Could not open file ({b.txt})",
                "ERROR: Could not read file ({c.txt})", "OK: {d.txt}",
                "ERROR: Could not read file ({e.txt})"},
               {2, 3, 0},
               Race});
}

// The walk went well but the checkfile cannot be written: the error box says why, after the
// window has returned to idle, and the log and the previous checkfile stay as they were.
TEST(GenerationFaults, ACheckfileThatCannotBeWrittenShowsTheErrorAndKeepsThePreviousOne) {
  const std::string accessDenied = platform::SystemErrorText(kAccessDenied);
  const struct {
    const char* what;
    std::function<void(Scene&)> arrange;
    std::string error;  // paths in braces lie in the tree; "..." ends a text the system words
  } cases[] = {
      {"a short write: the entry does not fit",
       [](Scene& s) { s.faults.LimitWriting(s.dir / checkfile::kTemporaryCheckfileName, 60); },
       "Stream write error"},
      {"the checkfile cannot be created",
       [](Scene& s) { s.faults.FailCreating(s.dir / checkfile::kCheckfileName, kAccessDenied); },
       "Cannot create file \"{VRTLY-sums.MD5}\". " + accessDenied},
      {"another reader holds the previous checkfile",
       [](Scene& s) {
         s.held = platform::File::OpenForRead(s.dir / checkfile::kCheckfileName);
         ASSERT_TRUE(s.held.IsOpen());
       },
       "Cannot create file \"{VRTLY-sums.MD5}\". ..."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Scene scene;
    WriteFiles(scene.dir, {{"a.txt", "a"}, {"VRTLY-sums.MD5", kPrevious}});
    c.arrange(scene);
    RecordingWindow window;
    Generate(window, scene.dir.path().string());
    scene.held.Close();

    const Lines trace = window.Trace();
    EXPECT_EQ(Tail(Lines(trace.begin(), trace.end() - 1), 4),
              (Lines{"status: Generating check file...", "status shown", "events", "state: idle"}));
    const std::string error = "error box: " + InDir(scene.dir, c.error);
    if (error.ends_with("...")) {
      EXPECT_EQ(trace.back().rfind(error.substr(0, error.size() - 3), 0), 0u) << trace.back();
    } else {
      EXPECT_EQ(trace.back(), error);
    }
    EXPECT_EQ(window.log, Lines{"File: a.txt"});
    EXPECT_EQ(window.status, "Generating check file...");
    EXPECT_EQ(ReadFile(scene.dir / checkfile::kCheckfileName), kPrevious);
    EXPECT_FALSE(fs::exists(scene.dir / checkfile::kTemporaryCheckfileName));
  }
}

TEST(VerificationFaults, ACheckfileThatFailsToReadHalfwayTestsNothingAndShowsTheError) {
  TempDir dir;
  WriteFile(dir / "a.txt", "a");
  std::string text;
  for (int i = 0; i < 300; ++i)
    text += std::string(kDigestA) + "|a.txt\r\n";
  const std::string path = dir / "c.MD5";
  WriteFile(path, text);
  FaultInjector faults;
  faults.FailReadingAfter(path, 4096, kReadFault);
  RecordingWindow window;
  window.log = {"the previous task's log"};
  window.status = "the previous status";
  window.dialogFileName = path;
  checkfile::RunTask(window, checkfile::RunVerification);

  EXPECT_EQ(window.Trace(), (Lines{"open dialog in: ", "abort flag off", "state: verifying",
                                   "state: idle", "error box: Stream read error"}));
  EXPECT_EQ(checkfile::ErrorBoxText("Stream read error"), "Stream read error.");
  EXPECT_EQ(window.log, Lines{"the previous task's log"});
  EXPECT_EQ(window.status, "the previous status");
  EXPECT_EQ(faults.Openings(dir / "a.txt"), 0);
}

}  // namespace
