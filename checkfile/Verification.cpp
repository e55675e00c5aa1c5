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

// Tests one listed file and logs the result.
void TestEntry(TaskWindow& window, const CheckfileEntry& entry, const std::string& path,
               Counters& counters) {
  std::string computed;
  const int32_t code = HashFile(HASH_MD5, path, computed);
  if (code != HASH_OK) {
    ++counters.notTested;
    window.AppendLog("ERROR: " + HashErrorText(code) + " (" + path + ")");
    return;
  }
  ++counters.tested;
  if (computed != entry.DigestText) {
    ++counters.mismatched;
    window.AppendLog("ERROR: MD5 sum does not match for " + path +
                     ". Expected: " + entry.DigestText + " Calculated: " + computed);
  } else {
    window.AppendLog("OK: " + path);
  }
}

// Tests every entry line in order, until the user stops it.
void TestEntries(TaskWindow& window, const std::vector<std::string>& lines,
                 const std::string& baseFolder, Counters& counters) {
  for (const std::string& line : lines) {
    const std::optional<CheckfileEntry> entry = ParseEntryLine(line);
    if (!entry) continue;  // a skipped line costs nothing: no status, no events, no abort test
    const std::string path = baseFolder + platform::FromStoredPath(entry->RelativePath);
    window.SetStatus("Files tested: " + std::to_string(counters.tested) + "; Testing: " + path);
    window.ProcessPendingEvents();
    if (window.IsAbortRequested()) {
      window.AppendLog("OPERATION ABORTED BY USER.");
      return;
    }
    TestEntry(window, *entry, path, counters);
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

// Enters the verifying state; leaving it, on every way out, returns the window to idle.
BusyState VerifyingState(TaskWindow& window) {
  using enum TaskControl;
  return BusyState(window,
                   {{PageControl1, false}, {ButtonFindCheckFile, false}, {ButtonAbort, true}},
                   {{PageControl1, true}, {ButtonFindCheckFile, true}, {ButtonAbort, false}});
}

}  // namespace

void RunVerification(TaskWindow& window) {
  std::string chosen;
  if (!window.RunOpenDialog(window.GetSelectedFolder(), chosen)) return;
  Counters counters;
  window.SetAbortRequested(false);
  BusyState busy = VerifyingState(window);
  const std::vector<std::string> lines = LoadCheckfileLines(chosen);
  window.ClearLog();
  window.AppendLog("Testing MD5 sums in " + chosen);
  const std::string baseFolder = platform::FolderPartOf(chosen);
  TestEntries(window, lines, baseFolder, counters);
  if (!window.IsAbortRequested()) AppendSummary(window, counters);
  window.SetStatus(window.StatusBanner());
}

}  // namespace checkfile
