// A digest source that reads ahead of the task on several threads, so that a machine with
// several cores (and a medium that does not mind several readers) digests several files at once,
// while the task still logs every file in its own order and gets exactly the answers it would
// have got one file at a time.
//
// The plan: ExpectFiles hands over the list the task will ask for; ExpectWalk starts a scout, a
// thread that walks the same tree the same way (FolderWalk.h) and lists the files in walk order.
// Workers digest the planned files in plan order, at most `jobs` at once, into a window of at most
// kWindowPerJob * jobs results that the task has not yet taken; the scout waits while the window
// is full. So memory holds a window's results at most, whatever the size of the tree.
//
// The task asks for each file in its order and waits for its result (and, should its walk
// overtake the scout's, for the scout to plan the file, while the window has room). The plan
// may not match what the task asks (the tree changed between the scout's listing and the
// task's, the task passes over a file): a planned file the task passes over is dropped once the
// task asks for a file planned after it; a file the plan does not hold is digested at once on
// the task's thread. The answer is therefore always HashFile's for the file asked, never another
// file's. (Should more files than the window holds vanish between the two listings, the plan cannot
// catch up: the rest of the run is then read on request, one file at a time.)
//
// Stopping: once stopRequested answers true (the user's Ctrl-C), no further file is started
// ahead of the task; a digest that runs one file at a time finishes, while a worker's lanes are
// dropped at once (their files in step would otherwise all be read to their ends, many times
// what the sequential run reads after a stop). The task, which stops asking, still gets the
// right answer should it ask: a dropped file is then read on its thread. The destructor stops
// the scout and the workers and waits for them: a digest that runs then finishes first.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "checkfile/DigestSource.h"
#include "checkfile/LaneFiles.h"

namespace checkfile {

class ParallelDigests final : public DigestSource {
 public:
  // Planned files (and their results) that the task has not taken yet, per job. The threads
  // hand each other half a window at a time, so the window must cover a thread's wake-up time
  // even for the smallest files: over 100,000 files of a few hundred bytes, 4 a job took 100,000
  // context switches and a third more processor time than 16 a job (27,000). A result is a path
  // and a digest text, so 16 a job is a few kilobytes whatever the size of the tree.
  static constexpr size_t kWindowPerJob = 16;

  // jobs: worker threads (at least 1). Each digests lanes files at once through the multi-lane
  // MD5 engine (LaneFiles.h), or one file at a time with HashFile when lanes is 1; 0 picks the
  // fastest width the machine runs. The workers together hold no more files open than the
  // process may (platform::OpenFileLimit), less a reserve for the rest of the run: under a low
  // limit each fills fewer lanes, under a very low one fewer workers run, and no file fails to
  // open for want of a descriptor that the sequential run would have had. stopRequested, when
  // given, is asked on the workers' threads and must be safe to call from any thread.
  explicit ParallelDigests(unsigned jobs, std::function<bool()> stopRequested = nullptr,
                           unsigned lanes = 0);
  ~ParallelDigests() override;
  ParallelDigests(const ParallelDigests&) = delete;
  ParallelDigests& operator=(const ParallelDigests&) = delete;

  // Each replaces the plan given before.
  void ExpectWalk(const std::string& folder,
                  std::function<bool(const std::string& path)> willAsk = nullptr) override;
  void ExpectFiles(std::vector<std::string> paths) override;
  int32_t Digest(const std::string& path, std::string& digestText) override;
  void EndPlan() override;

  size_t WindowSize() const { return window_; }
  unsigned Lanes() const { return lanes_; }

 private:
  // One planned file and, once a worker has digested it, its result.
  struct Slot {
    enum class State { Waiting, Running, Done };
    Slot() = default;
    explicit Slot(std::string planned) : path(std::move(planned)) {}
    std::string path;
    State state = State::Waiting;
    int32_t code = 0;
    std::string digestText;
    std::exception_ptr error;    // what the digest threw (out of memory)
    bool readOnRequest = false;  // dropped by its worker after a stop: the task reads it
  };
  using Lock = std::unique_lock<std::mutex>;

  void Shutdown();
  void WorkerLoop();
  void LaneWorkerLoop();
  // Marks the next waiting slot running and gives its plan position and path; false when no
  // slot may be started now (MayStartNext).
  bool TakeNext(uint64_t& seq, std::string& path);
  // Gives a finished file's result to its slot (a slot dropped while it ran is forgotten).
  void Publish(uint64_t seq, Slot result);
  void PublishError(LaneFiles& lanes, std::optional<uint64_t> taken, std::exception_ptr error);
  // After a stop: drops the files in the lanes, each left for the task to read should it ask.
  void DropAfterStop(LaneFiles& lanes);
  // Waits, as an idle worker, until a slot may be started or the source ends; wakes the task
  // first when it is to be woken.
  void WaitForWork(Lock& lock);
  void ScoutLoop(std::string folder, std::function<bool(const std::string&)> willAsk);
  // The scout's hand-over of the next files in walk order (taken from run); false when the scout
  // is to stop.
  bool Plan(std::vector<std::string>& run);
  // Tells the idle workers, and the task should it wait for the plan, of files added to it.
  void Announce(size_t added);

  bool StopRequested() const { return stopRequested_ && stopRequested_(); }
  // Whether a worker may start the first waiting slot now: always when the task waits for it,
  // otherwise only while no stop was asked.
  bool MayStartNext() const;
  // Whether the task, which waits for the front, is to be woken: once results are ready for
  // half a window from the front, or for the front and nothing after them is under way (the
  // plan's end, a stop). It then wakes once for a run of files rather than for every file.
  bool FrontRunReady() const;
  Slot& At(uint64_t seq) { return slots_[static_cast<size_t>(seq - frontSeq_)]; }
  uint64_t EndSeq() const { return frontSeq_ + slots_.size(); }
  // The first slot from the front that plans path, or EndSeq().
  uint64_t FindPlanned(const std::string& path) const;
  void DropFront(uint64_t count);
  // Once the window holds no more than level slots, fills it from the list of ExpectFiles.
  void TopUp(size_t level);
  // What the task waits for, so that nobody wakes it for anything else.
  enum class TaskWait { None, Front, Plan };
  void WaitFor(TaskWait what, Lock& lock);
  void WakeWorker();
  // Ends the plan: stops the scout and waits for it, drops the window.
  void DropPlan(Lock& lock);

  const unsigned jobs_;
  const unsigned lanes_;
  const size_t window_;
  // The window is refilled (by the scout, from the list) once it has drained to this level, so
  // that the threads wake once for half a window of files rather than once for every file.
  const size_t refillLevel_;
  const std::function<bool()> stopRequested_;

  std::mutex mutex_;
  std::condition_variable workReady_;  // workers: a slot to start, or the end
  std::condition_variable news_;       // the task: what it waits for (TaskWait) happened
  std::condition_variable roomMade_;   // the scout: the window has room, or the plan ends
  std::deque<Slot> slots_;             // the window, in plan order
  uint64_t frontSeq_ = 0;              // the plan position of slots_.front()
  uint64_t nextToStart_ = 0;           // the plan position of the first slot not started
  std::vector<std::string> files_;     // ExpectFiles' list, not yet in the window
  size_t nextFile_ = 0;
  size_t idleWorkers_ = 0;
  TaskWait taskWait_ = TaskWait::None;
  bool scoutWalking_ = false;  // from ExpectWalk until the scout's walk has ended
  bool scoutWaits_ = false;
  std::atomic<bool> scoutEnds_{false};   // set under the mutex, read by the walk without it
  std::atomic<bool> planWanted_{false};  // the task waits for the plan: hand over at once
  bool ending_ = false;

  unsigned filesPerWorker_ = 1;  // set before the workers start
  std::thread scout_;
  std::vector<std::thread> workers_;
};

}  // namespace checkfile
