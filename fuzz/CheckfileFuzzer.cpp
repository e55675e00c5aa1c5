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
// The fault hooks keep every file access inside the tree (a fuzzed path can name anything, and
// "../../proc/kcore" would be read for ever) and make the reads of one file fail halfway, so
// that "Could not read file" is reached as well as "Could not open file". They let the tasks
// list the tree's folders and write into its top folder only.
//
// Each input is also digested by the multi-lane MD5 engine beside the scalar one
// (fuzz/LaneDigests.cpp).
#include <limits.h>
#include <stdlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "checkfile/CheckfileFormat.h"
#include "checkfile/Tasks.h"
#include "checkfile/Unlisted.h"
#include "checkfile/Update.h"
#include "digest/CryptoAPI.h"
#include "fuzz/LaneDigests.h"
#include "platform/FaultHooks.h"
#include "platform/FileTime.h"
#include "platform/Path.h"
#include "tests/support/RecordingWindow.h"

using namespace digest;

namespace {

namespace fs = std::filesystem;
using testing_support::RecordingWindow;
using Lines = std::vector<std::string>;

constexpr uint32_t kFlakyReadable = 4096;  // the flaky file's reads fail after this many bytes

std::string DigestOf(const std::string& bytes) {
  HashContext context;
  HashInit(&context, HASH_MD5);
  HashUpdate(&context, bytes.data(), static_cast<uint32_t>(bytes.size()));
  std::string text;
  HashFinal(&context, text);
  return text;
}

std::string Pattern(size_t count, uint32_t seed) {
  std::string bytes(count, '\0');
  for (char& byte : bytes) {
    seed = seed * 1103515245u + 12345u;
    byte = static_cast<char>(seed >> 24);
  }
  return bytes;
}

struct KnownFile {
  std::string bytes;
  std::string digest;
  bool failsReading = false;
};

// The fixed tree, and what a file access anywhere meets in it.
class Tree {
 public:
  Tree() {
    const char* base = getenv("TMPDIR");
    char pattern[PATH_MAX];
    snprintf(pattern, sizeof pattern, "%s/vrtly-fuzz-XXXXXX", base != nullptr ? base : "/tmp");
    if (mkdtemp(pattern) == nullptr) abort();
    char real[PATH_MAX];
    if (realpath(pattern, real) == nullptr) abort();
    top_ = real;
    Add("a.txt", "a");
    Add("empty.txt", "");
    Add("UPPER.TXT", "A");
    Add("with blanks  ", "x");
    Add("sub/abc.txt", "abc");
    Add("sub/deeper/big.bin", Pattern(5000, 1));
    Add("flaky.bin", Pattern(9000, 2), true);
    fs::create_directory(top_ + "/empty folder");
    checkfile_ = top_ + "/" + checkfile::kCheckfileName;
  }
  ~Tree() {
    std::error_code ignored;
    fs::remove_all(top_, ignored);
  }
  Tree(const Tree&) = delete;
  Tree& operator=(const Tree&) = delete;

  const std::string& Top() const { return top_; }
  const std::string& Checkfile() const { return checkfile_; }
  // Whether path is the tree's top folder or lies below it (text only: the walk gives full
  // names without "." or ".." components).
  bool Holds(const std::string& path) const {
    return path == top_ || path.compare(0, top_.size() + 1, top_ + "/") == 0;
  }
  // Whether path is an entry of the top folder itself, where the tasks write the checkfile.
  bool InTopFolder(const std::string& path) const {
    return Holds(path) && path != top_ && path.find('/', top_.size() + 1) == std::string::npos;
  }
  const KnownFile* Known(const std::string& relative) const {
    const auto file = files_.find(top_ + "/" + relative);
    return file == files_.end() ? nullptr : &file->second;
  }
  std::string BaseFolder() const { return platform::FolderPartOf(checkfile_); }

  // The file of the tree that path names, through links, "." and ".." and all; none for
  // anything else (a folder, a missing name, anything outside the tree, the checkfile itself).
  const KnownFile* Find(const std::string& path) {
    auto cached = resolved_.find(path);
    if (cached == resolved_.end()) {
      if (resolved_.size() > 10000) resolved_.clear();  // fuzzed paths run up to 10000 bytes
      char real[PATH_MAX];
      cached = resolved_.emplace(path, realpath(path.c_str(), real) ? real : "").first;
    }
    const auto file = files_.find(cached->second);
    return file == files_.end() ? nullptr : &file->second;
  }
  bool IsCheckfile(const std::string& path) {
    char real[PATH_MAX];
    return realpath(path.c_str(), real) != nullptr && checkfile_ == real;
  }
  bool IsFlaky(const std::string& path) {
    const KnownFile* file = Find(path);
    return file != nullptr && file->failsReading;
  }

  std::string ReadCheckfile() const {
    std::string bytes;
    FILE* in = fopen(checkfile_.c_str(), "rb");
    if (in == nullptr) abort();
    char buffer[4096];
    for (size_t got; (got = fread(buffer, 1, sizeof buffer, in)) > 0;)
      bytes.append(buffer, got);
    fclose(in);
    return bytes;
  }

  void WriteCheckfile(const uint8_t* data, size_t size) {
    FILE* out = fopen(checkfile_.c_str(), "wb");
    if (out == nullptr || fwrite(data, 1, size, out) != size || fclose(out) != 0) abort();
  }

 private:
  void Add(const std::string& name, const std::string& bytes, bool failsReading = false) {
    const fs::path path = fs::path(top_) / name;
    fs::create_directories(path.parent_path());
    FILE* out = fopen(path.c_str(), "wb");
    if (out == nullptr || fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() ||
        fclose(out) != 0)
      abort();
    files_[path.string()] = {bytes, DigestOf(bytes), failsReading};
  }

  std::string top_;
  std::string checkfile_;
  std::map<std::string, KnownFile> files_;
  std::unordered_map<std::string, std::string> resolved_;
};

// Lets the verification open the checkfile once (its load) and the files of the tree; fails
// every other opening as a missing file would, and the flaky file's reads halfway. The
// checkfile is read in short pieces, so that its lines are put together across reads.
class JailHooks : public platform::FaultHooks {
 public:
  explicit JailHooks(Tree& tree) : tree_(tree) {}
  void ExpectLoad(uint32_t readChunk) {
    loadPending_ = true;
    checkfileChunk_ = readChunk;
  }

  uint32_t OpenForRead(const std::string& path) override {
    if (loadPending_ && tree_.IsCheckfile(path)) {
      loadPending_ = false;
      loading_ = true;
      return 0;
    }
    return tree_.Find(path) != nullptr ? 0 : ENOENT;
  }
  uint32_t CreateForWrite(const std::string& path) override {
    return tree_.InTopFolder(path) ? 0 : EACCES;
  }
  uint32_t ListFolder(const std::string& folder) override {
    return tree_.Holds(folder) ? 0 : EACCES;
  }
  uint32_t ListNext(const std::string& folder, size_t) override {
    return tree_.Holds(folder) ? 0 : EACCES;
  }
  uint32_t Read(intptr_t file, uint32_t& count) override {
    if (file == checkfileHandle_) count = std::min(count, checkfileChunk_);
    const auto flaky = flakyRead_.find(file);
    if (flaky == flakyRead_.end()) return 0;
    if (flaky->second >= kFlakyReadable) return EIO;
    count = std::min(count, kFlakyReadable - flaky->second);
    flaky->second += count;
    return 0;
  }
  uint32_t Write(intptr_t file, uint32_t&) override {
    return openInTop_.count(file) != 0 ? 0 : EACCES;
  }
  uint32_t Flush(intptr_t file) override { return openInTop_.count(file) != 0 ? 0 : EACCES; }
  uint32_t Replace(const std::string& from, const std::string& to) override {
    return tree_.InTopFolder(from) && tree_.InTopFolder(to) ? 0 : EACCES;
  }
  void Opened(intptr_t file, const std::string& path) override {
    if (tree_.InTopFolder(path)) openInTop_.insert(file);
    if (loading_) {
      loading_ = false;
      checkfileHandle_ = file;
    } else if (tree_.IsFlaky(path)) {
      flakyRead_[file] = 0;
    }
  }
  void Closing(intptr_t file) override {
    if (file == checkfileHandle_) checkfileHandle_ = -1;
    flakyRead_.erase(file);
    openInTop_.erase(file);
  }

 private:
  Tree& tree_;
  bool loadPending_ = false;
  bool loading_ = false;
  intptr_t checkfileHandle_ = -1;
  uint32_t checkfileChunk_ = 0;
  std::map<intptr_t, uint32_t> flakyRead_;
  std::set<intptr_t> openInTop_;
};

// The format's line breaks said another way: CR LF is one break, then every CR or LF left is
// one; nothing after a zero byte counts; a break at the very end ends the last line.
Lines ModelLines(std::string_view bytes) {
  std::string text(bytes.substr(0, bytes.find('\0')));
  std::string unified;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;  // the LF ends it
    unified += text[i] == '\r' ? '\n' : text[i];
  }
  Lines lines;
  size_t start = 0;
  while (start < unified.size()) {
    const size_t end = unified.find('\n', start);
    if (end == std::string::npos) {
      lines.push_back(unified.substr(start));
      break;
    }
    lines.push_back(unified.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

struct ModelEntry {
  std::string digest;
  std::string path;
};

std::optional<ModelEntry> ModelEntryOf(const std::string& line) {
  if (line.empty() || line[0] == ';' || line.size() < 34 || line[32] != '|') return std::nullopt;
  return ModelEntry{line.substr(0, 32), line.substr(33, 10000)};
}

[[noreturn]] void Fail(const char* what, const Lines& expected, const Lines& actual) {
  fprintf(stderr, "checkfile_fuzzer: %s\n--- expected (%zu lines)\n", what, expected.size());
  for (const std::string& line : expected)
    fprintf(stderr, "  [%s]\n", line.c_str());
  fprintf(stderr, "--- actual (%zu lines)\n", actual.size());
  for (const std::string& line : actual)
    fprintf(stderr, "  [%s]\n", line.c_str());
  abort();
}

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

// --- The search for unlisted files and the update, against models of their own. ---

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

// Every walked file is either listed or reported, in walk order, and nothing else is.
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
