// What the console tool is asked to do, read from its arguments.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace cli {

enum class CommandKind {
  Make,     // vrtly make [OPTIONS] FOLDER
  Check,    // vrtly check [OPTIONS] CHECKFILE
  Update,   // vrtly update [OPTIONS] FOLDER
  Help,     // vrtly --help
  Version,  // vrtly --version
  Invalid,  // anything else; Problem says what is wrong
};

struct TaskOptions {
  std::optional<unsigned> Jobs;  // -j N; none: chosen by the medium the files lie on
  bool Verbose = false;          // -v: say how many jobs run and why
  bool Quiet = false;            // -q: only the lines about problems, and the summaries
  bool Unlisted = false;         // --unlisted (check): also the files the checkfile leaves out
};

struct Command {
  CommandKind Kind = CommandKind::Invalid;
  std::string Operand;  // the FOLDER or CHECKFILE, exactly as given
  TaskOptions Options;
  std::string Problem;
};

// args: the arguments after the program name. After the command word come the options, in any
// order, then the operand; "--" ends the options, so an operand may begin with "-".
Command ParseCommandLine(const std::vector<std::string>& args);

// The lines that show how to call the tool (after a usage error, on standard error).
std::string UsageText();
// The usage, the commands, the options, the safety rules and the exit codes (for --help, on
// standard output).
std::string HelpText();
// The --version text.
std::string VersionLine();

}  // namespace cli
