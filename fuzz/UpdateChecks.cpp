#include "fuzz/UpdateChecks.h"

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "checkfile/Tasks.h"
#include "checkfile/Unlisted.h"
#include "checkfile/Update.h"
#include "fuzz/FormatModel.h"
#include "tests/support/RecordingWindow.h"

namespace fuzz_checks {

namespace {

using testing_support::RecordingWindow;

// What the walk of the tree meets, in its order (names compared after upper-casing, as Windows'
// file systems order them): relative paths, folders ending in "/".
const Lines& WalkOrder() {
  static const Lines order = {"a.txt",     "empty folder/", "empty.txt",   "flaky.bin",
                              "sub/",      "sub/abc.txt",   "sub/deeper/", "sub/deeper/big.bin",
                              "UPPER.TXT", "with blanks  "};
  return order;
}

bool IsFolder(const std::string& relative) {
  return relative.back() == '/';
}

std::string NameOf(const std::string& relative) {
  return relative.substr(relative.rfind('/') + 1);
}

// The files the checkfile lists, each once, in the order of its first entry, by the full name
// the verification opens: an entry names a walked file when that name is the walk's path.
struct ModelListed {
  std::vector<std::string> paths;
  std::map<std::string, size_t> index;
  std::vector<std::string> digests;  // the first entry's
  std::vector<bool> trusted;         // every entry agrees, and in lowercase hexadecimal
};

bool LowercaseHex(const std::string& digest) {
  return digest.find_first_not_of("0123456789abcdef") == std::string::npos;
}

ModelListed ModelListedFiles(Tree& tree, const Lines& lines) {
  ModelListed listed;
  for (const std::string& line : lines) {
    const auto entry = ModelEntryOf(line);
    if (!entry) continue;
    const std::string path = tree.BaseFolder() + platform::FromStoredPath(entry->path);
    const auto [found, isNew] = listed.index.emplace(path, listed.paths.size());
    if (!isNew) {
      if (listed.digests[found->second] != entry->digest) listed.trusted[found->second] = false;
      continue;
    }
    listed.paths.push_back(path);
    listed.digests.push_back(entry->digest);
    listed.trusted.push_back(LowercaseHex(entry->digest));
  }
  return listed;
}

size_t Find(const ModelListed& listed, const std::string& path) {
  const auto found = listed.index.find(path);
  return found == listed.index.end() ? ~size_t{0} : found->second;
}

void CheckIdleWithoutBoxes(const RecordingWindow& window, const char* task) {
  using Op = RecordingWindow::Op;
  if (window.Count(Op::ShowErrorBox) != 0 || window.Count(Op::ShowMessageBox) != 0 ||
      window.state != checkfile::TaskState::Idle)
    Fail(task, {"idle, no box"}, window.Trace());
}

struct ModelUpdate {
  Lines log;
  Lines entries;
  Lines kept;     // the paths of the entries written
  Lines removed;  // the paths logged as removed
};

// The update as its rules say, for a checkfile whose time lies far after every file's last
// change (unchanged) or far before it.
ModelUpdate ModelUpdateOf(Tree& tree, const ModelListed& listed, bool unchanged) {
  ModelUpdate model;
  checkfile::UpdateCounts counts;
  std::vector<bool> found(listed.paths.size(), false);
  for (const std::string& relative : WalkOrder()) {
    const std::string path = tree.Top() + "/" + relative;
    if (IsFolder(relative)) {
      model.log.push_back("Folder: " + path.substr(0, path.size() - 1));
      continue;
    }
    model.log.push_back("File: " + NameOf(relative));
    const size_t index = Find(listed, path);
    const bool isListed = index != ~size_t{0};
    if (isListed) found[index] = true;
    std::string digest;
    if (isListed && listed.trusted[index] && unchanged) {
      digest = listed.digests[index];
      ++counts.Unchanged;
    } else if (const KnownFile* file = tree.Known(relative); file->failsReading) {
      model.log.push_back("Could not read file");
      if (!isListed) continue;
      digest = listed.digests[index];
    } else if (digest = file->digest; !isListed) {
      ++counts.Added;
      model.log.push_back(checkfile::kAddedPrefix + path);
    } else if (digest != listed.digests[index]) {
      ++counts.Changed;
      model.log.push_back(checkfile::kChangedPrefix + path);
    } else {
      ++counts.Unchanged;
    }
    model.entries.push_back(digest + "|" + platform::ToStoredPath(relative));
    model.kept.push_back(path);
  }
  for (size_t index = 0; index < listed.paths.size(); ++index) {
    if (found[index]) continue;
    ++counts.Removed;
    model.removed.push_back(listed.paths[index]);
    model.log.push_back(checkfile::kRemovedPrefix + listed.paths[index]);
  }
  model.log.push_back("Operation complete.  Check file saved to " + tree.Checkfile());
  model.log.push_back(checkfile::CountsLine(counts));
  return model;
}

// The model's own invariant, whatever the update logs: an entry is kept or removed, never both.
void CheckKeptOrRemoved(const ModelListed& listed, const ModelUpdate& model) {
  for (const std::string& path : listed.paths) {
    const bool kept = std::find(model.kept.begin(), model.kept.end(), path) != model.kept.end();
    const bool removed =
        std::find(model.removed.begin(), model.removed.end(), path) != model.removed.end();
    if (kept == removed) Fail("an entry is not kept or removed exactly once", {path}, {});
  }
}

}  // namespace

void CheckUnlistedSearch(Tree& tree, JailHooks& hooks, const Lines& lines, size_t size) {
  RecordingWindow window;
  hooks.ExpectLoad(64 + static_cast<uint32_t>(size % 961));
  const std::string error =
      testing_support::ErrorOf([&] { checkfile::RunUnlistedSearch(window, tree.Checkfile()); });
  if (error != "no error") Fail("the search for unlisted files failed", {}, {error});
  const ModelListed listed = ModelListedFiles(tree, lines);
  Lines expected;
  for (const std::string& relative : WalkOrder()) {
    const std::string path = tree.Top() + "/" + relative;
    if (!IsFolder(relative) && Find(listed, path) == ~size_t{0})
      expected.push_back(checkfile::kNotListedPrefix + path);
  }
  expected.push_back(expected.empty()
                         ? std::string(checkfile::kEveryFileListedText)
                         : std::to_string(expected.size()) + checkfile::kFilesNotListedText);
  if (window.log != expected)
    Fail("the unlisted files differ from the model", expected, window.log);
  CheckIdleWithoutBoxes(window, "the search for unlisted files");
}

void CheckUpdate(Tree& tree, JailHooks& hooks, const Lines& lines, size_t size,
                 platform::FileTime created) {
  // An hour after the files were made, or an hour before.
  const bool unchanged = size % 2 == 0;
  const int64_t hour = 3600 * platform::kFileTimeTicksPerSecond;
  if (!platform::SetModificationTime(tree.Checkfile(),
                                     {created.Ticks + (unchanged ? hour : -hour)}))
    abort();
  RecordingWindow window;
  window.selectedFolder = tree.Top();
  hooks.ExpectLoad(64 + static_cast<uint32_t>(size % 961));
  checkfile::DigestOnRequest digests;
  checkfile::RunTask(window, checkfile::RunUpdate, digests);

  const ModelListed listed = ModelListedFiles(tree, lines);
  const ModelUpdate model = ModelUpdateOf(tree, listed, unchanged);
  CheckKeptOrRemoved(listed, model);
  if (window.log != model.log)
    Fail("the update's log differs from the model", model.log, window.log);
  Lines written;
  for (const std::string& line : checkfile::SplitLines(tree.ReadCheckfile()))
    if (line.empty() || line[0] != ';') written.push_back(line);
  if (written != model.entries)
    Fail("the updated checkfile differs from the model", model.entries, written);
  CheckIdleWithoutBoxes(window, "the update");
}

}  // namespace fuzz_checks
