// The console tool's exit codes, as its help text and the README list them.
#pragma once

namespace cli {

enum class ExitCode : int {
  // The checkfile was written with every file of the tree; every listed file is OK.
  Success = 0,
  // The task ran to its end, but a file could not be digested (make: it is not in the
  // checkfile), did not match, or could not be tested.
  FilesFailed = 1,
  // Nothing was made or checked: bad usage, a checkfile that cannot be read or written, no
  // files to work with, a checkfile that lists no files. Also: the log could not be written
  // in full (a full disk, a closed pipe).
  Trouble = 2,
  // Ctrl-C stopped the run (the shells' code for a run ended by SIGINT).
  Interrupted = 130,
};

}  // namespace cli
