// The search for the files in a checkfile's folder that the checkfile does not list: files
// added after it was made, or picked up by a copy, which a check alone never mentions. The
// console tool runs it after the verification ("vrtly check --unlisted"); the GUI does not.
#pragma once

#include <string>

#include "checkfile/TaskWindow.h"

namespace checkfile {

// Loads the checkfile (the errors of LoadCheckfileLines end the task), walks its folder as the
// generation would (FolderWalk.h) and logs, in walk order, "NOT LISTED: " + full path for every
// file that no entry names (ListedFiles.h), a file whose name a checkfile cannot hold among
// them. A folder the walk cannot search (it cannot be listed, its listing breaks off, or its
// name cannot be stored) is logged as the generation logs it, since files in it may be
// unlisted. Then one closing line (the texts below). After every entry the status shows the
// count and the folder, events are processed and the abort flag is tested; once it is set the
// task logs "OPERATION ABORTED BY USER." once and nothing more. The log is not cleared: the
// lines follow the verification's.
void RunUnlistedSearch(TaskWindow& window, const std::string& checkfileName);

// The closing line: the count of files not listed, followed by this text, ...
inline constexpr char kFilesNotListedText[] = " files are not listed in the checkfile.";
// ... or, when there are none, this one ...
inline constexpr char kEveryFileListedText[] = "Every file in the folder is listed.";
// ... or this one, when there are none in the folders that could be searched but not every
// folder could be.
inline constexpr char kNoneFoundWhereSearchedText[] =
    "No unlisted file was found in the folders that could be searched.";

inline constexpr char kNotListedPrefix[] = "NOT LISTED: ";

}  // namespace checkfile
