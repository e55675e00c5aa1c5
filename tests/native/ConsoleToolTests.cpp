// The parts of the console tool that do not touch the console, in process: the command line,
// the log with --quiet, how a run's outcome is read from its log, and the meter behind the
// progress line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "checkfile/Generation.h"
#include "checkfile/Unlisted.h"
#include "cli/CommandLine.h"
#include "cli/DigestMeter.h"
#include "cli/QuietLog.h"
#include "cli/TaskOutcome.h"
#include "tests/support/TestFiles.h"

namespace {

using cli::CommandKind;
using cli::ExitCode;
using cli::TaskKind;
using Lines = std::vector<std::string>;

constexpr char kSaved[] = "Operation complete.  Check file saved to /d/VRTLY-sums.MD5";
constexpr char kAborted[] = "OPERATION ABORTED BY USER.";

struct ParseCase {
  Lines args;
  CommandKind kind;
  const char* operand;
  unsigned jobs;  // 0: none given
  bool verbose;
  bool quiet;
  bool unlisted;
};

// Options after the command word, in any order, before the operand; "--" ends them.
TEST(ConsoleTool, ReadsOptionsInAnyOrderBeforeTheOperand) {
  const ParseCase cases[] = {
      {Lines{"make", "d"}, CommandKind::Make, "d", 0, false, false, false},
      {Lines{"check", "--unlisted", "-q", "c"}, CommandKind::Check, "c", 0, false, true, true},
      {Lines{"check", "-q", "--unlisted", "c"}, CommandKind::Check, "c", 0, false, true, true},
      {Lines{"check", "--quiet", "-j", "3", "--unlisted", "c"}, CommandKind::Check, "c", 3, false,
       true, true},
      {Lines{"update", "-v", "-j2", "d"}, CommandKind::Update, "d", 2, true, false, false},
      {Lines{"update", "--jobs=4", "--verbose", "-q", "d"}, CommandKind::Update, "d", 4, true, true,
       false},
      {Lines{"update", "--", "-d"}, CommandKind::Update, "-d", 0, false, false, false},
      {Lines{"make", "-q", "--", "--unlisted"}, CommandKind::Make, "--unlisted", 0, false, true,
       false},
      {Lines{"check", "-"}, CommandKind::Check, "-", 0, false, false, false},
  };
  for (const ParseCase& row : cases) {
    SCOPED_TRACE(testing::PrintToString(row.args));
    const cli::Command command = cli::ParseCommandLine(row.args);
    EXPECT_EQ(command.Problem, "");
    EXPECT_EQ(command.Kind, row.kind);
    EXPECT_EQ(command.Operand, row.operand);
    EXPECT_EQ(command.Options.Jobs.value_or(0), row.jobs);
    EXPECT_EQ(command.Options.Verbose, row.verbose);
    EXPECT_EQ(command.Options.Quiet, row.quiet);
    EXPECT_EQ(command.Options.Unlisted, row.unlisted);
  }
}

TEST(ConsoleTool, RefusesOptionsThatDoNotFitAndMisplacedOnes) {
  const struct {
    Lines args;
    const char* problem;
  } cases[] = {
      {{"make", "--unlisted", "d"}, "'--unlisted' goes with 'check' only"},
      {{"update", "--unlisted", "d"}, "'--unlisted' goes with 'check' only"},
      {{"make", "d", "-q"}, "'make' takes one argument, not 2"},
      {{"update", "--", "a", "b"}, "'update' takes one argument, not 2"},
      {{"update"}, "'update' needs one argument"},
      {{"update", "-q"}, "'update' needs one argument"},
      {{"check", "--all", "c"}, "unknown option '--all'"},
      {{"-q", "make", "d"}, "unknown command '-q'"},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.problem);
    const cli::Command command = cli::ParseCommandLine(row.args);
    EXPECT_EQ(command.Kind, CommandKind::Invalid);
    EXPECT_EQ(command.Problem, row.problem);
  }
}

TEST(ConsoleTool, TheHelpNamesTheNewCommandOptionsAndRules) {
  const std::string help = cli::HelpText();
  for (const char* text :
       {"update FOLDER", "--unlisted", "-q, --quiet", "NOT LISTED: ", "ADDED: ", "CHANGED: ",
        "REMOVED: ", "Every file in the folder is listed.", "check never reads file times"}) {
    EXPECT_NE(help.find(text), std::string::npos) << text;
  }
}

Lines Quiet(const Lines& log) {
  cli::QuietLog quiet;
  Lines shown;
  for (const std::string& line : log)
    quiet.Take(line, [&shown](const std::string& kept) { shown.push_back(kept); });
  return shown;
}

struct QuietCase {
  const char* name;
  Lines log;
  Lines shown;
};

TEST(ConsoleTool, QuietShowsTheProblemsWithTheirFolderAndFileLinesAndEverythingElse) {
  const std::string cannotOpen = "Could not open file";
  const std::string cannotRead = "Could not read file";
  const std::vector<QuietCase> cases = {
      {"make without a problem", {"File: a", "Folder: /d/s", "File: b", kSaved}, {kSaved}},
      {"a file in the top folder that cannot be read",
       {"File: a", cannotOpen, "File: b", kSaved},
       {"File: a", cannotOpen, kSaved}},
      {"files in a subfolder: its folder line once, before the first",
       {"File: a", "Folder: /d/s", "File: b", "File: c", cannotRead, "File: d", cannotOpen,
        "Folder: /d/t", "File: e", kSaved},
       {"Folder: /d/s", "File: c", cannotRead, "File: d", cannotOpen, kSaved}},
      {"folders that cannot be walked, and names that cannot be stored",
       {"Folder: /d/x", checkfile::kCannotListFolderText, "Folder: /d/y", checkfile::kLinkLoopText,
        "Folder: /d/z", "File: back\\slash", checkfile::kUnstorableNameText, "Folder: /d/w\\v",
        checkfile::kUnstorableNameText, "Folder: /d/ok", kSaved},
       {"Folder: /d/x", checkfile::kCannotListFolderText, "Folder: /d/y", checkfile::kLinkLoopText,
        "Folder: /d/z", "File: back\\slash", checkfile::kUnstorableNameText, "Folder: /d/w\\v",
        checkfile::kUnstorableNameText, kSaved}},
      {"a broken listing names its folder itself",
       {"Folder: /d/s", "File: a", std::string(checkfile::kListingBrokeText) + "/d/s", kSaved},
       {std::string(checkfile::kListingBrokeText) + "/d/s", kSaved}},
      {"a check: every line but the OK lines",
       {"Testing MD5 sums in /d/c.MD5", "OK: /d/a", "ERROR: Could not open file (/d/b)", "OK: /d/c",
        "Operation complete.", "", "2 files tested.", "1 files could not ..."},
       {"Testing MD5 sums in /d/c.MD5", "ERROR: Could not open file (/d/b)", "Operation complete.",
        "", "2 files tested.", "1 files could not ..."}},
      {"an update: its own lines stand alone",
       {"File: a", "ADDED: /d/a", "Folder: /d/s", "File: b", "CHANGED: /d/s/b", "File: c",
        "REMOVED: /d/q", kSaved, "1 added, 1 changed, 1 removed, 1 unchanged."},
       {"ADDED: /d/a", "CHANGED: /d/s/b", "REMOVED: /d/q", kSaved,
        "1 added, 1 changed, 1 removed, 1 unchanged."}},
      {"the unlisted files after a check",
       {"EVERY FILE APPEARS OK!", "NOT LISTED: /d/n", "Folder: /d/x",
        checkfile::kCannotListFolderText, "1 files are not listed in the checkfile."},
       {"EVERY FILE APPEARS OK!", "NOT LISTED: /d/n", "Folder: /d/x",
        checkfile::kCannotListFolderText, "1 files are not listed in the checkfile."}},
      {"stopped", {"Folder: /d/s", "File: a", kAborted, kAborted}, {kAborted, kAborted}},
      {"file names that read like problems are still file lines",
       {"File: Could not open file", "File: OK: x", kSaved},
       {kSaved}},
  };
  for (const QuietCase& row : cases) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(Quiet(row.log), row.shown);
  }
}

struct OutcomeCase {
  const char* name;
  TaskKind kind;
  Lines log;
  bool box;
  ExitCode code;
  bool ranToTheEnd;
};

TEST(ConsoleTool, ReadsTheExitCodeOfUpdateAndUnlistedFromTheLog) {
  const char* ok = "EVERY FILE APPEARS OK!";
  const Lines checked = {"Testing MD5 sums in /d/c", "OK: /d/a", "Operation complete.", "",
                         "1 files tested.",          ok};
  auto after = [&checked](const Lines& more) {
    Lines log = checked;
    log.insert(log.end(), more.begin(), more.end());
    return log;
  };
  const std::string counts = "1 added, 1 changed, 1 removed, 1 unchanged.";
  const std::vector<OutcomeCase> cases = {
      {"update written", TaskKind::Update,
       Lines{"File: a", "ADDED: /d/a", "CHANGED: /d/b", "REMOVED: /d/c", kSaved, counts}, false,
       ExitCode::Success, true},
      {"update with a file it could not digest", TaskKind::Update,
       Lines{"File: a", "Could not open file", kSaved, counts}, false, ExitCode::FilesFailed, true},
      {"update with a folder it could not list", TaskKind::Update,
       Lines{"Folder: /d/s", checkfile::kCannotListFolderText, kSaved, counts}, false,
       ExitCode::FilesFailed, true},
      {"update stopped", TaskKind::Update, Lines{"File: a", kAborted}, false, ExitCode::Interrupted,
       false},
      {"update without a checkfile, or without files", TaskKind::Update, Lines{}, true,
       ExitCode::Trouble, false},
      {"check, every file listed", TaskKind::Verification, after({checkfile::kEveryFileListedText}),
       false, ExitCode::Success, true},
      {"check, a file not listed", TaskKind::Verification,
       after({"NOT LISTED: /d/n", "1 files are not listed in the checkfile."}), false,
       ExitCode::FilesFailed, true},
      {"check, a folder not searched", TaskKind::Verification,
       after({"Folder: /d/x", checkfile::kCannotListFolderText,
              checkfile::kNoneFoundWhereSearchedText}),
       false, ExitCode::FilesFailed, true},
      {"check, stopped while looking for unlisted files", TaskKind::Verification,
       after({"NOT LISTED: /d/n", kAborted}), false, ExitCode::Interrupted, false},
      {"check of a checkfile that lists nothing", TaskKind::Verification,
       Lines{"Testing MD5 sums in /d/c", "Operation complete.", "", "No files were tested.",
             "NOT LISTED: /d/n", "1 files are not listed in the checkfile."},
       false, ExitCode::Trouble, true},
      {"check stopped before its summary", TaskKind::Verification,
       Lines{"Testing MD5 sums in /d/c", kAborted}, false, ExitCode::Interrupted, false},
      {"make as before", TaskKind::Generation, Lines{"File: a", "Could not open file", kSaved},
       false, ExitCode::FilesFailed, true},
  };
  for (const OutcomeCase& row : cases) {
    SCOPED_TRACE(row.name);
    cli::TaskOutcome outcome(row.kind);
    for (const std::string& line : row.log)
      outcome.SawLogLine(line);
    if (row.box) outcome.SawErrorBox();
    EXPECT_EQ(outcome.Code(), row.code);
    EXPECT_EQ(outcome.RanToTheEnd(), row.ranToTheEnd);
  }
}

// Answers every request at once, with the code it is given.
class FixedDigests final : public checkfile::DigestSource {
 public:
  void ExpectWalk(const std::string&, std::function<bool(const std::string&)>) override {}
  void ExpectFiles(std::vector<std::string> paths) override { expected = paths.size(); }
  int32_t Digest(const std::string&, std::string& digestText) override {
    digestText.assign(32, '0');
    return code;
  }
  int32_t code = 0;
  size_t expected = 0;
};

// ", <digits>.<digit> MB/s" at the end.
bool EndsWithRate(const std::string& text) {
  const size_t start = text.rfind(", ");
  const size_t unit = text.rfind(" MB/s");
  if (start == std::string::npos || unit == std::string::npos || unit + 5 != text.size())
    return false;
  const std::string number = text.substr(start + 2, unit - start - 2);
  const size_t point = number.find('.');
  return point != std::string::npos && point > 0 && point + 2 == number.size() &&
         number.find_first_not_of("0123456789.") == std::string::npos;
}

TEST(ConsoleTool, TheMeterCountsFilesAndTheBytesOfThoseDigested) {
  testing_support::TempDir dir;
  const std::string file = dir / "f.bin";
  testing_support::WriteFile(file, std::string(2'500'000, 'x'));

  FixedDigests source;
  cli::DigestMeter walk(source, true);
  EXPECT_EQ(walk.Text().rfind("0.0 MB, ", 0), 0u) << walk.Text();
  std::string digest;
  walk.Digest(file, digest);
  source.code = 5;  // could not open: no bytes
  walk.Digest(file, digest);
  EXPECT_EQ(walk.Text().rfind("2.5 MB, ", 0), 0u) << walk.Text();
  EXPECT_TRUE(EndsWithRate(walk.Text())) << walk.Text();

  cli::DigestMeter check(source, true);
  check.ExpectFiles({file, file, file});
  EXPECT_EQ(source.expected, 3u);  // passed on
  check.Digest(file, digest);
  EXPECT_EQ(check.Text().rfind("1/3 files, ", 0), 0u) << check.Text();
  EXPECT_TRUE(EndsWithRate(check.Text())) << check.Text();

  cli::DigestMeter off(source, false);
  off.Digest(file, digest);
  EXPECT_EQ(off.Text(), "");
  EXPECT_EQ(cli::Megabytes(12'345'678), "12.3");
}

}  // namespace
