#include "checkfile/Update.h"

#include <algorithm>
#include <charconv>
#include <vector>

#include "checkfile/BusyState.h"
#include "checkfile/CheckfileFormat.h"
#include "checkfile/FolderWalk.h"
#include "checkfile/Generation.h"
#include "checkfile/ListedFiles.h"
#include "checkfile/Timestamp.h"
#include "digest/CryptoAPI.h"
#include "platform/LocalTime.h"
#include "platform/Path.h"

namespace checkfile {

namespace {

constexpr char kAbortedText[] = "OPERATION ABORTED BY USER.";

// What the update knows before it walks: the listed files and the checkfile's time.
class UpdateRule {
 public:
  UpdateRule(const ListedFiles& listed, platform::FileTime checkfileTime)
      : listed_(listed), checkfileTime_(checkfileTime) {}

  // Whether the listed file at index keeps its stored digest unread. A file whose times cannot
  // be had is read. Safe to call from several threads at once.
  bool KeepsStoredDigest(size_t index, const std::string& path) const {
    if (!listed_.Files()[index].DigestTrusted) return false;
    platform::FileTime lastChange;
    return platform::LastChangeTime(path, lastChange) && ChangedBefore(lastChange, checkfileTime_);
  }

  // Whether the update will digest the walk's file at path.
  bool WillDigest(const std::string& path) const {
    const size_t index = listed_.Find(path);
    return index == ListedFiles::kNone || !KeepsStoredDigest(index, path);
  }

  const ListedFiles& Listed() const { return listed_; }

 private:
  const ListedFiles& listed_;
  const platform::FileTime checkfileTime_;
};

// The update's walk: logs what it meets as the generation does, decides for each file whether
// its stored digest stands or it is read, and builds the new entries in walk order.
class UpdateVisitor final : public WalkVisitor {
 public:
  UpdateVisitor(TaskWindow& window, const UpdateRule& rule, DigestSource& digests)
      : window_(window),
        rule_(rule),
        digests_(digests),
        found_(rule.Listed().Files().size(), false) {}

  TMD5NodeArray& Entries() { return entries_; }
  UpdateCounts& Counts() { return counts_; }
  bool Found(size_t index) const { return found_[index]; }
  // Whether an entry goes into the new checkfile without a look at its file now (its file could
  // not be digested, or lies in a folder that could not be searched).
  bool CarriedOver() const { return carriedOver_; }
  void CarryOver(const ListedFiles::Listed& file) {
    entries_.push_back({file.Path, file.DigestText});
    carriedOver_ = true;
  }
  // Whether the walk may have missed files below the path (ComparablePath form).
  bool MayHaveMissed(const std::string& path) const {
    const std::string comparable = platform::ComparablePath(path);
    for (const std::string& folder : unsearched_) {
      if (comparable.compare(0, folder.size(), folder) == 0) return true;
    }
    return false;
  }

  void FolderFound(const std::string& path) override {
    lastFolder_ = path;
    Log("Folder: ", path);
  }

  void FolderNotWalked(platform::DirectorySearch::Failure failure) override {
    const bool loop = failure == platform::DirectorySearch::Failure::AlreadyOnWalk;
    window_.AppendLog(loop ? kLinkLoopText : kCannotListFolderText);
    if (!loop) NotSearched(lastFolder_);
  }

  void FileFound(const std::string& path, const std::string& name) override {
    Log("File: ", name);
    const size_t index = rule_.Listed().Find(path);
    if (index != ListedFiles::kNone) found_[index] = true;
    if (index != ListedFiles::kNone && rule_.KeepsStoredDigest(index, path)) {
      entries_.push_back({path, Stored(index)});
      ++counts_.Unchanged;
      return;
    }
    entries_.push_back({path, std::string()});
    const int32_t code = digests_.Digest(path, entries_.back().DigestText);
    if (code != digest::HASH_OK) {
      window_.AppendLog(digest::HashErrorText(code));
      if (index == ListedFiles::kNone) {
        entries_.pop_back();
      } else {
        entries_.back().DigestText = Stored(index);  // the old reference stays
        carriedOver_ = true;
      }
      return;
    }
    if (index == ListedFiles::kNone) {
      ++counts_.Added;
      Log(kAddedPrefix, path);
    } else if (entries_.back().DigestText != Stored(index)) {
      ++counts_.Changed;
      Log(kChangedPrefix, path);
    } else {
      ++counts_.Unchanged;
    }
  }

  void NameNotStorable(const std::string&, const std::string& name, bool isFolder) override {
    if (!isFolder) Log("File: ", name);
    window_.AppendLog(kUnstorableNameText);
  }

  void ListingBroke(const std::string& folder) override {
    Log(kListingBrokeText, folder);
    NotSearched(folder);
  }

  bool AfterEntry(const std::string& folder) override {
    char count[24];
    const auto end = std::to_chars(count, count + sizeof count, entries_.size()).ptr;
    status_.assign(count, end);
    status_ += " files processed.\nWorking in ";
    status_ += folder;
    window_.SetStatus(status_);
    window_.ProcessPendingEvents();
    return !window_.IsAbortRequested();
  }

  void Stopped(const std::string&) override {
    entries_.clear();
    window_.AppendLog(kAbortedText);
  }

  // The files below folder may not all have been seen.
  void NotSearched(const std::string& folder) {
    unsearched_.push_back(platform::ComparablePath(platform::JoinPath(folder, std::string())));
  }

 private:
  const std::string& Stored(size_t index) const { return rule_.Listed().Files()[index].DigestText; }

  void Log(const char* prefix, const std::string& text) {
    line_.assign(prefix);
    line_ += text;
    window_.AppendLog(line_);
  }

  TaskWindow& window_;
  const UpdateRule& rule_;
  DigestSource& digests_;
  std::vector<bool> found_;
  TMD5NodeArray entries_;
  UpdateCounts counts_;
  std::vector<std::string> unsearched_;
  bool carriedOver_ = false;
  std::string lastFolder_;
  std::string line_;
  std::string status_;
};

// The entries of listed files the walk did not find: dropped and logged, or, below a folder it
// could not search, kept after the walked files.
void SettleMissing(TaskWindow& window, UpdateVisitor& visitor, const ListedFiles& listed) {
  std::vector<std::string> removed;
  for (size_t index = 0; index < listed.Files().size(); ++index) {
    if (visitor.Found(index)) continue;
    const ListedFiles::Listed& file = listed.Files()[index];
    if (visitor.MayHaveMissed(file.Path)) {
      visitor.CarryOver(file);
    } else {
      removed.push_back(file.Path);
    }
  }
  // Nothing is logged when there is nothing to write.
  if (visitor.Entries().empty()) return;
  visitor.Counts().Removed = removed.size();
  for (const std::string& path : removed)
    window.AppendLog(kRemovedPrefix + path);
}

}  // namespace

std::string CountsLine(const UpdateCounts& counts) {
  return std::to_string(counts.Added) + " added, " + std::to_string(counts.Changed) + " changed, " +
         std::to_string(counts.Removed) + " removed, " + std::to_string(counts.Unchanged) +
         " unchanged.";
}

void RunUpdate(TaskWindow& window, DigestSource& digests) {
  window.SetAbortRequested(false);
  BusyState busy(window, TaskState::Generating);
  std::string folder = window.GetSelectedFolder();
  if (platform::RemoveTrailingSeparator(folder)) window.SetSelectedFolder(folder);
  if (folder.empty()) {
    window.ShowMessageBox("No files to work with!");
    return;
  }
  const std::string path = CheckfilePath(folder);
  // The time first: a checkfile replaced in between then only looks older than it is, which
  // makes more files read, never fewer. A time that cannot be had makes every file read.
  platform::FileTime checkfileTime;
  platform::ModificationTime(path, checkfileTime);
  const ListedFiles listed(LoadCheckfileLines(path), platform::FolderPartOf(path));
  window.ClearLog();

  const platform::FileTime walkStart = platform::CurrentFileTime();
  const UpdateRule rule(listed, checkfileTime);
  UpdateVisitor visitor(window, rule, digests);
  const PlanScope plan(digests);  // the rule goes with this scope
  digests.ExpectWalk(folder, [&rule](const std::string& file) { return rule.WillDigest(file); });
  // A folder that cannot be listed at all gives no files, as it does to the generation.
  WalkFolder(visitor, folder);
  window.SetStatus(std::string());
  if (window.IsAbortRequested()) return;
  SettleMissing(window, visitor, listed);
  if (visitor.Entries().empty()) {
    window.ShowMessageBox("No files to work with!");
    return;
  }

  window.SetStatus("Generating check file...");
  window.ShowStatusNow();
  window.ProcessPendingEvents();
  const std::string timestamp =
      TimestampText(platform::CurrentLocalTime(), platform::UserDateTimeSettings());
  WriteCheckfile(path, CheckfileText(window.VersionText(), timestamp, folder, visitor.Entries()),
                 visitor.CarriedOver() ? std::min(walkStart, checkfileTime) : walkStart);
  busy.Leave();
  window.SetStatus(window.StatusBanner());
  window.AppendLog("Operation complete.  Check file saved to " + path);
  window.AppendLog(CountsLine(visitor.Counts()));
}

}  // namespace checkfile
