// What the console tool is asked to do, read from its arguments.
#pragma once

#include <string>
#include <vector>

namespace cli {

enum class CommandKind {
  Make,     // vrtly make FOLDER
  Check,    // vrtly check CHECKFILE
  Help,     // vrtly --help
  Version,  // vrtly --version
  Invalid,  // anything else; Problem says what is wrong
};

struct Command {
  CommandKind Kind = CommandKind::Invalid;
  std::string Operand;  // the FOLDER or CHECKFILE, exactly as given
  std::string Problem;
};

// args: the arguments after the program name. The word after make or check is taken as the
// operand whatever it looks like, so a folder may be called "--help".
Command ParseCommandLine(const std::vector<std::string>& args);

// The lines that show how to call the tool (after a usage error, on standard error).
std::string UsageText();
// The usage, what the two commands do and the exit codes (for --help, on standard output).
std::string HelpText();
// The --version text.
std::string VersionLine();

}  // namespace cli
