#include "checkfile/Generation.h"

#include <charconv>

#include "checkfile/BusyState.h"
#include "checkfile/CheckfileFormat.h"
#include "checkfile/FolderWalk.h"
#include "checkfile/Tasks.h"
#include "checkfile/Timestamp.h"
#include "digest/CryptoAPI.h"
#include "platform/FileTime.h"
#include "platform/LocalTime.h"
#include "platform/Path.h"

namespace checkfile {

namespace {

constexpr char kAbortedText[] = "OPERATION ABORTED BY USER.";

// The generation's walk: logs what it meets, digests every file into the scan list, and after
// every entry shows the count, lets the window's events through and tests the abort flag. The
// texts of the log and status lines reuse their buffers from entry to entry.
class ScanVisitor final : public WalkVisitor {
 public:
  ScanVisitor(TaskWindow& window, TMD5NodeArray& scanList, DigestSource& digests)
      : window_(window), scanList_(scanList), digests_(digests) {}

  void FolderFound(const std::string& path) override { Log("Folder: ", path); }

  void FolderNotWalked(platform::DirectorySearch::Failure failure) override {
    window_.AppendLog(failure == platform::DirectorySearch::Failure::AlreadyOnWalk
                          ? kLinkLoopText
                          : kCannotListFolderText);
  }

  // Lists the file and digests it; a file that cannot be digested leaves the list as it was.
  void FileFound(const std::string& path, const std::string& name) override {
    scanList_.push_back({path, std::string()});
    Log("File: ", name);
    const int32_t code = digests_.Digest(path, scanList_.back().DigestText);
    if (code == digest::HASH_OK) return;
    window_.AppendLog(digest::HashErrorText(code));
    scanList_.pop_back();
  }

  void NameNotStorable(const std::string&, const std::string& name, bool isFolder) override {
    if (!isFolder) Log("File: ", name);
    window_.AppendLog(kUnstorableNameText);
  }

  void ListingBroke(const std::string& folder) override { Log(kListingBrokeText, folder); }

  bool AfterEntry(const std::string& folder) override {
    ShowProgress(folder);
    window_.ProcessPendingEvents();
    return !window_.IsAbortRequested();
  }

  // Each level that stops empties the list and says so, up to the selected folder.
  void Stopped(const std::string&) override {
    scanList_.clear();
    window_.AppendLog(kAbortedText);
  }

 private:
  void Log(const char* prefix, const std::string& text) {
    line_.assign(prefix);
    line_ += text;
    window_.AppendLog(line_);
  }

  void ShowProgress(const std::string& folder) {
    char count[24];
    const auto end = std::to_chars(count, count + sizeof count, scanList_.size()).ptr;
    status_.assign(count, end);
    status_ += " files processed.\nWorking in ";
    status_ += folder;
    window_.SetStatus(status_);
  }

  TaskWindow& window_;
  TMD5NodeArray& scanList_;
  DigestSource& digests_;
  std::string line_;
  std::string status_;
};

}  // namespace

std::optional<platform::DirectorySearch::Failure> ScanFolder(TaskWindow& window,
                                                             const std::string& folder,
                                                             TMD5NodeArray& scanList,
                                                             DigestSource& digests) {
  ScanVisitor visitor(window, scanList, digests);
  return WalkFolder(visitor, folder);
}

void RunGeneration(TaskWindow& window) {
  DigestOnRequest digests;
  RunGeneration(window, digests);
}

void RunGeneration(TaskWindow& window, DigestSource& digests) {
  window.SetAbortRequested(false);
  BusyState busy(window, TaskState::Generating);
  std::string folder = window.GetSelectedFolder();
  if (platform::RemoveTrailingSeparator(folder)) window.SetSelectedFolder(folder);
  window.ClearLog();
  TMD5NodeArray scanList;
  // The checkfile carries the moment its walk began, so that an update reads again every file
  // that changed while the walk ran.
  const platform::FileTime walkStart = platform::CurrentFileTime();
  if (!folder.empty()) {
    digests.ExpectWalk(folder);
    ScanFolder(window, folder, scanList, digests);
  }
  window.SetStatus(std::string());
  if (window.IsAbortRequested()) return;
  if (scanList.empty()) {
    window.ShowMessageBox("No files to work with!");
    return;
  }

  window.SetStatus("Generating check file...");
  window.ShowStatusNow();  // writing may take a while on a slow medium
  window.ProcessPendingEvents();
  // The timestamp is the moment of writing, after the walk.
  const std::string timestamp =
      TimestampText(platform::CurrentLocalTime(), platform::UserDateTimeSettings());
  const std::string path = CheckfilePath(folder);
  WriteCheckfile(path, CheckfileText(window.VersionText(), timestamp, folder, scanList), walkStart);
  busy.Leave();
  window.SetStatus(window.StatusBanner());
  window.AppendLog("Operation complete.  Check file saved to " + path);
}

}  // namespace checkfile
