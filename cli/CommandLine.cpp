#include "cli/CommandLine.h"

#include "app/resources/Version.h"

namespace cli {

namespace {

Command Invalid(std::string problem) {
  return {CommandKind::Invalid, std::string(), std::move(problem)};
}

Command TaskCommand(CommandKind kind, const std::vector<std::string>& args) {
  if (args.size() < 2) return Invalid("'" + args[0] + "' needs one argument");
  if (args.size() > 2)
    return Invalid("'" + args[0] + "' takes one argument, not " + std::to_string(args.size() - 1));
  return {kind, args[1], std::string()};
}

}  // namespace

Command ParseCommandLine(const std::vector<std::string>& args) {
  if (args.empty()) return Invalid("no command given");
  const std::string& word = args[0];
  if (word == "make") return TaskCommand(CommandKind::Make, args);
  if (word == "check") return TaskCommand(CommandKind::Check, args);
  const bool alone = args.size() == 1;
  if ((word == "--help" || word == "-h") && alone) return {CommandKind::Help, {}, {}};
  if (word == "--version" && alone) return {CommandKind::Version, {}, {}};
  if (word == "--help" || word == "-h" || word == "--version")
    return Invalid("'" + word + "' takes no arguments");
  return Invalid("unknown command '" + word + "'");
}

std::string UsageText() {
  return "Usage: vrtly make FOLDER\n"
         "       vrtly check CHECKFILE\n"
         "       vrtly --help | --version\n";
}

std::string HelpText() {
  return UsageText() +
         "\n"
         "  make FOLDER      digest every file below FOLDER and write FOLDER's checkfile,\n"
         "                   VRTLY-sums.MD5 (hidden and system files are left out)\n"
         "  check CHECKFILE  test every file that CHECKFILE lists, relative to its folder\n"
         "\n"
         "The log goes to standard output; the progress line, when standard error is a\n"
         "terminal, and any message go to standard error. Ctrl-C stops the run the way\n"
         "Veritally's Abort button does; a second Ctrl-C ends the program at once.\n"
         "FOLDER and CHECKFILE are made full names (the current folder in front of a\n"
         "relative one), so the log names every file by its full name, as Veritally does.\n"
         "\n"
         "Exit codes:\n"
         "  0    the checkfile was written with every file; every listed file is OK\n"
         "  1    a file could not be digested (it is not in the checkfile), did not match,\n"
         "       or could not be tested\n"
         "  2    nothing was made or checked: bad usage, a checkfile that cannot be read or\n"
         "       written, no files to work with, a checkfile that lists no files; or the\n"
         "       log could not be written in full\n"
         "  130  stopped by Ctrl-C\n";
}

std::string VersionLine() {
  return "vrtly (Veritally) " VRTLY_FILE_VERSION_TEXT "\n";
}

}  // namespace cli
