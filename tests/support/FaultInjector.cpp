#include "tests/support/FaultInjector.h"

#include <algorithm>

namespace testing_support {

FaultInjector::FaultInjector() : previous_(platform::InstalledFaultHooks()) {
  platform::InstallFaultHooks(this);
}

FaultInjector::~FaultInjector() {
  platform::InstallFaultHooks(previous_);
}

int FaultInjector::Openings(const std::string& path) const {
  const std::lock_guard lock(mutex_);
  const auto found = rules_.find(path);
  return found == rules_.end() ? 0 : found->second.openings;
}

std::map<std::string, int> FaultInjector::Openings() const {
  const std::lock_guard lock(mutex_);
  std::map<std::string, int> openings;
  for (const auto& [path, rules] : rules_) {
    if (rules.openings > 0) openings[path] = rules.openings;
  }
  return openings;
}

std::map<std::string, int> FaultInjector::Reads() const {
  const std::lock_guard lock(mutex_);
  return reads_;
}

FaultInjector::Rules* FaultInjector::RulesFor(const std::string& path) {
  const auto found = rules_.find(path);
  return found == rules_.end() ? nullptr : &found->second;
}

// The actions run outside the lock: they change the file system, which may call the hooks again.
uint32_t FaultInjector::OpenForRead(const std::string& path) {
  std::function<void()> action;
  uint32_t error = 0;
  {
    const std::lock_guard lock(mutex_);
    Rules& rules = rules_[path];  // counted even without rules, for Openings
    const int opening = ++rules.openings;
    if (const auto found = rules.beforeOpening.find(opening); found != rules.beforeOpening.end())
      action = found->second;
    error = rules.openError;
  }
  if (action) action();
  return error;
}

uint32_t FaultInjector::CreateForWrite(const std::string& path) {
  std::function<void()> action;
  uint32_t error = 0;
  {
    const std::lock_guard lock(mutex_);
    const Rules* rules = RulesFor(path);
    if (rules == nullptr) return 0;
    action = rules->beforeCreating;
    error = rules->createError;
  }
  if (action) action();
  return error;
}

uint32_t FaultInjector::ListFolder(const std::string& folder) {
  std::function<void()> action;
  {
    const std::lock_guard lock(mutex_);
    if (const Rules* rules = RulesFor(folder)) action = rules->beforeListing;
  }
  if (action) action();
  return 0;
}

uint32_t FaultInjector::ListNext(const std::string& folder, size_t entriesSoFar) {
  const std::lock_guard lock(mutex_);
  const Rules* rules = RulesFor(folder);
  return rules != nullptr && entriesSoFar >= rules->listedEntries ? rules->listingError : 0;
}

uint32_t FaultInjector::Read(intptr_t file, uint32_t& count) {
  const std::lock_guard lock(mutex_);
  const auto found = open_.find(file);
  if (found == open_.end()) return 0;
  ++reads_[found->second.path];
  const Rules* rules = RulesFor(found->second.path);
  if (rules == nullptr) return 0;
  uint64_t& moved = found->second.moved;
  if (rules->readableBytes != kNoLimit && moved >= rules->readableBytes) return rules->readError;
  if (rules->readChunk != 0) count = std::min(count, rules->readChunk);
  if (rules->readableBytes != kNoLimit)
    count = static_cast<uint32_t>(std::min<uint64_t>(count, rules->readableBytes - moved));
  moved += count;
  return 0;
}

uint32_t FaultInjector::Write(intptr_t file, uint32_t& count) {
  const std::lock_guard lock(mutex_);
  const auto found = open_.find(file);
  if (found == open_.end()) return 0;
  const Rules* rules = RulesFor(found->second.path);
  if (rules == nullptr) return 0;
  if (rules->writeError != 0) return rules->writeError;
  uint64_t& moved = found->second.moved;
  if (rules->writableBytes != kNoLimit)
    count = static_cast<uint32_t>(std::min<uint64_t>(count, rules->writableBytes - moved));
  moved += count;
  return 0;
}

uint32_t FaultInjector::Flush(intptr_t file) {
  const std::lock_guard lock(mutex_);
  const auto found = open_.find(file);
  if (found == open_.end()) return 0;
  const Rules* rules = RulesFor(found->second.path);
  return rules == nullptr ? 0 : rules->flushError;
}

uint32_t FaultInjector::Replace(const std::string&, const std::string& path) {
  const std::lock_guard lock(mutex_);
  const Rules* rules = RulesFor(path);
  return rules == nullptr ? 0 : rules->replaceError;
}

void FaultInjector::Opened(intptr_t file, const std::string& path) {
  const std::lock_guard lock(mutex_);
  open_[file] = OpenFile{path, 0};
}

void FaultInjector::Closing(intptr_t file) {
  const std::lock_guard lock(mutex_);
  open_.erase(file);
}

}  // namespace testing_support
