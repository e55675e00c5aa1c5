// vrtly: the console companion of Veritally. Runs the generation ("make") or the verification
// ("check") through a console window; see HelpText for the usage and the exit codes.
#include <exception>
#include <string>
#include <vector>

#include "checkfile/Tasks.h"
#include "cli/CommandLine.h"
#include "cli/Console.h"
#include "cli/ConsoleWindow.h"

namespace {

using cli::ExitCode;

int Code(ExitCode code) {
  return static_cast<int>(code);
}

int RunConsoleTask(cli::TaskKind kind, const std::string& operand) {
  cli::CatchInterrupts();
  cli::ConsoleWindow window(kind, operand);
  checkfile::DigestOnRequest digests;
  if (kind == cli::TaskKind::Generation) {
    checkfile::RunTask(window, checkfile::RunGeneration, digests);
  } else {
    checkfile::RunTask(window, checkfile::RunVerification, digests);
  }
  return Code(window.Finish());
}

int Run(const cli::Command& command) {
  switch (command.Kind) {
    case cli::CommandKind::Make:
      return RunConsoleTask(cli::TaskKind::Generation, command.Operand);
    case cli::CommandKind::Check:
      return RunConsoleTask(cli::TaskKind::Verification, command.Operand);
    case cli::CommandKind::Update:
      cli::WriteText(cli::Stream::Err, "vrtly: 'update' is not available yet\n");
      return Code(ExitCode::Trouble);
    case cli::CommandKind::Help:
      return Code(cli::WriteText(cli::Stream::Out, cli::HelpText()) ? ExitCode::Success
                                                                    : ExitCode::Trouble);
    case cli::CommandKind::Version:
      return Code(cli::WriteText(cli::Stream::Out, cli::VersionLine()) ? ExitCode::Success
                                                                       : ExitCode::Trouble);
    case cli::CommandKind::Invalid:
      break;
  }
  cli::WriteText(cli::Stream::Err, "vrtly: " + command.Problem + "\n" + cli::UsageText());
  return Code(ExitCode::Trouble);
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(cli::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc)));
  } catch (const std::exception& error) {
    // Only running out of memory gets here: the tasks report everything else themselves.
    cli::WriteText(cli::Stream::Err, std::string("vrtly: ") + error.what() + "\n");
    return Code(ExitCode::Trouble);
  }
}
