// Fuzzes the checkfile reader and the verification with arbitrary checkfile bytes.
//
// Each input is the content of a checkfile that lies in a small fixed tree, made once per
// process in a temporary folder. The reader's line splitting and line rules are checked
// against a plain model of the format; then the verification runs against the recording
// window, its open dialog answering with the checkfile, and must log for every entry line
// exactly the line the model predicts (OK, mismatch or ERROR, in order), nothing for any other
// line, and a summary whose counts are those lines'; it must show no box, set the status once
// per entry and once at the end, and leave the controls idle.
//
// The same checkfile then drives the search for unlisted files and the update of the checkfile,
// each against a model of its own: the search must report exactly the walked files that no
// entry names (so every walked file is either listed or reported), the update must log and
// write exactly what the model predicts for the files the walk finds (kept unread, digested,
// added, changed, kept after a failure) and remove exactly the entries it does not find (so no
// entry is both kept and removed). The checkfile's time decides, by the input's length, whether
// the files count as unchanged since it was written or not.
//
// The tree and the fault hooks that keep every file access inside it are in fuzz/FuzzTree.h;
// the checks of the search and the update in fuzz/UpdateChecks.cpp.
//
// Each input is also digested by the multi-lane MD5 engine beside the scalar one
// (fuzz/LaneDigests.cpp).
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "checkfile/CheckfileFormat.h"
#include "checkfile/Tasks.h"
#include "fuzz/FormatModel.h"
#include "fuzz/FuzzTree.h"
#include "fuzz/LaneDigests.h"
#include "fuzz/UpdateChecks.h"
#include "platform/FaultHooks.h"
#include "platform/FileTime.h"
#include "platform/Path.h"
#include "tests/support/RecordingWindow.h"

namespace {

using namespace fuzz_checks;
using testing_support::RecordingWindow;

void CheckReader(std::string_view bytes, const Lines& lines) {
  const Lines split = checkfile::SplitLines(bytes);
  if (split != lines) Fail("SplitLines differs from the model", lines, split);
  for (const std::string& line : lines) {
    const auto entry = checkfile::ParseEntryLine(line);
    const auto model = ModelEntryOf(line);
    if (entry.has_value() != model.has_value() ||
        (entry && (entry->DigestText != model->digest || entry->RelativePath != model->path)))
      Fail("ParseEntryLine differs from the model", {line}, {entry ? "entry" : "no entry"});
  }
}

struct Expected {
  Lines log;
  Lines statuses;
};

Expected ModelVerification(Tree& tree, const Lines& lines, const std::string& banner) {
  Expected expected;
  expected.log.push_back("Testing MD5 sums in " + tree.Checkfile());
  size_t tested = 0, notTested = 0, mismatched = 0;
  for (const std::string& line : lines) {
    const auto entry = ModelEntryOf(line);
    if (!entry) continue;
    const std::string path = tree.BaseFolder() + platform::FromStoredPath(entry->path);
    expected.statuses.push_back("Files tested: " + std::to_string(tested) + "; Testing: " + path);
    const KnownFile* file = tree.Find(path);
    if (file == nullptr || file->failsReading) {
      ++notTested;
      expected.log.push_back(std::string("ERROR: ") +
                             (file == nullptr ? "Could not open file" : "Could not read file") +
                             " (" + path + ")");
    } else {
      ++tested;
      if (entry->digest == file->digest) {
        expected.log.push_back("OK: " + path);
      } else {
        ++mismatched;
        expected.log.push_back("ERROR: MD5 sum does not match for " + path +
                               ". Expected: " + entry->digest + " Calculated: " + file->digest);
      }
    }
  }
  expected.log.push_back("Operation complete.");
  expected.log.push_back("");
  expected.log.push_back(tested == 0 ? "No files were tested."
                                     : std::to_string(tested) + " files tested.");
  if (notTested > 0)
    expected.log.push_back(std::to_string(notTested) +
                           " files could not be tested. Either they could not be opened or "
                           "were not there.");
  if (mismatched > 0)
    expected.log.push_back(std::to_string(mismatched) +
                           " files MD5 sums did not match! Either these files were damaged or "
                           "they were modified.");
  if (tested > 0 && notTested == 0 && mismatched == 0)
    expected.log.push_back("EVERY FILE APPEARS OK!");
  expected.statuses.push_back(banner);
  return expected;
}

void CheckVerification(Tree& tree, JailHooks& hooks, const Lines& lines, size_t size) {
  RecordingWindow window;
  window.dialogFileName = tree.Checkfile();
  // 64 to 1024 bytes a read, taken from the input so that a crash replays the same way.
  hooks.ExpectLoad(64 + static_cast<uint32_t>(size % 961));
  checkfile::RunTask(window, checkfile::RunVerification);

  const Expected expected = ModelVerification(tree, lines, window.banner);
  if (window.log != expected.log) Fail("the log differs from the model", expected.log, window.log);
  Lines statuses;
  for (const RecordingWindow::Call& call : window.Calls()) {
    if (call.op == RecordingWindow::Op::SetStatus) statuses.push_back(call.text);
  }
  if (statuses != expected.statuses)
    Fail("the status lines differ from the model", expected.statuses, statuses);
  const size_t entries = expected.statuses.size() - 1;
  using Op = RecordingWindow::Op;
  if (window.Count(Op::ProcessPendingEvents) != entries || window.Count(Op::ShowErrorBox) != 0 ||
      window.Count(Op::ShowMessageBox) != 0)
    Fail("events or boxes differ", {}, window.Trace());
  if (window.state != checkfile::TaskState::Idle)
    Fail("the window was not left idle", {}, window.Trace());
}

Tree* tree = nullptr;
JailHooks* hooks = nullptr;
platform::FileTime treeMade;

void RemoveTree() {
  platform::InstallFaultHooks(nullptr);
  delete hooks;
  delete tree;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  tree = new Tree;
  // The files' last change, or just after it.
  treeMade = platform::CurrentFileTime();
  hooks = new JailHooks(*tree);
  platform::InstallFaultHooks(hooks);
  atexit(RemoveTree);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const Lines lines = ModelLines(bytes);
  CheckReader(bytes, lines);
  tree->WriteCheckfile(data, size);
  CheckVerification(*tree, *hooks, lines, size);
  CheckUnlistedSearch(*tree, *hooks, lines, size);
  CheckUpdate(*tree, *hooks, lines, size, treeMade);
  fuzz_checks::CheckLaneDigests(data, size);
  return 0;
}
