// The digest source that reads ahead on several threads, against the one that reads each file
// when the task asks: the same answer for every file whatever the plan says, the same log,
// status lines and checkfile for any number of jobs (also when the run is stopped or the tree
// changes under it), a window that bounds how far it reads ahead, and a stop that starts nothing
// more.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "checkfile/CheckfileFormat.h"
#include "checkfile/ParallelDigests.h"
#include "checkfile/Tasks.h"
#include "checkfile/Update.h"
#include "platform/File.h"
#include "platform/FileTime.h"
#include "platform/Path.h"
#include "tests/support/CheckfileSamples.h"
#include "tests/support/FaultInjector.h"
#include "tests/support/RecordingWindow.h"
#include "tests/support/TestFiles.h"
#include "tests/support/VrtlyRuns.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace testing_support;  // the test support: files, samples, windows, faults
using checkfile::DigestSource;
using checkfile::ParallelDigests;

// How the parallel source's workers digest: one file at a time each, or as many at once as the
// fastest width of the multi-lane engine that this machine runs.
struct Workers {
  unsigned jobs;
  unsigned lanes;  // 0: the fastest width
  std::string Name() const {
    return std::to_string(jobs) + " jobs, " +
           (lanes == 1 ? std::string("one file a job")
                       : std::to_string(digest::Md5Lanes::DefaultWidth()) + " lanes a job");
  }
};
const Workers kWorkers[] = {{2, 1}, {8, 1}, {2, 0}, {8, 0}};

// One job is the sequential source; more, the parallel one.
std::unique_ptr<DigestSource> SourceFor(Workers workers, std::function<bool()> stop = nullptr) {
  if (workers.jobs == 1) return std::make_unique<checkfile::DigestOnRequest>();
  return std::make_unique<ParallelDigests>(workers.jobs, std::move(stop), workers.lanes);
}

// Each file's bytes begin with its own name, so no two files share a digest and an answer for
// the wrong file cannot pass.
std::string ContentsNamed(const std::string& name, size_t size) {
  return name + "\n" + PatternBytes(size);
}

// The source's answer must be the sequential one, and a failure must leave the text alone.
void ExpectSameAnswer(DigestSource& source, const std::string& path) {
  std::string expected = "untouched";
  std::string got = "untouched";
  const int32_t expectedCode = checkfile::DigestFile(path, expected);
  EXPECT_EQ(source.Digest(path, got), expectedCode) << path;
  EXPECT_EQ(got, expected) << path;
}

// Polls until the condition holds; false when it still does not after a minute.
bool WaitUntil(const std::function<bool()>& condition) {
  const auto limit = std::chrono::steady_clock::now() + 60s;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > limit) return false;
    std::this_thread::sleep_for(2ms);
  }
  return true;
}

// Enough time for threads that could still start a file to have done so; a check after it can
// only miss a fault on a very slow machine, never report one that is not there.
void LetThreadsSettle() {
  std::this_thread::sleep_for(300ms);
}

// ---------------------------------------------------------------------------------------------
// The tasks over a tree of a few thousand files with failures mixed in.

// 2,400 files of many sizes (those around a read's 4096 bytes among them, every 50th of 200 KB)
// in 40 folders, a nested folder and an empty one. Failures: a file that is gone when it is
// opened, one that shrinks between the size query and the reading, one whose reads fail halfway
// (all three through the fault seam), one held open for writing, and on POSIX a broken link and
// a name a checkfile cannot hold.
//
// The gone file is gone for the digest only (its opening fails as if it had been deleted): a
// file really deleted by its own reading would vanish before the task lists its folder whenever
// the reading runs ahead of the task, and then the task would rightly not list it. Files really
// deleted, and new ones, come with the tree changes far ahead of the task.
struct MixedTree {
  static constexpr int kFolders = 40;
  static constexpr int kFilesPerFolder = 60;

  MixedTree() {
    for (int folder = 0; folder < kFolders; ++folder) {
      for (int n = 0; n < kFilesPerFolder; ++n)
        WriteFile(FileIn(folder, n), Contents(folder, n));
    }
    WriteFile(dir / "d05/nested/deep.bin", ContentsNamed("deep", 70000));
    fs::create_directories(dir.path() / "d06/empty");
    holder = platform::File::CreateForWrite(held);
#ifndef _WIN32
    fs::create_symlink(dir / "nowhere", dir / "d02/broken-link");
    WriteFile(dir / "d03/back\\slash", "a name with a backslash");
#endif
  }

  static std::string Name(int folder, int n) {
    return Numbered("d", folder, 2) + Numbered("/f", n, 2) + ".bin";
  }
  std::string FileIn(int folder, int n) const {
    return dir / Name(folder, n);
  }
  static std::string Contents(int folder, int n) {
    const size_t size = n % 50 == 49 ? 200000 : static_cast<size_t>(folder * 997 + n * 131) % 6000;
    return ContentsNamed(Name(folder, n), size);
  }

  // Arms the faults for one run and makes again what the last run's faults and changes undid.
  // An update starts from updateBase, with a time that makes every file it lists unchanged.
  void Arm(FaultInjector& faults, bool forUpdate) {
    WriteFile(shrinking, Contents(13, 20));
    for (int n = 0; n < kFilesPerFolder; ++n)
      WriteFile(FileIn(kFolders - 1, n), Contents(kFolders - 1, n));
    fs::remove_all(dir.path() / "d38/new");
    fs::remove(checkfile);
    if (forUpdate) {
      WriteFile(checkfile, updateBase);
      const int64_t hour = 3600 * platform::kFileTimeTicksPerSecond;
      EXPECT_TRUE(platform::SetModificationTime(
          checkfile, platform::FileTime{platform::CurrentFileTime().Ticks + hour}));
    }
    faults.FailOpening(gone, kFileNotFound);
    faults.BeforeOpening(shrinking, 2, [this] { fs::resize_file(shrinking, 10); });
    faults.FailReadingAfter(failing, 4096, kReadFault);
  }

  // Far ahead of the task and of any window: the last folder's files vanish and a folder of new
  // files appears before the task gets there.
  void ChangeAheadOfTheTask() const {
    for (int n = 0; n < kFilesPerFolder; ++n)
      fs::remove(FileIn(kFolders - 1, n));
    for (int n = 0; n < 5; ++n)
      WriteFile(dir / ("d38/new/n" + std::to_string(n)), "new " + std::to_string(n));
  }

  TempDir dir;
  const std::string root = dir.path().string();
  const std::string checkfile = platform::JoinPath(root, checkfile::kCheckfileName);
  const std::string listing = dir / "listing.MD5";
  std::string updateBase;  // a checkfile that lists all but the files of d20 to d29
  const std::string gone = FileIn(7, 10);
  const std::string shrinking = FileIn(13, 20);
  const std::string failing = FileIn(21, 49);
  const std::string held = dir / "d10/held.txt";
  platform::File holder;
};

enum class Task { Make, Check, Update };

const char* NameOf(Task task) {
  return task == Task::Make ? "make" : task == Task::Check ? "check" : "update";
}

// What happens while a task runs, at its n-th event processing.
struct Happening {
  const char* name;
  size_t atEvent;  // 0: nothing
  enum { Nothing, Abort, TreeChanges } what;
};

struct TaskRun {
  Lines trace;          // every call the task made of its window, in order
  std::string written;  // the checkfile without its timestamp line; empty when none
};

TaskRun RunWithJobs(MixedTree& tree, Task task, Workers workers, const Happening& happening) {
  FaultInjector faults;  // installed before the source's threads start, removed after they end
  tree.Arm(faults, task == Task::Update);
  std::atomic<bool> stop{false};
  RecordingWindow window;
  size_t events = 0;
  window.onEvents = [&] {
    if (++events != happening.atEvent) return;
    if (happening.what == Happening::Abort) {
      window.abortRequested = true;
      stop = true;  // the console's Ctrl-C reaches the source the same way
    } else if (happening.what == Happening::TreeChanges) {
      tree.ChangeAheadOfTheTask();
    }
  };
  {
    const std::unique_ptr<DigestSource> source =
        SourceFor(workers, [&stop] { return stop.load(); });
    window.selectedFolder = tree.root;
    window.dialogFileName = tree.listing;
    using TaskFunction = void (*)(checkfile::TaskWindow&, DigestSource&);  // in Task's order
    const TaskFunction functions[] = {checkfile::RunGeneration, checkfile::RunVerification,
                                      checkfile::RunUpdate};
    checkfile::RunTask(window, functions[static_cast<int>(task)], *source);
  }
  TaskRun run{window.Trace(), std::string()};
  if (task != Task::Check && fs::exists(tree.checkfile))
    run.written = WithoutTimestamp(ReadFile(tree.checkfile));
  return run;
}

// Empty when the traces are the same; otherwise where they first part.
std::string FirstDifference(const Lines& got, const Lines& expected) {
  for (size_t i = 0; i < std::max(got.size(), expected.size()); ++i) {
    const std::string a = i < got.size() ? got[i] : "(the end)";
    const std::string b = i < expected.size() ? expected[i] : "(the end)";
    if (a != b) return "line " + std::to_string(i) + ": " + a + "\ninstead of: " + b;
  }
  return std::string();
}

size_t CountOf(const Lines& trace, const std::string& line) {
  return static_cast<size_t>(std::count(trace.begin(), trace.end(), line));
}

class JobsTasks : public ::testing::Test {
 protected:
  // One tree for the whole suite: making 2,400 files is the slow part.
  static void SetUpTestSuite() {
    tree_ = new MixedTree;
    // The check's listing: what make wrote, then stored digests that do not match (of a file
    // listed twice among them), the files that fail through the fault seam (make left them
    // out), the held file and a file that is not there.
    const TaskRun made = RunWithJobs(*tree_, Task::Make, {1, 1}, {"", 0, Happening::Nothing});
    ASSERT_FALSE(made.written.empty());
    std::string listing = made.written;
    for (const char* name : {"d04\\f04.bin", "d00\\f00.bin", "d12\\f12.bin", "d07\\f10.bin",
                             "d13\\f20.bin", "d21\\f49.bin", "d10\\held.txt", "d11\\missing.bin"})
      listing += std::string(32, '0') + "|" + name + "\r\n";
    WriteFile(tree_->listing, listing);
    for (const std::string& line : checkfile::SplitLines(ReadFile(tree_->checkfile))) {
      if (line.find("|d2") == std::string::npos) tree_->updateBase += line + "\r\n";
    }
  }
  static void TearDownTestSuite() {
    delete tree_;
    tree_ = nullptr;
  }
  static MixedTree* tree_;
};
MixedTree* JobsTasks::tree_ = nullptr;

const Happening kHappenings[] = {
    {"nothing", 0, Happening::Nothing},
    {"stopped at the first file", 1, Happening::Abort},
    {"stopped halfway", 1300, Happening::Abort},
    {"the tree changes ahead of the task", 50, Happening::TreeChanges},
};

TEST_F(JobsTasks, AnyNumberOfJobsGivesTheSequentialLogStatusAndCheckfile) {
  for (const Task task : {Task::Make, Task::Check, Task::Update}) {
    for (const Happening& happening : kHappenings) {
      SCOPED_TRACE(std::string(NameOf(task)) + ", " + happening.name);
      const TaskRun sequential = RunWithJobs(*tree_, task, {1, 1}, happening);
      for (const Workers& workers : kWorkers) {
        SCOPED_TRACE(workers.Name());
        const TaskRun parallel = RunWithJobs(*tree_, task, workers, happening);
        EXPECT_EQ(FirstDifference(parallel.trace, sequential.trace), "");
        EXPECT_EQ(parallel.written, sequential.written);
      }
    }
  }
}

// The comparison above means something only if the tree's failures show in the log.
TEST_F(JobsTasks, TheMixedTreeShowsItsFailures) {
  const Happening nothing = {"nothing", 0, Happening::Nothing};
  const Lines made = RunWithJobs(*tree_, Task::Make, {2, 0}, nothing).trace;
#ifdef _WIN32
  const size_t unopenable = 2;  // the gone and the held file
#else
  const size_t unopenable = 3;  // and the broken link
#endif
  EXPECT_EQ(CountOf(made, "log: Could not open file"), unopenable);
  EXPECT_EQ(CountOf(made, "log: Could not read file"), 2u);  // the shrinking and failing files

  const Lines checked = RunWithJobs(*tree_, Task::Check, {2, 0}, nothing).trace;
  const std::string cannotOpen = "log: ERROR: Could not open file (";
  const std::string cannotRead = "log: ERROR: Could not read file (";
  for (const std::string& once :
       {cannotOpen + tree_->held + ")", cannotOpen + (tree_->dir / "d11/missing.bin") + ")",
        cannotOpen + tree_->gone + ")", "log: OK: " + (tree_->dir / "d04/f04.bin"),  // and once not
        cannotRead + tree_->shrinking + ")", cannotRead + tree_->failing + ")"})
    EXPECT_EQ(CountOf(checked, once), 1u) << once;

  // The update reads only what its checkfile does not list: the files of d20 to d29, less the
  // one whose reading fails, and the listing beside the checkfile.
  const Lines updated = RunWithJobs(*tree_, Task::Update, {2, 0}, nothing).trace;
  const auto added = std::count_if(updated.begin(), updated.end(), [](const std::string& line) {
    return line.rfind("log: ADDED: ", 0) == 0;
  });
  EXPECT_EQ(added, 10 * MixedTree::kFilesPerFolder - 1 + 1);
  EXPECT_EQ(CountOf(updated, "log: ADDED: " + tree_->listing), 1u);
  EXPECT_EQ(CountOf(updated, "log: Could not read file"), 2u);
}

// ---------------------------------------------------------------------------------------------
// The source alone, asked directly.

// Files p000.bin, p001.bin ... in one folder, which is also their walk order.
struct PlanTree {
  static constexpr int kFiles = 30;
  explicit PlanTree(int files = kFiles) : count(files) {
    for (int n = 0; n < count; ++n)
      WriteFile(Path(n), ContentsNamed(Name(n), static_cast<size_t>(n % 40) * 700));
  }
  static std::string Name(int n) { return Numbered("p", n, 3) + ".bin"; }
  // -1 names a file that is not there.
  std::string Path(int n) const { return n < 0 ? dir / "missing.bin" : dir / Name(n); }
  std::vector<std::string> Paths(const std::vector<int>& numbers) const {
    std::vector<std::string> paths;
    for (const int n : numbers)
      paths.push_back(Path(n));
    return paths;
  }
  std::vector<std::string> All() const { return Paths(Range(0, count)); }
  static std::vector<int> Range(int from, int to, int step = 1) {
    std::vector<int> numbers;
    for (int n = from; step > 0 ? n < to : n > to; n += step)
      numbers.push_back(n);
    return numbers;
  }
  // How many of the files have been opened at least once.
  size_t Opened(const FaultInjector& faults) const {
    size_t opened = 0;
    for (int n = 0; n < count; ++n)
      if (faults.Openings(Path(n)) > 0) ++opened;
    return opened;
  }

  const int count;
  TempDir dir;
  const std::string root = dir.path().string();
};

std::vector<int> Joined(std::vector<int> a, const std::vector<int>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// How the source is told its plan: a list of file numbers, or the walk of the folder with the
// task's willAsk of a file's number (none: every file).
using Plan = std::function<void(DigestSource&, const PlanTree&)>;

Plan Listing(std::vector<int> numbers) {
  return [numbers](DigestSource& s, const PlanTree& t) { s.ExpectFiles(t.Paths(numbers)); };
}

Plan Walk(std::function<bool(int)> willAsk = nullptr) {
  return [willAsk](DigestSource& s, const PlanTree& t) {
    std::function<bool(const std::string&)> ask;
    if (willAsk) {
      ask = [&t, willAsk](const std::string& path) {
        for (int n = 0; n < t.count; ++n) {
          if (t.Path(n) == path) return willAsk(n);
        }
        return false;
      };
    }
    s.ExpectWalk(t.root, ask);
  };
}

TEST(ParallelDigests, AnswersEveryAskWithThatFilesDigestWhateverThePlanSays) {
  struct Case {
    const char* name;
    Plan plan;
    std::vector<int> asked;
  };
  const std::vector<int> all = PlanTree::Range(0, PlanTree::kFiles);
  const Case cases[] = {
      {"asked as listed", Listing(all), all},
      {"the task passes over listed files", Listing(all), PlanTree::Range(0, 30, 3)},
      {"the task asks files the list lacks", Listing(PlanTree::Range(0, 30, 2)), all},
      {"the list in the other order", Listing(PlanTree::Range(29, -1, -1)), all},
      {"no list", Listing({}), PlanTree::Range(0, 10)},
      {"a file listed twice", Listing({0, 1, 0, 2, 1}), {0, 1, 0, 2, 1}},
      {"a file that is not there", Listing({0, 1, -1, 2, -1, 3}), {0, 1, -1, 2, -1, 3}},
      {"more files that are not there than the window holds, then the rest",
       Listing(Joined(std::vector<int>(300, -1), all)), all},
      {"the task asks beyond the list", Listing(PlanTree::Range(0, 5)), PlanTree::Range(0, 12)},
      {"asked in walk order", Walk(), all},
      {"the task passes over files the walk meets", Walk(), PlanTree::Range(0, 30, 4)},
      {"the task asks files it said it would not", Walk([](int n) { return n % 2 == 0; }), all},
      {"the task asks in the other order", Walk(), PlanTree::Range(29, -1, -1)},
      {"the task asks a file the walk cannot meet", Walk(), {0, -1, 1, -1, 2}},
      {"the task says it will ask none", Walk([](int) { return false; }), all},
  };
  PlanTree tree;
  for (const Workers& workers : kWorkers) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + ", " + workers.Name());
      ParallelDigests source(workers.jobs, nullptr, workers.lanes);
      c.plan(source, tree);
      for (const int n : c.asked)
        ExpectSameAnswer(source, tree.Path(n));
    }
  }
}

// The task's first ask comes before the scout has listed anything (its listing is held back):
// the task waits for the plan instead of reading the file while a worker reads it too.
TEST(ParallelDigests, ReadsEachFileOnceWhenTheTaskAsksBeforeTheScoutPlannedIt) {
  PlanTree tree;
  for (const Workers& workers : kWorkers) {
    SCOPED_TRACE(workers.Name());
    FaultInjector faults;
    faults.BeforeListing(tree.root, [] { std::this_thread::sleep_for(200ms); });
    {
      ParallelDigests source(workers.jobs, nullptr, workers.lanes);
      source.ExpectWalk(tree.root);
      for (int n = 0; n < PlanTree::kFiles; ++n)
        ExpectSameAnswer(source, tree.Path(n));
      LetThreadsSettle();  // longer than the listing is held back
    }
    // The size query and the reading: HashFile opens a file twice. The test's own digest
    // (ExpectSameAnswer) counts twice more.
    for (int n = 0; n < PlanTree::kFiles; ++n)
      EXPECT_EQ(faults.Openings(tree.Path(n)), 4) << tree.Path(n);
  }
}

// The update hands ExpectWalk a willAsk that uses its own locals, and ends the plan before they
// go: the scout, still walking, must not call willAsk after that.
TEST(ParallelDigests, AfterThePlanEndsTheWalksQuestionIsNotAskedAgain) {
  PlanTree tree;
  std::atomic<int> asked{0};
  ParallelDigests source(2);
  source.ExpectWalk(tree.root, [&asked](const std::string&) {
    ++asked;
    std::this_thread::sleep_for(20ms);  // a walk that takes its time
    return true;
  });
  ExpectSameAnswer(source, tree.Path(0));
  source.EndPlan();
  const int askedWhenEnded = asked;
  EXPECT_LT(askedWhenEnded, PlanTree::kFiles);
  LetThreadsSettle();
  EXPECT_EQ(asked, askedWhenEnded);
  ExpectSameAnswer(source, tree.Path(1));  // asked after the end: read on request
}

TEST(ParallelDigests, APlanGivenAgainReplacesTheOneBefore) {
  PlanTree tree;
  ParallelDigests source(2);
  source.ExpectWalk(tree.root);
  for (const int n : {0, 1, 2})
    ExpectSameAnswer(source, tree.Path(n));
  source.ExpectFiles(tree.Paths(PlanTree::Range(29, 19, -1)));
  for (const int n : PlanTree::Range(29, 19, -1))
    ExpectSameAnswer(source, tree.Path(n));
  source.ExpectWalk(tree.root, [&tree](const std::string& path) { return path != tree.Path(5); });
  for (const int n : PlanTree::Range(3, 10))
    ExpectSameAnswer(source, tree.Path(n));
}

// The tests that hold for both kinds of plan: the body runs for each kind and for the workers
// digesting one file a job and as many as the engine's lanes.
struct PlanKind {
  const char* name;
  Plan give;
};

template <typename Body>
void ForEachPlanAndWidth(unsigned jobs, Body body) {
  const PlanKind kinds[] = {
      {"a list", [](DigestSource& s, const PlanTree& t) { s.ExpectFiles(t.All()); }},
      {"a walk", Walk()}};
  for (const PlanKind& kind : kinds) {
    for (const unsigned lanes : {1u, 0u}) {
      const Workers workers{jobs, lanes};
      SCOPED_TRACE(std::string(kind.name) + ", " + workers.Name());
      body(kind, workers);
    }
  }
}

TEST(ParallelDigests, ReadsAheadNoFurtherThanItsWindow) {
  const PlanTree tree(static_cast<int>(3 * ParallelDigests(2).WindowSize()));
  ForEachPlanAndWidth(2, [&](const PlanKind& kind, const Workers& workers) {
    FaultInjector faults;  // counts the openings
    ParallelDigests source(workers.jobs, nullptr, workers.lanes);
    const size_t window = source.WindowSize();
    ASSERT_LE(3 * window, static_cast<size_t>(tree.count));
    kind.give(source, tree);
    // Nobody asks: the workers fill the window, then wait.
    ASSERT_TRUE(WaitUntil([&] { return tree.Opened(faults) >= window; }));
    LetThreadsSettle();
    EXPECT_EQ(tree.Opened(faults), window);
    // Taking results makes room: the workers stay at most a window and (once the window is
    // refilled, which it is when half of it has been taken) at least half a window ahead.
    for (size_t taken = 1; taken <= 2 * window; ++taken) {
      ExpectSameAnswer(source, tree.Path(static_cast<int>(taken) - 1));
      if (taken % (window / 2) != 0) continue;
      ASSERT_TRUE(WaitUntil([&] { return tree.Opened(faults) >= taken + window / 2; }));
      LetThreadsSettle();
      EXPECT_LE(tree.Opened(faults), taken + window);
    }
  });
}

TEST(ParallelDigests, AfterAStopNothingMoreIsReadAheadYetEveryAskIsAnswered) {
  PlanTree tree;
  ForEachPlanAndWidth(4, [&](const PlanKind& kind, const Workers& workers) {
    FaultInjector faults;
    ParallelDigests source(
        workers.jobs, [] { return true; }, workers.lanes);
    kind.give(source, tree);
    LetThreadsSettle();
    EXPECT_EQ(tree.Opened(faults), 0u);
    for (const int n : {0, 1, 2, 7})
      ExpectSameAnswer(source, tree.Path(n));
    EXPECT_EQ(tree.Opened(faults), 4u);
  });
}

// A stop that comes while files are being read: the digests under way finish, no file is
// started after it.
TEST(ParallelDigests, AStopWhileReadingLetsTheRunningDigestsFinishAndStartsNoOther) {
  constexpr unsigned kJobs = 4;  // each takes its next file only once it has opened the last
  constexpr int kStoppingFile = 10;
  PlanTree tree;
  ForEachPlanAndWidth(kJobs, [&](const PlanKind& kind, const Workers& workers) {
    FaultInjector faults;
    std::atomic<bool> stop{false};
    std::mutex mutex;
    std::vector<int> firstOpenings;  // file numbers, in the order of their first opening
    for (int n = 0; n < PlanTree::kFiles; ++n) {
      faults.BeforeOpening(tree.Path(n), 1, [&, n] {
        const std::lock_guard lock(mutex);
        firstOpenings.push_back(n);
        if (n == kStoppingFile) stop = true;
      });
    }
    {
      ParallelDigests source(
          kJobs, [&stop] { return stop.load(); }, workers.lanes);
      ASSERT_GT(source.WindowSize(), static_cast<size_t>(kStoppingFile));
      kind.give(source, tree);
      ASSERT_TRUE(WaitUntil([&] { return stop.load(); }));
      LetThreadsSettle();
    }  // the destructor waits for the workers
    const std::lock_guard lock(mutex);
    const auto stopAt = std::find(firstOpenings.begin(), firstOpenings.end(), kStoppingFile);
    ASSERT_NE(stopAt, firstOpenings.end());
    // Each of the other workers may have been about to open the file it had taken before the
    // stop; none takes another.
    EXPECT_LE(firstOpenings.end() - stopAt - 1, static_cast<std::ptrdiff_t>(kJobs - 1));
  });
}

// Files in lanes are read in step: after a stop, reading those that are under way to their ends
// would take as long as reading them all. They are dropped, and the one the task then asks for
// is read for it.
TEST(ParallelDigests, AStopDropsTheFilesInTheLanesAndTheTaskStillGetsItsAnswer) {
  const unsigned width = digest::Md5Lanes::DefaultWidth();
  if (width == 1) GTEST_SKIP() << "this machine runs no multi-lane engine";
  constexpr uint64_t kSize = 8 << 20;  // 128 pieces of the lanes' reads
  TempDir dir;
  std::vector<std::string> paths;
  for (unsigned n = 0; n < width; ++n) {
    paths.push_back(dir / ("big" + std::to_string(n)));
    WriteFile(paths.back(), std::to_string(n));
    fs::resize_file(paths.back(), kSize);  // sparse
  }
  FaultInjector faults;
  std::atomic<bool> stop{false};
  // Just as the last lane's file is opened for reading: every lane holds a file.
  faults.BeforeOpening(paths.back(), 2, [&stop] { stop = true; });
  {
    ParallelDigests source(1, [&stop] { return stop.load(); });
    source.ExpectFiles(paths);
    ASSERT_TRUE(WaitUntil([&stop] { return stop.load(); }));
    ExpectSameAnswer(source, paths[0]);
  }
  const std::map<std::string, int> reads = faults.Reads();
  for (unsigned n = 1; n < width; ++n) {
    const auto found = reads.find(paths[n]);
    EXPECT_LT(found == reads.end() ? 0 : found->second, 8) << paths[n];
  }
}

TEST(ParallelDigests, EndsWhereverTheTaskLeftItAndReadsNothingAfterwards) {
  PlanTree tree;
  ForEachPlanAndWidth(8, [&](const PlanKind& kind, const Workers& workers) {
    for (const int asked : {0, 3, PlanTree::kFiles}) {
      SCOPED_TRACE(std::to_string(asked) + " files asked");
      FaultInjector faults;
      {
        ParallelDigests source(workers.jobs, nullptr, workers.lanes);
        kind.give(source, tree);
        for (int n = 0; n < asked; ++n)
          ExpectSameAnswer(source, tree.Path(n));
      }
      const size_t opened = tree.Opened(faults);
      LetThreadsSettle();
      EXPECT_EQ(tree.Opened(faults), opened);
    }
  });
}

}  // namespace
