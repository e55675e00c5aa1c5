// Tables of task runs on real trees. Each case builds a tree (its files, and what files cannot
// say: links, a held file, fault rules), runs one task on it and states the whole log; the
// runner checks that log exactly, and what every run of that task must leave.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "checkfile/CheckfileFormat.h"
#include "checkfile/TaskWindow.h"
#include "platform/File.h"
#include "tests/support/CheckfileSamples.h"
#include "tests/support/FaultInjector.h"
#include "tests/support/RecordingWindow.h"
#include "tests/support/TestFiles.h"

namespace testing_support {

// Where one case runs: its folder, its fault rules, and a file held open for writing (so that
// no task can open it) until the task is over.
struct Scene {
  TempDir dir;
  FaultInjector faults;
  platform::File held;

  void Hold(const std::string& name) {
    held = platform::File::CreateForWrite(dir / name);
    ASSERT_TRUE(held.IsOpen()) << name;
  }
};

// "Go!" on the tree: the log before the "saved to" line (paths in braces lie in the tree) and
// the entry lines of the checkfile written.
struct WalkCase {
  const char* what;
  FileList files;
  Lines log;
  std::string entries;
  std::function<void(Scene&)> arrange = {};
  std::function<void(Scene&, RecordingWindow&)> alsoCheck = {};
};

inline void ExpectWalk(const WalkCase& c) {
  SCOPED_TRACE(c.what);
  Scene scene;
  WriteFiles(scene.dir, c.files);
  if (c.arrange) c.arrange(scene);
  RecordingWindow window;
  const std::string root = scene.dir.path().string();
  Generate(window, root);
  scene.held.Close();

  Lines log = InDir(scene.dir, c.log);
  log.push_back(SavedTo(root));
  EXPECT_EQ(window.log, log);
  EXPECT_EQ(WithoutTimestamp(ReadFile(scene.dir / checkfile::kCheckfileName)),
            kVersionHeaderLine + c.entries);
  EXPECT_EQ(window.state, checkfile::TaskState::Idle);
  EXPECT_EQ(window.Count(RecordingWindow::Op::ShowMessageBox) +
                window.Count(RecordingWindow::Op::ShowErrorBox),
            0u);
  if (c.alsoCheck) c.alsoCheck(scene, window);
}

// "Open Checkfile..." on the checkfile c.MD5 of the tree: the line each entry gives (paths in
// braces lie in the tree) and the counts of the summary after them.
struct CheckCase {
  struct Counts {
    size_t tested, notTested, mismatched;
  };
  const char* what;
  FileList files;
  Lines results;
  Counts summary;
  std::function<void(Scene&)> arrange = {};
};

inline void ExpectCheck(const CheckCase& c) {
  SCOPED_TRACE(c.what);
  Scene scene;
  WriteFiles(scene.dir, c.files);
  if (c.arrange) c.arrange(scene);
  RecordingWindow window;
  Verify(window, scene.dir / "c.MD5");
  scene.held.Close();

  Lines log = {"Testing MD5 sums in " + (scene.dir / "c.MD5")};
  Append(log, InDir(scene.dir, c.results));
  Append(log, Summary(c.summary.tested, c.summary.notTested, c.summary.mismatched));
  EXPECT_EQ(window.log, log);
  EXPECT_EQ(window.status, window.banner);
  // Each entry line, and no other line, shows the status, lets the events through and tests
  // the abort flag; the banner and one more test of the flag come after the last.
  using Op = RecordingWindow::Op;
  EXPECT_EQ(window.Count(Op::SetStatus), c.results.size() + 1);
  EXPECT_EQ(window.Count(Op::ProcessPendingEvents), c.results.size());
  EXPECT_EQ(window.Count(Op::IsAbortRequested), c.results.size() + 1);
}

}  // namespace testing_support
