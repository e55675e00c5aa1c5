// Failures at the points where real media and other processes break file access: between the
// walk and the digest, between the size query and the reading, halfway through a read, when a
// disc fills up or a file cannot be created. The fault hooks pick the moment; where they can,
// they make the real change (delete, truncate, extend) and let the system call meet it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "checkfile/CheckfileFormat.h"
#include "checkfile/Tasks.h"
#include "digest/CryptoAPI.h"
#include "platform/File.h"
#include "platform/Path.h"
#include "platform/SystemError.h"
#include "tests/support/CheckfileSamples.h"
#include "tests/support/FaultInjector.h"
#include "tests/support/RecordingWindow.h"
#include "tests/support/TestFiles.h"

using namespace digest;  // the library under test

namespace {

namespace fs = std::filesystem;
using testing_support::ErrorOf;
using testing_support::FaultInjector;
using testing_support::kDigestA;
using testing_support::kDigestAbc;
using testing_support::kVersionHeaderLine;
using testing_support::PatternBytes;
using testing_support::ReadFile;
using testing_support::RecordingWindow;
using testing_support::TempDir;
using testing_support::WithoutTimestamp;
using testing_support::WriteFile;
using Lines = std::vector<std::string>;
using Op = RecordingWindow::Op;

std::string DigestOf(const std::string& bytes) {
  HashContext context;
  HashInit(&context, HASH_MD5);
  HashUpdate(&context, bytes.data(), static_cast<uint32_t>(bytes.size()));
  std::string text;
  HashFinal(&context, text);
  return text;
}

void Truncate(const std::string& path, uintmax_t size) {
  fs::resize_file(path, size);
}

void AppendTo(const std::string& path, const std::string& bytes) {
  WriteFile(path, ReadFile(path) + bytes);
}

// The checkfile without its second (timestamp) line.
Lines Tail(const Lines& lines, size_t count) {
  return Lines(lines.end() - static_cast<std::ptrdiff_t>(std::min(count, lines.size())),
               lines.end());
}

TEST(HashFileFaults, AFileThatChangesBetweenTheSizeQueryAndTheReading) {
  TempDir dir;
  const std::string bytes = PatternBytes(10000);
  const std::string vanishes = dir / "vanishes", gone = dir / "gone", shrinks = dir / "shrinks",
                    grows = dir / "grows";
  for (const std::string& path : {vanishes, gone, shrinks, grows})
    WriteFile(path, bytes);
  FaultInjector faults;
  faults.BeforeOpening(gone, 1, [&] { fs::remove(gone); });          // before the size query
  faults.BeforeOpening(vanishes, 2, [&] { fs::remove(vanishes); });  // after it
  faults.BeforeOpening(shrinks, 2, [&] { Truncate(shrinks, 5000); });
  faults.BeforeOpening(grows, 2, [&] { AppendTo(grows, "more bytes"); });

  std::string text = "kept";
  EXPECT_EQ(HashFile(HASH_MD5, gone, text), HASH_OPEN_FAILED);
  EXPECT_EQ(HashFile(HASH_MD5, vanishes, text), HASH_READ_FAILED);
  EXPECT_EQ(HashFile(HASH_MD5, shrinks, text), HASH_READ_FAILED);
  EXPECT_EQ(text, "kept");
  EXPECT_EQ(HashFile(HASH_MD5, grows, text), HASH_OK);
  EXPECT_EQ(text, DigestOf(bytes));  // over the size first found
  EXPECT_EQ(faults.Openings(grows), 2);
}

TEST(HashFileFaults, AReadErrorHalfwayIsAReadFailureAndShortReadsAreNone) {
  TempDir dir;
  const std::string bytes = PatternBytes(10000);
  const std::string bad = dir / "bad sector", slow = dir / "slow";
  WriteFile(bad, bytes);
  WriteFile(slow, bytes);
  FaultInjector faults;
  faults.FailReadingAfter(bad, 4096, testing_support::kReadFault);
  faults.ShortReads(slow, 7);
  std::string text = "kept";
  EXPECT_EQ(HashFile(HASH_MD5, bad, text), HASH_READ_FAILED);
  EXPECT_EQ(text, "kept");
  EXPECT_EQ(HashFile(HASH_MD5, slow, text), HASH_OK);
  EXPECT_EQ(text, DigestOf(bytes));
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
  faults.FailReadingAfter(path, 4096, testing_support::kReadFault);
  EXPECT_EQ(ErrorOf([&] { checkfile::LoadCheckfileLines(path); }), "Stream read error");
}

// a.txt stays, b.txt vanishes after the walk found it, c.txt shrinks after its size was taken,
// d.txt grows then, e.txt fails to read halfway.
struct RacingTree {
  TempDir dir;
  std::string e = PatternBytes(9000);
  RacingTree() {
    WriteFile(dir / "a.txt", "a");
    WriteFile(dir / "b.txt", "b");
    WriteFile(dir / "c.txt", std::string(6000, 'c'));
    WriteFile(dir / "d.txt", "abc");
    WriteFile(dir / "e.txt", e);
  }
  void Race(FaultInjector& faults) {
    faults.BeforeOpening(dir / "b.txt", 1, [this] { fs::remove(dir / "b.txt"); });
    faults.BeforeOpening(dir / "c.txt", 2, [this] { Truncate(dir / "c.txt", 10); });
    faults.BeforeOpening(dir / "d.txt", 2, [this] { AppendTo(dir / "d.txt", "def"); });
    faults.FailReadingAfter(dir / "e.txt", 4096, testing_support::kReadFault);
  }
};

TEST(GenerationFaults, FilesThatVanishShrinkGrowOrFailAreLoggedAndLeftOutOrDigestedAsFound) {
  RacingTree tree;
  FaultInjector faults;
  tree.Race(faults);
  RecordingWindow window;
  window.selectedFolder = tree.dir.path().string();
  checkfile::RunTask(window, checkfile::RunGeneration);

  const std::string checkfilePath = tree.dir / "VRTLY-sums.MD5";
  EXPECT_EQ(window.log,
            (Lines{"File: a.txt", "File: b.txt", "Could not open file", "File: c.txt",
                   "Could not read file", "File: d.txt", "File: e.txt", "Could not read file",
                   "Operation complete.  Check file saved to " + checkfilePath}));
  EXPECT_EQ(WithoutTimestamp(ReadFile(checkfilePath)),
            std::string(kVersionHeaderLine) + kDigestA + "|a.txt\r\n" + kDigestAbc + "|d.txt\r\n");
  const Lines trace = window.Trace();
  const std::string root = tree.dir.path().string();
  // After a, b and c the count is 1; after d and e it is 2.
  EXPECT_EQ(
      std::count(trace.begin(), trace.end(), "status: 1 files processed.\nWorking in " + root), 3);
  EXPECT_EQ(
      std::count(trace.begin(), trace.end(), "status: 2 files processed.\nWorking in " + root), 2);
}

TEST(VerificationFaults, FilesThatVanishShrinkGrowOrFailAreEachReportedAndCounted) {
  RacingTree tree;
  const std::string listing = std::string(kDigestA) + "|a.txt\r\n" + DigestOf("b") + "|b.txt\r\n" +
                              DigestOf(std::string(6000, 'c')) + "|c.txt\r\n" + kDigestAbc +
                              "|d.txt\r\n" + DigestOf(tree.e) + "|e.txt\r\n";
  WriteFile(tree.dir / "c.MD5", listing);
  FaultInjector faults;
  tree.Race(faults);
  RecordingWindow window;
  window.dialogFileName = tree.dir / "c.MD5";
  checkfile::RunTask(window, checkfile::RunVerification);

  EXPECT_EQ(window.log,
            (Lines{"Testing MD5 sums in " + (tree.dir / "c.MD5"), "OK: " + (tree.dir / "a.txt"),
                   "ERROR: Could not open file (" + (tree.dir / "b.txt") + ")",
                   "ERROR: Could not read file (" + (tree.dir / "c.txt") + ")",
                   "OK: " + (tree.dir / "d.txt"),
                   "ERROR: Could not read file (" + (tree.dir / "e.txt") + ")",
                   "Operation complete.", "", "2 files tested.",
                   "3 files could not be tested. Either they could not be opened or "
                   "were not there."}));
}

TEST(GenerationFaults, AShortWriteOfTheCheckfileShowsTheErrorAndKeepsThePreviousOne) {
  TempDir dir;
  WriteFile(dir / "a.txt", "a");
  const std::string path = dir / "VRTLY-sums.MD5";
  WriteFile(path, "; the previous checkfile\r\n");
  FaultInjector faults;
  faults.LimitWriting(dir / checkfile::kTemporaryCheckfileName, 60);  // the entry does not fit
  RecordingWindow window;
  window.selectedFolder = dir.path().string();
  checkfile::RunTask(window, checkfile::RunGeneration);

  EXPECT_EQ(Tail(window.Trace(), 5),
            (Lines{"status: Generating check file...", "status shown", "events", "state: idle",
                   "error box: Stream write error"}));
  EXPECT_EQ(window.log, Lines{"File: a.txt"});
  EXPECT_EQ(window.status, "Generating check file...");
  EXPECT_EQ(ReadFile(path), "; the previous checkfile\r\n");
  EXPECT_FALSE(fs::exists(dir / checkfile::kTemporaryCheckfileName));
}

TEST(GenerationFaults, ACheckfileThatCannotBeCreatedLeavesThePreviousOneUntouched) {
  TempDir dir;
  WriteFile(dir / "a.txt", "a");
  const std::string path = dir / "VRTLY-sums.MD5";
  WriteFile(path, "; the previous checkfile\r\n");
  RecordingWindow window;
  window.selectedFolder = dir.path().string();
  {
    FaultInjector faults;
    faults.FailCreating(path, testing_support::kAccessDenied);
    checkfile::RunTask(window, checkfile::RunGeneration);
  }
  EXPECT_EQ(window.Trace().back(), "error box: Cannot create file \"" + path + "\". " +
                                       platform::SystemErrorText(testing_support::kAccessDenied));
  EXPECT_EQ(window.log, Lines{"File: a.txt"});
  EXPECT_EQ(ReadFile(path), "; the previous checkfile\r\n");

  // The same with the previous checkfile really in use: another reader holds it.
  platform::File reader = platform::File::OpenForRead(path);
  ASSERT_TRUE(reader.IsOpen());
  window.ForgetCalls();
  checkfile::RunTask(window, checkfile::RunGeneration);
  EXPECT_EQ(window.Trace().back().rfind("error box: Cannot create file \"" + path + "\". ", 0), 0u)
      << window.Trace().back();
  reader.Close();
  EXPECT_EQ(ReadFile(path), "; the previous checkfile\r\n");
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
  faults.FailReadingAfter(path, 4096, testing_support::kReadFault);
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
