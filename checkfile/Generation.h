// The folder walk behind the generation (RunGeneration in Tasks.h).
#pragma once

#include <optional>
#include <string>

#include "checkfile/DigestSource.h"
#include "checkfile/MD5Node.h"
#include "checkfile/TaskWindow.h"
#include "platform/DirectorySearch.h"

namespace checkfile {

// Walks folder (without trailing separator) as FolderWalk.h says: logs "Folder: " for every
// subfolder and "File: " for every file, digests each file into the scan list (a file that
// cannot be digested is logged with its message and left out). After every entry it shows the
// count and the folder in the status line, processes pending events and tests the abort flag;
// once the flag is set each level empties the list, logs "OPERATION ABORTED BY USER." and
// returns. Returns why, when the folder could not be searched at all; nothing when it was
// walked, or held nothing visible.
std::optional<platform::DirectorySearch::Failure> ScanFolder(TaskWindow& window,
                                                             const std::string& folder,
                                                             TMD5NodeArray& scanList,
                                                             DigestSource& digests);

// The log line after a subfolder's "Folder: " line when the walk could not go into it, so that
// its files are never missing without a word (an empty folder has no such line).
inline constexpr char kCannotListFolderText[] = "Could not list folder";
inline constexpr char kLinkLoopText[] =
    "Not walked again: the folder is already being walked (a link loop)";
// Followed by the folder: its listing broke off, so entries after the last one logged may be
// missing.
inline constexpr char kListingBrokeText[] = "Could not list the rest of ";

// The log line for a file or folder whose name the checkfile cannot hold (POSIX names with
// "\", CR or LF); it follows the entry's "File: " or "Folder: " line, and the entry is left out.
inline constexpr char kUnstorableNameText[] =
    "Not listed: a name with \"\\\" or a line break cannot be stored in the checkfile";

}  // namespace checkfile
