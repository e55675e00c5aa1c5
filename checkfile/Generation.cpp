#include "checkfile/Generation.h"

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

std::string ProgressText(size_t filesProcessed, const std::string& folder) {
  return std::to_string(filesProcessed) + " files processed.\nWorking in " + folder;
}

// Lists the file and digests it; a file that cannot be digested leaves the list as it was.
void AddFile(TaskWindow& window, const std::string& path, const std::string& name,
             TMD5NodeArray& scanList) {
  scanList.push_back({path, std::string()});
  window.AppendLog("File: " + name);
  const int32_t code = HashFile(HASH_MD5, scanList.back().FullPath, scanList.back().DigestText);
  if (code == HASH_OK) return;
  window.AppendLog(HashErrorText(code));
  scanList.pop_back();
}

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

void VisitEntry(TaskWindow& window, const std::string& folder,
                const platform::DirectorySearch& search, TMD5NodeArray& scanList) {
  const platform::DirectoryEntry& entry = search.Entry();
  if (IsSkippedName(entry.Name)) return;
  const std::string path = platform::JoinPath(folder, entry.Name);
  const bool storable = platform::IsStorableName(entry.Name);
  if (entry.IsDirectory) {
    window.AppendLog("Folder: " + path);
    if (storable) {
      if (const auto failure = ScanFolder(window, path, scanList, &search))
        LogUnwalkedFolder(window, *failure);
    } else {
      window.AppendLog(kUnstorableNameText);
    }
  } else if (storable) {
    AddFile(window, path, entry.Name, scanList);
  } else {
    window.AppendLog("File: " + entry.Name);
    window.AppendLog(kUnstorableNameText);
  }
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
  platform::DirectorySearch search(parent);
  if (!search.First(folder)) return search.FirstFailure();
  do {
    VisitEntry(window, folder, search, scanList);
    window.SetStatus(ProgressText(scanList.size(), folder));
    window.ProcessPendingEvents();
    if (window.IsAbortRequested()) {
      search.Close();
      scanList.clear();
      window.AppendLog(kAbortedText);
      return std::nullopt;
    }
  } while (search.Next());
  if (search.ListingBroke()) window.AppendLog(kListingBrokeText + folder);
  return std::nullopt;
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
