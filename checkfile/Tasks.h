// The two tasks of the program, each run to its end by the front end's command that starts it:
// RunGeneration writes the selected folder's checkfile, RunVerification tests the files of the
// checkfile the user chooses.
//
// Errors: a task reports per-file failures in the log and goes on. A failure that ends it (the
// checkfile cannot be created, written, opened or read) is thrown as TaskError, after the
// window has been returned to idle; the task never shows the error box itself. The one place
// that turns a TaskError into ShowErrorBox is whoever dispatches the click: the GUI's window
// procedure, which catches TaskError from every handler, or RunTask below for callers without
// such a catch (the console tool, the tests). Either way the box gets the raw message and the
// window adds the full stop (ErrorBoxText).
#pragma once

#include "checkfile/DigestSource.h"
#include "checkfile/TaskWindow.h"

namespace checkfile {

// Walks GetSelectedFolder() (one trailing separator removed from the field), digests every
// file, writes the folder's checkfile and logs the outcome.
void RunGeneration(TaskWindow& window);
// The same with the digests from the given source (the console tool's reading ahead).
void RunGeneration(TaskWindow& window, DigestSource& digests);

// Asks for a checkfile with RunOpenDialog (starting in GetSelectedFolder()), tests every file
// it lists against the checkfile's own folder and logs each result and a summary. A cancelled
// dialog changes nothing.
void RunVerification(TaskWindow& window);
void RunVerification(TaskWindow& window, DigestSource& digests);

// Runs the task; a TaskError that ends it goes to window.ShowErrorBox.
inline void RunTask(TaskWindow& window, void (*task)(TaskWindow&)) {
  try {
    task(window);
  } catch (const TaskError& error) {
    window.ShowErrorBox(error.what());
  }
}
inline void RunTask(TaskWindow& window, void (*task)(TaskWindow&, DigestSource&),
                    DigestSource& digests) {
  try {
    task(window, digests);
  } catch (const TaskError& error) {
    window.ShowErrorBox(error.what());
  }
}

}  // namespace checkfile
