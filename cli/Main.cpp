// vrtly: the console companion of Veritally. Runs the generation ("make"), the verification
// ("check", with the search for unlisted files after it) or the update of a checkfile
// ("update") through a console window; see HelpText for the usage and the exit codes.
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "checkfile/Tasks.h"
#include "checkfile/Unlisted.h"
#include "checkfile/Update.h"
#include "cli/CommandLine.h"
#include "cli/Console.h"
#include "cli/ConsoleWindow.h"
#include "cli/FullName.h"
#include "cli/Jobs.h"

namespace {

using cli::ExitCode;

int Code(ExitCode code) {
  return static_cast<int>(code);
}

// check --unlisted: the search for unlisted files follows a verification that ran to its end.
void RunUnlistedSearch(cli::ConsoleWindow& window) {
  try {
    checkfile::RunUnlistedSearch(window, window.CheckfileName());
  } catch (const checkfile::TaskError& error) {
    window.ShowErrorBox(error.what());
  }
}

int RunConsoleTask(cli::TaskKind kind, const cli::Command& command) {
  cli::CatchInterrupts();
  cli::ConsoleWindow window(kind, command.Operand, command.Options.Quiet);
  const cli::JobChoice jobs = cli::ChooseJobs(kind, command.Operand, command.Options.Jobs);
  if (command.Options.Verbose) cli::WriteText(cli::Stream::Err, cli::JobChoiceLine(jobs));
  const std::unique_ptr<checkfile::DigestSource> source = cli::MakeDigestSource(jobs.Count);
  checkfile::DigestSource& digests = window.Metered(*source);
  switch (kind) {
    case cli::TaskKind::Generation:
      checkfile::RunTask(window, checkfile::RunGeneration, digests);
      break;
    case cli::TaskKind::Verification:
      checkfile::RunTask(window, checkfile::RunVerification, digests);
      if (command.Options.Unlisted && window.TaskRanToTheEnd()) RunUnlistedSearch(window);
      break;
    case cli::TaskKind::Update:
      checkfile::RunTask(window, checkfile::RunUpdate, digests);
      break;
  }
  return Code(window.Finish());
}

int Run(const cli::Command& command) {
  switch (command.Kind) {
    case cli::CommandKind::Make:
      return RunConsoleTask(cli::TaskKind::Generation, command);
    case cli::CommandKind::Check:
      return RunConsoleTask(cli::TaskKind::Verification, command);
    case cli::CommandKind::Update:
      return RunConsoleTask(cli::TaskKind::Update, command);
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

// The command line's words come from words(), which may run out of memory too.
template <typename Words>
int Main(Words words) {
  try {
    return Run(cli::ParseCommandLine(words()));
  } catch (const std::exception& error) {
    // Only running out of memory gets here: the tasks report everything else themselves.
    cli::WriteText(cli::Stream::Err, std::string("vrtly: ") + error.what() + "\n");
    return Code(ExitCode::Trouble);
  }
}

}  // namespace

#ifdef _WIN32
// Wide, so that a name outside the code page reaches the tool as "?" (NarrowedArguments).
int wmain(int argc, wchar_t** argv) {
  return Main([&] { return cli::NarrowedArguments(argc, argv); });
}
#else
int main(int argc, char** argv) {
  return Main([&] { return std::vector<std::string>(argv + 1, argv + argc); });
}
#endif
