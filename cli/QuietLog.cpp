#include "cli/QuietLog.h"

#include <set>
#include <string_view>

#include "checkfile/Generation.h"
#include "digest/CryptoAPI.h"

namespace cli {

namespace {

bool StartsWith(const std::string& line, std::string_view prefix) {
  return line.compare(0, prefix.size(), prefix) == 0;
}

// The lines a walk logs right after a "Folder: " or "File: " line when something is wrong with
// that folder or file: every message of a failed digest, and the walk's own.
const std::set<std::string, std::less<>>& EntryProblemTexts() {
  static const std::set<std::string, std::less<>> texts = [] {
    std::set<std::string, std::less<>> all = {
        checkfile::kCannotListFolderText, checkfile::kLinkLoopText, checkfile::kUnstorableNameText};
    // The failure codes, and one past them for the text of an unknown code.
    for (int32_t code = digest::HASH_UNKNOWN_TYPE; code <= digest::HASH_TEST_FAILED + 1; ++code)
      all.insert(digest::HashErrorText(code));
    return all;
  }();
  return texts;
}

}  // namespace

QuietLog::Kind QuietLog::Classify(const std::string& line) {
  if (StartsWith(line, "Folder: ")) return Kind::Folder;
  if (StartsWith(line, "File: ")) return Kind::File;
  if (StartsWith(line, "OK: ")) return Kind::Ok;
  if (EntryProblemTexts().count(line) != 0) return Kind::EntryProblem;
  return Kind::Other;
}

}  // namespace cli
