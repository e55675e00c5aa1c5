#include "checkfile/Generation.h"

#include <charconv>

#include "checkfile/BusyState.h"
#include "checkfile/CheckfileFormat.h"
#include "checkfile/Tasks.h"
#include "checkfile/Timestamp.h"
#include "digest/CryptoAPI.h"
#include "platform/LocalTime.h"
#include "platform/Path.h"

namespace checkfile {

namespace {

constexpr char kAbortedText[] = "OPERATION ABORTED BY USER.";

bool IsSkippedName(const std::string& name) {
  return name == "." || name == ".." || name == kCheckfileName;
}

// One walk: the window, the scan list, and the texts of the log and status lines, whose
// buffers every entry reuses instead of making new ones.
struct Walk {
  Walk(TaskWindow& taskWindow, TMD5NodeArray& list) : window(taskWindow), scanList(list) {}

  TaskWindow& window;
  TMD5NodeArray& scanList;
  std::string line;
  std::string status;

  void Log(const char* prefix, const std::string& text) {
    line.assign(prefix);
    line += text;
    window.AppendLog(line);
  }

  void ShowProgress(const std::string& folder) {
    char count[24];
    const auto end = std::to_chars(count, count + sizeof count, scanList.size()).ptr;
    status.assign(count, end);
    status += " files processed.\nWorking in ";
    status += folder;
    window.SetStatus(status);
  }
};

// Lists the file and digests it; a file that cannot be digested leaves the list as it was.
void AddFile(Walk& walk, std::string path, const std::string& name) {
  TMD5NodeArray& scanList = walk.scanList;
  scanList.push_back({std::move(path), std::string()});
  walk.Log("File: ", name);
  const int32_t code = HashFile(HASH_MD5, scanList.back().FullPath, scanList.back().DigestText);
  if (code == HASH_OK) return;
  walk.window.AppendLog(HashErrorText(code));
  scanList.pop_back();
}

std::optional<platform::DirectorySearch::Failure> WalkFolder(
    Walk& walk, const std::string& folder, const platform::DirectorySearch* parent);

void LogUnwalkedFolder(TaskWindow& window, platform::DirectorySearch::Failure failure) {
  using enum platform::DirectorySearch::Failure;
  switch (failure) {
    case NothingVisible:
      return;
    case CannotList:
      window.AppendLog(kCannotListFolderText);
      return;
    case AlreadyOnWalk:
      window.AppendLog(kLinkLoopText);
      return;
  }
}

void VisitEntry(Walk& walk, const std::string& folder, const platform::DirectorySearch& search) {
  const platform::DirectoryEntry& entry = search.Entry();
  if (IsSkippedName(entry.Name)) return;
  const bool storable = platform::IsStorableName(entry.Name);
  if (entry.IsDirectory) {
    const std::string path = platform::JoinPath(folder, entry.Name);
    walk.Log("Folder: ", path);
    if (storable) {
      if (const auto failure = WalkFolder(walk, path, &search))
        LogUnwalkedFolder(walk.window, *failure);
    } else {
      walk.window.AppendLog(kUnstorableNameText);
    }
  } else if (storable) {
    AddFile(walk, platform::JoinPath(folder, entry.Name), entry.Name);
  } else {
    walk.Log("File: ", entry.Name);
    walk.window.AppendLog(kUnstorableNameText);
  }
}

std::optional<platform::DirectorySearch::Failure> WalkFolder(
    Walk& walk, const std::string& folder, const platform::DirectorySearch* parent) {
  platform::DirectorySearch search(parent);
  if (!search.First(folder)) return search.FirstFailure();
  TaskWindow& window = walk.window;
  do {
    VisitEntry(walk, folder, search);
    walk.ShowProgress(folder);
    window.ProcessPendingEvents();
    if (window.IsAbortRequested()) {
      search.Close();
      walk.scanList.clear();
      window.AppendLog(kAbortedText);
      return std::nullopt;
    }
  } while (search.Next());
  if (search.ListingBroke()) walk.Log(kListingBrokeText, folder);
  return std::nullopt;
}

// Enters the generating state; leaving it, on every way out, returns the window to idle.
BusyState GeneratingState(TaskWindow& window) {
  using enum TaskControl;
  return BusyState(
      window,
      {{ButtonGo, false}, {ButtonScanFolder, false}, {PageControl1, false}, {ButtonAbort, true}},
      {{ButtonGo, true}, {ButtonAbort, false}, {ButtonScanFolder, true}, {PageControl1, true}});
}

}  // namespace

std::optional<platform::DirectorySearch::Failure> ScanFolder(
    TaskWindow& window, const std::string& folder, TMD5NodeArray& scanList,
    const platform::DirectorySearch* parent) {
  Walk walk(window, scanList);
  return WalkFolder(walk, folder, parent);
}

void RunGeneration(TaskWindow& window) {
  window.SetAbortRequested(false);
  BusyState busy = GeneratingState(window);
  std::string folder = window.GetSelectedFolder();
  if (platform::RemoveTrailingSeparator(folder)) window.SetSelectedFolder(folder);
  window.ClearLog();
  TMD5NodeArray scanList;
  if (!folder.empty()) ScanFolder(window, folder, scanList);
  window.SetStatus(std::string());
  if (window.IsAbortRequested()) return;
  if (scanList.empty()) {
    window.ShowMessageBox("No files to work with!");
    return;
  }

  window.SetStatus("Generating check file...");
  window.ProcessPendingEvents();
  // The timestamp is the moment of writing, after the walk.
  const std::string timestamp =
      TimestampText(platform::CurrentLocalTime(), platform::UserDateTimeSettings());
  const std::string path = CheckfilePath(folder);
  WriteCheckfile(path, CheckfileText(window.VersionText(), timestamp, folder, scanList));
  busy.Leave();
  window.SetStatus(window.StatusBanner());
  window.AppendLog("Operation complete.  Check file saved to " + path);
}

}  // namespace checkfile
