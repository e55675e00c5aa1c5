#include "checkfile/Unlisted.h"

#include <vector>

#include "checkfile/BusyState.h"
#include "checkfile/CheckfileFormat.h"
#include "checkfile/FolderWalk.h"
#include "checkfile/Generation.h"
#include "checkfile/ListedFiles.h"
#include "platform/Path.h"

namespace checkfile {

namespace {

constexpr char kAbortedText[] = "OPERATION ABORTED BY USER.";

class UnlistedVisitor final : public WalkVisitor {
 public:
  UnlistedVisitor(TaskWindow& window, const ListedFiles& listed)
      : window_(window), listed_(listed) {}

  size_t NotListed() const { return notListed_; }
  // Whether a part of the tree could not be searched.
  bool LeftOut() const { return leftOut_; }
  bool WasStopped() const { return stopped_; }

  // Folders are not logged, except one that cannot be searched.
  void FolderFound(const std::string& path) override { lastFolder_ = path; }

  void FolderNotWalked(platform::DirectorySearch::Failure failure) override {
    // A folder reached again through a link is being searched further up already.
    if (failure == platform::DirectorySearch::Failure::AlreadyOnWalk) return;
    LogLeftOutFolder(lastFolder_, kCannotListFolderText);
  }

  void FileFound(const std::string& path, const std::string&) override {
    if (listed_.Find(path) == ListedFiles::kNone) Report(path);
  }

  // A checkfile can never list such a file; the files below such a folder are not searched.
  void NameNotStorable(const std::string& path, const std::string&, bool isFolder) override {
    if (isFolder) {
      LogLeftOutFolder(path, kUnstorableNameText);
    } else {
      Report(path);
    }
  }

  void ListingBroke(const std::string& folder) override {
    leftOut_ = true;
    window_.AppendLog(kListingBrokeText + folder);
  }

  bool AfterEntry(const std::string& folder) override {
    window_.SetStatus(std::to_string(notListed_) + " files not listed.\nWorking in " + folder);
    window_.ProcessPendingEvents();
    return !window_.IsAbortRequested();
  }

  // Said once, by the level that sees the flag first; the levels above stop without a word.
  void Stopped(const std::string&) override {
    if (stopped_) return;
    stopped_ = true;
    window_.AppendLog(kAbortedText);
  }

  void LogLeftOutFolder(const std::string& folder, const char* why) {
    leftOut_ = true;
    window_.AppendLog("Folder: " + folder);
    window_.AppendLog(why);
  }

 private:
  void Report(const std::string& path) {
    ++notListed_;
    window_.AppendLog(kNotListedPrefix + path);
  }

  TaskWindow& window_;
  const ListedFiles& listed_;
  std::string lastFolder_;
  size_t notListed_ = 0;
  bool leftOut_ = false;
  bool stopped_ = false;
};

std::string ClosingLine(const UnlistedVisitor& visitor) {
  if (visitor.NotListed() > 0) return std::to_string(visitor.NotListed()) + kFilesNotListedText;
  return visitor.LeftOut() ? kNoneFoundWhereSearchedText : kEveryFileListedText;
}

}  // namespace

void RunUnlistedSearch(TaskWindow& window, const std::string& checkfileName) {
  BusyState busy(window, TaskState::Verifying);
  const std::vector<std::string> lines = LoadCheckfileLines(checkfileName);
  const std::string baseFolder = platform::FolderPartOf(checkfileName);
  const ListedFiles listed(lines, baseFolder);
  std::string folder = baseFolder;
  platform::RemoveTrailingSeparator(folder);

  UnlistedVisitor visitor(window, listed);
  const auto failure = folder.empty()
                           ? std::optional(platform::DirectorySearch::Failure::CannotList)
                           : WalkFolder(visitor, folder);
  if (failure && *failure != platform::DirectorySearch::Failure::NothingVisible)
    visitor.LogLeftOutFolder(folder, kCannotListFolderText);
  if (!visitor.WasStopped()) window.AppendLog(ClosingLine(visitor));
  window.SetStatus(window.StatusBanner());
}

}  // namespace checkfile
