#include "checkfile/ParallelDigests.h"

#include <algorithm>

#include "checkfile/FolderWalk.h"
#include "digest/CryptoAPI.h"

namespace checkfile {

namespace {

// The scout's walk: the files the task will ask for, in walk order, handed to the plan.
class ScoutVisitor final : public WalkVisitor {
 public:
  ScoutVisitor(std::function<bool(std::string)> plan, std::function<bool()> keepGoing,
               std::function<bool(const std::string&)> willAsk)
      : plan_(std::move(plan)), keepGoing_(std::move(keepGoing)), willAsk_(std::move(willAsk)) {}

  void FolderFound(const std::string&) override {}
  void FolderNotWalked(platform::DirectorySearch::Failure) override {}
  void FileFound(const std::string& path, const std::string&) override {
    if (going_ && (!willAsk_ || willAsk_(path))) going_ = plan_(path);
  }
  void NameNotStorable(const std::string&, const std::string&, bool) override {}
  void ListingBroke(const std::string&) override {}
  bool AfterEntry(const std::string&) override { return going_ = going_ && keepGoing_(); }
  void Stopped(const std::string&) override {}

 private:
  const std::function<bool(std::string)> plan_;
  const std::function<bool()> keepGoing_;
  const std::function<bool(const std::string&)> willAsk_;
  bool going_ = true;
};

}  // namespace

ParallelDigests::ParallelDigests(unsigned jobs, std::function<bool()> stopRequested)
    : jobs_(std::max(jobs, 1u)),
      window_(kWindowPerJob * jobs_),
      refillLevel_(window_ / 2),
      stopRequested_(std::move(stopRequested)) {
  try {
    workers_.reserve(jobs_);
    for (unsigned n = 0; n < jobs_; ++n)
      workers_.emplace_back([this] { WorkerLoop(); });
  } catch (...) {
    Shutdown();
    throw;
  }
}

ParallelDigests::~ParallelDigests() {
  Shutdown();
}

void ParallelDigests::Shutdown() {
  {
    Lock lock(mutex_);
    EndPlan(lock);
    ending_ = true;
  }
  workReady_.notify_all();
  for (std::thread& worker : workers_)
    worker.join();
  workers_.clear();
}

void ParallelDigests::ExpectWalk(const std::string& folder,
                                 std::function<bool(const std::string&)> willAsk) {
  Lock lock(mutex_);
  EndPlan(lock);
  scoutWalking_ = true;
  scout_ = std::thread([this, folder, ask = std::move(willAsk)]() mutable {
    ScoutLoop(std::move(folder), std::move(ask));
  });
}

void ParallelDigests::ExpectFiles(std::vector<std::string> paths) {
  Lock lock(mutex_);
  EndPlan(lock);
  files_ = std::move(paths);
  TopUp(window_);
}

int32_t ParallelDigests::Digest(const std::string& path, std::string& digestText) {
  Lock lock(mutex_);
  uint64_t seq = FindPlanned(path);
  // At the start, and wherever the task's walk overtakes the scout's, the scout may not have
  // come to the file yet: wait while it still has room to plan it, rather than read the file
  // twice.
  while (seq == EndSeq() && scoutWalking_ && slots_.size() < window_) {
    if (scoutWaits_) roomMade_.notify_one();  // it rests until half the window is free
    WaitFor(TaskWait::Plan, lock);
    seq = FindPlanned(path);
  }
  if (seq == EndSeq() && nextFile_ < files_.size()) {
    TopUp(window_);  // the list may hold the file just beyond the window's resting level
    seq = FindPlanned(path);
  }
  if (seq == EndSeq()) {
    // A file the plan does not hold: one the scout did not meet, or one planned too far ahead
    // to wait for. Read it now, as the sequential source would.
    lock.unlock();
    return DigestFile(path, digestText);
  }
  DropFront(seq - frontSeq_);  // planned files the task passed over
  if (slots_.front().state != Slot::State::Done) {
    WakeWorker();  // the front may be started even after a stop, now that the task waits
    while (slots_.front().state != Slot::State::Done)
      WaitFor(TaskWait::Front, lock);
  }
  Slot taken = std::move(slots_.front());
  DropFront(1);
  TopUp(refillLevel_);
  lock.unlock();
  if (taken.error) std::rethrow_exception(taken.error);
  if (taken.code == digest::HASH_OK) digestText = std::move(taken.digestText);
  return taken.code;
}

void ParallelDigests::WorkerLoop() {
  Lock lock(mutex_);
  while (!ending_) {
    if (!MayStartNext()) {
      ++idleWorkers_;
      workReady_.wait(lock);
      --idleWorkers_;
      continue;
    }
    const uint64_t seq = nextToStart_++;
    At(seq).state = Slot::State::Running;
    Slot result;
    try {
      const std::string path = At(seq).path;
      lock.unlock();
      result.code = DigestFile(path, result.digestText);
    } catch (...) {
      result.error = std::current_exception();
    }
    if (!lock.owns_lock()) lock.lock();
    if (seq < frontSeq_) continue;  // dropped while it ran: nobody will ask for it
    Slot& slot = At(seq);
    slot.code = result.code;
    slot.digestText = std::move(result.digestText);
    slot.error = result.error;
    slot.state = Slot::State::Done;
    if (taskWait_ == TaskWait::Front && FrontRunReady()) {
      // Woken outside the lock, the task does not wake only to wait for it.
      lock.unlock();
      news_.notify_one();
      lock.lock();
    }
  }
}

void ParallelDigests::ScoutLoop(std::string folder,
                                std::function<bool(const std::string&)> willAsk) {
  ScoutVisitor visitor([this](std::string path) { return Plan(std::move(path)); },
                       [this] { return !scoutEnds_ && !StopRequested(); }, std::move(willAsk));
  try {
    WalkFolder(visitor, folder);
  } catch (...) {
    // Out of memory while walking: the plan ends here; the task gets the files after it
    // digested on request.
  }
  const Lock lock(mutex_);
  scoutWalking_ = false;
  if (taskWait_ == TaskWait::Plan) news_.notify_one();
}

bool ParallelDigests::Plan(std::string path) {
  Lock lock(mutex_);
  while (slots_.size() >= window_ && !scoutEnds_ && !StopRequested()) {
    scoutWaits_ = true;
    roomMade_.wait(lock);
    scoutWaits_ = false;
  }
  if (scoutEnds_ || StopRequested()) return false;
  slots_.push_back(Slot{std::move(path)});
  WakeWorker();
  if (taskWait_ == TaskWait::Plan) news_.notify_one();
  return true;
}

bool ParallelDigests::MayStartNext() const {
  if (nextToStart_ >= EndSeq()) return false;
  if (taskWait_ == TaskWait::Front && nextToStart_ == frontSeq_) return true;
  return !StopRequested();
}

bool ParallelDigests::FrontRunReady() const {
  size_t done = 0;
  while (done < refillLevel_ && done < slots_.size() && slots_[done].state == Slot::State::Done)
    ++done;
  if (done == 0) return false;
  return done == refillLevel_ || done == slots_.size() ||
         slots_[done].state != Slot::State::Running;
}

uint64_t ParallelDigests::FindPlanned(const std::string& path) const {
  const auto found = std::find_if(slots_.begin(), slots_.end(),
                                  [&path](const Slot& slot) { return slot.path == path; });
  return frontSeq_ + static_cast<uint64_t>(found - slots_.begin());
}

void ParallelDigests::DropFront(uint64_t count) {
  if (count == 0) return;
  slots_.erase(slots_.begin(), slots_.begin() + static_cast<std::ptrdiff_t>(count));
  frontSeq_ += count;
  nextToStart_ = std::max(nextToStart_, frontSeq_);
  if (scoutWaits_ && slots_.size() <= refillLevel_) roomMade_.notify_one();
}

void ParallelDigests::TopUp(size_t level) {
  if (slots_.size() > level) return;
  while (slots_.size() < window_ && nextFile_ < files_.size()) {
    slots_.push_back(Slot{std::move(files_[nextFile_++])});
    WakeWorker();
  }
  if (nextFile_ == files_.size() && !files_.empty()) {
    files_ = std::vector<std::string>();
    nextFile_ = 0;
  }
}

void ParallelDigests::WaitFor(TaskWait what, Lock& lock) {
  taskWait_ = what;
  news_.wait(lock);
  taskWait_ = TaskWait::None;
}

void ParallelDigests::WakeWorker() {
  if (idleWorkers_ > 0) workReady_.notify_one();
}

void ParallelDigests::EndPlan(Lock& lock) {
  if (scout_.joinable()) {
    scoutEnds_ = true;
    roomMade_.notify_all();
    lock.unlock();
    scout_.join();
    lock.lock();
    scoutEnds_ = false;
    scoutWalking_ = false;
  }
  DropFront(slots_.size());
  files_ = std::vector<std::string>();
  nextFile_ = 0;
}

}  // namespace checkfile
