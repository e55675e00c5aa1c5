#include "checkfile/ParallelDigests.h"

#include <algorithm>

#include "checkfile/FolderWalk.h"
#include "checkfile/LaneFiles.h"
#include "digest/CryptoAPI.h"
#include "platform/File.h"

namespace checkfile {

namespace {

// The scout's walk: the files the task will ask for, in walk order, handed to the plan in runs
// (one lock for a run). A run is handed over early when the task waits for the plan, and before
// a subfolder is listed, so that no file waits in it while a listing takes its time.
class ScoutVisitor final : public WalkVisitor {
 public:
  ScoutVisitor(std::function<bool(std::vector<std::string>&)> plan, std::function<bool()> keepGoing,
               std::function<bool()> planWanted, std::function<bool(const std::string&)> willAsk,
               size_t runLength)
      : plan_(std::move(plan)),
        keepGoing_(std::move(keepGoing)),
        planWanted_(std::move(planWanted)),
        willAsk_(std::move(willAsk)),
        runLength_(runLength) {}

  void FolderFound(const std::string&) override { HandOver(); }
  void FolderNotWalked(platform::DirectorySearch::Failure) override {}
  void FileFound(const std::string& path, const std::string&) override {
    if (!going_ || (willAsk_ && !willAsk_(path))) return;
    run_.push_back(path);
    if (run_.size() >= runLength_ || planWanted_()) HandOver();
  }
  void NameNotStorable(const std::string&, const std::string&, bool) override {}
  void ListingBroke(const std::string&) override {}
  bool AfterEntry(const std::string&) override { return going_ = going_ && keepGoing_(); }
  void Stopped(const std::string&) override {}

  void HandOver() {
    if (going_ && !run_.empty()) going_ = plan_(run_);
    run_.clear();
  }

 private:
  const std::function<bool(std::vector<std::string>&)> plan_;
  const std::function<bool()> keepGoing_;
  const std::function<bool()> planWanted_;
  const std::function<bool(const std::string&)> willAsk_;
  const size_t runLength_;
  std::vector<std::string> run_;
  bool going_ = true;
};

// The files the workers may hold open together: the process's limit less what the rest of the
// run keeps open (the standard streams, a folder of each level of the task's walk and of the
// scout's, the task's own readings, the checkfile), but at least half the limit. The reserve
// leaves room for both walks in a tree a hundred folders deep.
size_t WorkerFileBudget() {
  constexpr size_t kReserve = 256;
  const size_t limit = platform::OpenFileLimit();
  return std::max<size_t>(1, limit - std::min(limit / 2, kReserve));
}

}  // namespace

ParallelDigests::ParallelDigests(unsigned jobs, std::function<bool()> stopRequested, unsigned lanes)
    : jobs_(std::max(jobs, 1u)),
      lanes_(lanes == 0 ? digest::Md5Lanes::DefaultWidth() : lanes),
      // Each worker keeps all its lanes busy while the task takes the results of half the
      // window: a worker's part of the window holds two rounds of its lanes.
      window_(std::max<size_t>(kWindowPerJob, 2 * size_t{lanes_}) * jobs_),
      refillLevel_(window_ / 2),
      stopRequested_(std::move(stopRequested)) {
  const size_t budget = WorkerFileBudget();
  const size_t workers = std::min<size_t>(jobs_, budget);
  filesPerWorker_ = static_cast<unsigned>(std::clamp<size_t>(budget / workers, 1, lanes_));
  try {
    workers_.reserve(workers);
    for (size_t n = 0; n < workers; ++n)
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
    DropPlan(lock);
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
  DropPlan(lock);
  scoutWalking_ = true;
  scout_ = std::thread([this, folder, ask = std::move(willAsk)]() mutable {
    ScoutLoop(std::move(folder), std::move(ask));
  });
}

void ParallelDigests::ExpectFiles(std::vector<std::string> paths) {
  Lock lock(mutex_);
  DropPlan(lock);
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
  if (taken.readOnRequest) return DigestFile(path, digestText);
  if (taken.error) std::rethrow_exception(taken.error);
  if (taken.code == digest::HASH_OK) digestText = std::move(taken.digestText);
  return taken.code;
}

void ParallelDigests::WorkerLoop() {
  if (filesPerWorker_ > 1) {
    LaneWorkerLoop();
    return;
  }
  Lock lock(mutex_);
  while (!ending_) {
    uint64_t seq = 0;
    std::string path;
    Slot result;
    try {
      if (!TakeNext(seq, path)) {
        WaitForWork(lock);
        continue;
      }
    } catch (...) {
      result.error = std::current_exception();  // out of memory for the path
    }
    // Asked once this worker has taken its next file, so that the task is woken for a run of
    // results, and told outside the lock, so that it does not wake only to wait for it.
    const bool wakeTask = taskWait_ == TaskWait::Front && FrontRunReady();
    lock.unlock();
    if (wakeTask) news_.notify_one();
    if (!result.error) {
      try {
        result.code = DigestFile(path, result.digestText);
      } catch (...) {
        result.error = std::current_exception();
      }
    }
    lock.lock();
    Publish(seq, std::move(result));
  }
}

// Keeps its lanes filled with the next files of the plan, taking them one at a time (so that a
// stop starts no file it took before), and gives the results of each round of finished files
// under one lock.
void ParallelDigests::LaneWorkerLoop() {
  LaneFiles lanes(digest::Md5Lanes::Create(lanes_), filesPerWorker_);
  std::vector<LaneFiles::Result> finished;
  Lock lock(mutex_);
  while (!ending_) {
    uint64_t seq = 0;
    std::string path;
    std::exception_ptr error;
    bool took = false;
    try {
      took = lanes.FreeLanes() > 0 && TakeNext(seq, path);
    } catch (...) {
      error = std::current_exception();  // out of memory for the path
    }
    if (!took && !error && !lanes.Busy()) {
      WaitForWork(lock);
      continue;
    }
    const bool wakeTask = taskWait_ == TaskWait::Front && FrontRunReady();
    lock.unlock();
    if (wakeTask) news_.notify_one();
    try {
      if (took) {
        lanes.Add(seq, path, finished);
      } else if (!error) {
        lanes.RunUntilOneFinishes(finished, [this] { return StopRequested(); });
      }
    } catch (...) {
      error = std::current_exception();
    }
    lock.lock();
    for (LaneFiles::Result& result : finished) {
      Slot done;
      done.code = result.code;
      done.digestText = std::move(result.digestText);
      Publish(result.id, std::move(done));
    }
    finished.clear();
    if (error) {
      PublishError(lanes, took ? std::optional<uint64_t>(seq) : std::nullopt, error);
    } else if (lanes.Busy() && StopRequested()) {
      DropAfterStop(lanes);
    }
  }
}

// An error that ended a lane worker's step (out of memory) goes to every file in its lanes.
void ParallelDigests::PublishError(LaneFiles& lanes, std::optional<uint64_t> taken,
                                   std::exception_ptr error) {
  std::vector<uint64_t> failed = lanes.Abandon();
  if (taken && std::find(failed.begin(), failed.end(), *taken) == failed.end())
    failed.push_back(*taken);
  for (const uint64_t seq : failed) {
    Slot result;
    result.error = error;
    Publish(seq, std::move(result));
  }
}

void ParallelDigests::DropAfterStop(LaneFiles& lanes) {
  for (const uint64_t seq : lanes.Abandon()) {
    Slot dropped;
    dropped.readOnRequest = true;
    Publish(seq, std::move(dropped));
  }
}

bool ParallelDigests::TakeNext(uint64_t& seq, std::string& path) {
  if (!MayStartNext()) return false;
  seq = nextToStart_++;
  At(seq).state = Slot::State::Running;
  path = At(seq).path;
  return true;
}

void ParallelDigests::Publish(uint64_t seq, Slot result) {
  if (seq < frontSeq_) return;  // dropped while it ran: nobody will ask for it
  Slot& slot = At(seq);
  slot.code = result.code;
  slot.digestText = std::move(result.digestText);
  slot.error = result.error;
  slot.readOnRequest = result.readOnRequest;
  slot.state = Slot::State::Done;
}

void ParallelDigests::WaitForWork(Lock& lock) {
  if (taskWait_ == TaskWait::Front && FrontRunReady()) news_.notify_one();
  ++idleWorkers_;
  workReady_.wait(lock);
  --idleWorkers_;
}

void ParallelDigests::ScoutLoop(std::string folder,
                                std::function<bool(const std::string&)> willAsk) {
  ScoutVisitor visitor([this](std::vector<std::string>& run) { return Plan(run); },
                       [this] { return !scoutEnds_ && !StopRequested(); },
                       [this] { return planWanted_.load(std::memory_order_acquire); },
                       std::move(willAsk), refillLevel_);
  try {
    WalkFolder(visitor, folder);
    visitor.HandOver();
  } catch (...) {
    // Out of memory while walking: the plan ends here; the task gets the files after it
    // digested on request.
  }
  const Lock lock(mutex_);
  scoutWalking_ = false;
  if (taskWait_ == TaskWait::Plan) news_.notify_one();
}

bool ParallelDigests::Plan(std::vector<std::string>& run) {
  Lock lock(mutex_);
  size_t added = 0;
  for (std::string& path : run) {
    if (slots_.size() >= window_) {
      Announce(added);
      added = 0;
      scoutWaits_ = true;
      while (slots_.size() >= window_ && !scoutEnds_ && !StopRequested())
        roomMade_.wait(lock);
      scoutWaits_ = false;
    }
    if (scoutEnds_ || StopRequested()) return false;
    slots_.push_back(Slot{std::move(path)});
    ++added;
  }
  Announce(added);
  return true;
}

void ParallelDigests::Announce(size_t added) {
  if (added == 0) return;
  if (idleWorkers_ > 0) {
    if (added == 1) {
      workReady_.notify_one();
    } else {
      workReady_.notify_all();
    }
  }
  if (taskWait_ == TaskWait::Plan) news_.notify_one();
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
  size_t added = 0;
  for (; slots_.size() < window_ && nextFile_ < files_.size(); ++added)
    slots_.push_back(Slot{std::move(files_[nextFile_++])});
  Announce(added);
  if (nextFile_ == files_.size() && !files_.empty()) {
    files_ = std::vector<std::string>();
    nextFile_ = 0;
  }
}

void ParallelDigests::WaitFor(TaskWait what, Lock& lock) {
  taskWait_ = what;
  if (what == TaskWait::Plan) planWanted_.store(true, std::memory_order_release);
  news_.wait(lock);
  planWanted_.store(false, std::memory_order_relaxed);
  taskWait_ = TaskWait::None;
}

void ParallelDigests::WakeWorker() {
  if (idleWorkers_ > 0) workReady_.notify_one();
}

void ParallelDigests::EndPlan() {
  Lock lock(mutex_);
  DropPlan(lock);
}

void ParallelDigests::DropPlan(Lock& lock) {
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
