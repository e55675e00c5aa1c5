#include "cli/CommandLine.h"

#include <charconv>

#include "version/Version.h"

namespace cli {

namespace {

constexpr unsigned kMaxJobs = 256;

Command Invalid(std::string problem) {
  Command command;
  command.Problem = std::move(problem);
  return command;
}

bool IsTaskWord(const std::string& word, CommandKind& kind) {
  if (word == "make") {
    kind = CommandKind::Make;
  } else if (word == "check") {
    kind = CommandKind::Check;
  } else if (word == "update") {
    kind = CommandKind::Update;
  } else {
    return false;
  }
  return true;
}

// The number of -j: a whole decimal number from 1 to kMaxJobs.
bool ParseJobs(const std::string& text, TaskOptions& options) {
  unsigned jobs = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, jobs);
  if (error != std::errc() || stop != end || jobs < 1 || jobs > kMaxJobs) return false;
  options.Jobs = jobs;
  return true;
}

// Reads the arguments of a task command: options, then exactly one operand.
class TaskArguments {
 public:
  TaskArguments(CommandKind kind, const std::vector<std::string>& args) : args_(args) {
    command_.Kind = kind;
  }

  Command Parse() {
    bool optionsEnded = false;
    std::vector<std::string> operands;
    for (next_ = 1; next_ < args_.size(); ++next_) {
      const std::string& arg = args_[next_];
      if (!optionsEnded && arg == "--") {
        optionsEnded = true;
      } else if (!optionsEnded && operands.empty() && arg.size() > 1 && arg[0] == '-') {
        if (!TakeOption(arg)) return Invalid(problem_);
      } else {
        operands.push_back(arg);
      }
    }
    const std::string& word = args_[0];
    if (operands.empty()) return Invalid("'" + word + "' needs one argument");
    if (operands.size() > 1)
      return Invalid("'" + word + "' takes one argument, not " + std::to_string(operands.size()));
    command_.Operand = operands[0];
    return command_;
  }

 private:
  bool Fail(std::string problem) {
    problem_ = std::move(problem);
    return false;
  }

  bool TakeJobs(const std::string& text) {
    if (ParseJobs(text, command_.Options)) return true;
    return Fail("'-j' takes a number of jobs from 1 to " + std::to_string(kMaxJobs) + ", not '" +
                text + "'");
  }

  bool TakeOption(const std::string& arg) {
    TaskOptions& options = command_.Options;
    if (arg == "-j" || arg == "--jobs") {
      if (next_ + 1 >= args_.size()) return Fail("'" + arg + "' needs a number of jobs");
      return TakeJobs(args_[++next_]);
    }
    if (arg.rfind("--jobs=", 0) == 0) return TakeJobs(arg.substr(7));
    if (arg.rfind("-j", 0) == 0) return TakeJobs(arg.substr(2));
    if (arg == "-v" || arg == "--verbose") {
      options.Verbose = true;
    } else if (arg == "-q" || arg == "--quiet") {
      options.Quiet = true;
    } else if (arg == "--unlisted" && command_.Kind == CommandKind::Check) {
      options.Unlisted = true;
    } else if (arg == "--unlisted") {
      return Fail("'--unlisted' goes with 'check' only");
    } else {
      return Fail("unknown option '" + arg + "'");
    }
    return true;
  }

  const std::vector<std::string>& args_;
  size_t next_ = 1;
  Command command_;
  std::string problem_;
};

}  // namespace

Command ParseCommandLine(const std::vector<std::string>& args) {
  if (args.empty()) return Invalid("no command given");
  const std::string& word = args[0];
  if (CommandKind kind; IsTaskWord(word, kind)) return TaskArguments(kind, args).Parse();
  const bool alone = args.size() == 1;
  Command command;
  if ((word == "--help" || word == "-h") && alone) {
    command.Kind = CommandKind::Help;
  } else if (word == "--version" && alone) {
    command.Kind = CommandKind::Version;
  } else if (word == "--help" || word == "-h" || word == "--version") {
    return Invalid("'" + word + "' takes no arguments");
  } else {
    return Invalid("unknown command '" + word + "'");
  }
  return command;
}

std::string UsageText() {
  return "Usage: vrtly make [OPTIONS] FOLDER\n"
         "       vrtly check [OPTIONS] CHECKFILE\n"
         "       vrtly update [OPTIONS] FOLDER\n"
         "       vrtly -h | --help | --version\n";
}

std::string HelpText() {
  return UsageText() +
         "\n"
         "Commands:\n"
         "  make FOLDER      digest every file below FOLDER and write FOLDER's checkfile,\n"
         "                   VRTLY-sums.MD5 (hidden and system files are left out)\n"
         "  check CHECKFILE  test every file that CHECKFILE lists, relative to its folder\n"
         "  update FOLDER    bring FOLDER's checkfile up to date: digest the files that are\n"
         "                   new or changed since it was written, keep the digests of the\n"
         "                   others without reading them, drop the files that are gone.\n"
         "                   Logs \"ADDED: \", \"CHANGED: \" (digest differs) and\n"
         "                   \"REMOVED: \" with the path, then \"<a> added, <c> changed,\n"
         "                   <r> removed, <u> unchanged.\"\n"
         "\n"
         "Options (after the command, in any order, before FOLDER or CHECKFILE; -- ends\n"
         "them):\n"
         "  -j N, --jobs N   digest N files at once (1 to 256; -j 1 reads one file at a\n"
         "                   time). Without -j: as many as the machine has cores when the\n"
         "                   folder (for check: the checkfile's folder) lies on solid-state\n"
         "                   or memory-backed storage; one on a rotating disk, an optical\n"
         "                   drive, a network share, or when the kind of medium cannot be\n"
         "                   told. The output is the same for any N.\n"
         "  -v, --verbose    say on standard error how many files are digested at once, and\n"
         "                   why (\"vrtly: 2 jobs (solid-state storage)\")\n"
         "  -q, --quiet      (make, check, update) leave out the Folder:, File: and OK:\n"
         "                   lines that no line about a problem with that folder or file\n"
         "                   follows. A Folder: line is kept, once, when a problem with a\n"
         "                   file logged after it is reported before the next Folder:\n"
         "                   line, so the file can be placed; every other line is kept.\n"
         "  --unlisted       (check) after the summary, walk the checkfile's folder as\n"
         "                   make would and name every file that no entry names:\n"
         "                   \"NOT LISTED: \" and the path, then one closing line,\n"
         "                   \"<n> files are not listed in the checkfile.\" or\n"
         "                   \"Every file in the folder is listed.\". An entry names a\n"
         "                   file only in the form make writes (on Windows letter case\n"
         "                   aside); a folder that cannot be searched is reported.\n"
         "\n"
         "The log goes to standard output; the progress line, when standard error is a\n"
         "terminal, and any message go to standard error. The progress line tells how far\n"
         "the run has come: for check the files tested of all listed and the rate, for\n"
         "make and update the megabytes digested and the rate. Ctrl-C stops the run the\n"
         "way Veritally's Abort button does (update then writes nothing); a second Ctrl-C\n"
         "ends the program at once. FOLDER and CHECKFILE are made full names (the current\n"
         "folder in front of a relative one), so the log names every file by its full\n"
         "name, as Veritally does.\n"
         "\n"
         "Safety: update takes a file as unchanged only when its modification time (on\n"
         "POSIX the later of it and the status-change time) is more than 2 seconds older\n"
         "than the checkfile's modification time, which make and update set to the moment\n"
         "their walk began. So update never marks a changed file as unchanged unless its\n"
         "times were set back on purpose or its folder was renamed into place (two folders\n"
         "swapped: their files keep their times), and then a later check reports the\n"
         "mismatch, never OK. A file that update cannot read keeps its old entry.\n"
         "check never reads file times: it reads every listed file.\n"
         "\n"
         "Exit codes:\n"
         "  0    the checkfile was written with every file; every listed file is OK (with\n"
         "       --unlisted: and every file in the folder is listed)\n"
         "  1    a file could not be digested (make leaves it out, update keeps its old\n"
         "       entry), did not match, could not be tested, or (--unlisted) is not\n"
         "       listed, or a folder could not be searched for such files\n"
         "  2    nothing was made or checked: bad usage, a checkfile that cannot be read or\n"
         "       written, no files to work with, a checkfile that lists no files; or the\n"
         "       log could not be written in full\n"
         "  130  stopped by Ctrl-C\n";
}

std::string VersionLine() {
  return "vrtly (Veritally) " VRTLY_FILE_VERSION_TEXT "\n";
}

}  // namespace cli
