#include <charconv>
#include <vector>

#include "checkfile/BusyState.h"
#include "checkfile/CheckfileFormat.h"
#include "checkfile/Tasks.h"
#include "digest/CryptoAPI.h"
#include "platform/Path.h"

namespace checkfile {

namespace {

struct Counters {
  size_t tested = 0;
  size_t notTested = 0;   // the digest could not be computed
  size_t mismatched = 0;  // a part of tested
};

// One verification: the window, the counts, and the texts of each entry, whose buffers every
// entry reuses instead of making new ones.
struct Check {
  Check(TaskWindow& taskWindow, const std::string& folder, DigestSource& source)
      : window(taskWindow), baseFolder(folder), digests(source) {}

  TaskWindow& window;
  const std::string& baseFolder;
  DigestSource& digests;
  Counters counters;
  CheckfileEntry entry;
  std::string path;
  std::string computed;
  std::string line;

  // The listed file's full name: the checkfile's folder and the relative path.
  void TakePath() { path = ListedPath(baseFolder, std::move(entry.RelativePath)); }

  void ShowProgress() {
    char count[24];
    const auto end = std::to_chars(count, count + sizeof count, counters.tested).ptr;
    line.assign("Files tested: ");
    line.append(count, end);
    line += "; Testing: ";
    line += path;
    window.SetStatus(line);
  }

  void Log(const char* prefix, const std::string& text) {
    line.assign(prefix);
    line += text;
    window.AppendLog(line);
  }

  // Tests the listed file and logs the result.
  void TestEntry() {
    const int32_t code = digests.Digest(path, computed);
    if (code != digest::HASH_OK) {
      ++counters.notTested;
      window.AppendLog("ERROR: " + digest::HashErrorText(code) + " (" + path + ")");
      return;
    }
    ++counters.tested;
    if (computed != entry.DigestText) {
      ++counters.mismatched;
      window.AppendLog("ERROR: MD5 sum does not match for " + path +
                       ". Expected: " + entry.DigestText + " Calculated: " + computed);
    } else {
      Log("OK: ", path);
    }
  }
};

// The full names of the files the entry lines list, in order, for a source that reads ahead.
std::vector<std::string> ListedPaths(const std::vector<std::string>& lines,
                                     const std::string& baseFolder) {
  std::vector<std::string> paths;
  CheckfileEntry entry;
  for (const std::string& line : lines) {
    if (ParseEntryLine(line, entry)) paths.push_back(ListedPath(baseFolder, entry.RelativePath));
  }
  return paths;
}

// Tests every entry line in order, until the user stops it.
void TestEntries(Check& check, const std::vector<std::string>& lines) {
  TaskWindow& window = check.window;
  for (const std::string& line : lines) {
    // A skipped line costs nothing: no status, no events, no abort test.
    if (!ParseEntryLine(line, check.entry)) continue;
    check.TakePath();
    check.ShowProgress();
    window.ProcessPendingEvents();
    if (window.IsAbortRequested()) {
      window.AppendLog("OPERATION ABORTED BY USER.");
      return;
    }
    check.TestEntry();
  }
}

void AppendSummary(TaskWindow& window, const Counters& counters) {
  window.AppendLog("Operation complete.");
  window.AppendLog(std::string());
  if (counters.tested == 0) {
    window.AppendLog("No files were tested.");
  } else {
    window.AppendLog(std::to_string(counters.tested) + " files tested.");
  }
  if (counters.notTested > 0) {
    window.AppendLog(std::to_string(counters.notTested) +
                     " files could not be tested. Either they could not be opened or were not "
                     "there.");
  }
  if (counters.mismatched > 0) {
    window.AppendLog(std::to_string(counters.mismatched) +
                     " files MD5 sums did not match! Either these files were damaged or they "
                     "were modified.");
  }
  if (counters.mismatched == 0 && counters.notTested == 0 && counters.tested > 0)
    window.AppendLog("EVERY FILE APPEARS OK!");
}

}  // namespace

void RunVerification(TaskWindow& window) {
  DigestOnRequest digests;
  RunVerification(window, digests);
}

void RunVerification(TaskWindow& window, DigestSource& digests) {
  std::string chosen;
  if (!window.RunOpenDialog(window.GetSelectedFolder(), chosen)) return;
  window.SetAbortRequested(false);
  BusyState busy(window, TaskState::Verifying);
  const std::vector<std::string> lines = LoadCheckfileLines(chosen);
  window.ClearLog();
  window.AppendLog("Testing MD5 sums in " + chosen);
  const std::string baseFolder = platform::FolderPartOf(chosen);
  digests.ExpectFiles(ListedPaths(lines, baseFolder));
  Check check(window, baseFolder, digests);
  TestEntries(check, lines);
  if (!window.IsAbortRequested()) AppendSummary(window, check.counters);
  window.SetStatus(window.StatusBanner());
}

}  // namespace checkfile
