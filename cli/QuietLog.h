// The log as --quiet shows it: the task's lines with every "Folder: ", "File: " and "OK: " line
// left out that no line about a problem with that folder or file follows; every other line is
// shown as it is, in its place.
//
// Which lines belong together: a "File: " line is shown when the line right after it reports a
// problem with that file (it could not be digested, or its name cannot be stored). A "Folder: "
// line is shown when a problem with the folder itself or with a file logged after it is
// reported before the next "Folder: " line (the walk logs a subfolder's files right after its
// "Folder: " line), so each problem can be placed as in the full log; it is shown once, before
// the first such problem's lines. The "Folder: " lines of the folders above it are not shown:
// each carries the whole path.
#pragma once

#include <string>

namespace cli {

class QuietLog {
 public:
  // Takes the next line of the task's log and calls show with each line to be shown now, in
  // order (none, the line itself, or held-back lines and then the line).
  template <typename Show>
  void Take(const std::string& line, Show&& show) {
    switch (Classify(line)) {
      case Kind::Folder:
        folder_ = line;
        folderHeld_ = true;
        fileHeld_ = false;
        return;
      case Kind::File:
        file_ = line;
        fileHeld_ = true;
        return;
      case Kind::Ok:
        fileHeld_ = false;
        return;
      case Kind::EntryProblem:
        if (folderHeld_) show(folder_);
        if (fileHeld_) show(file_);
        folderHeld_ = fileHeld_ = false;
        show(line);
        return;
      case Kind::Other:
        fileHeld_ = false;
        show(line);
        return;
    }
  }

 private:
  enum class Kind {
    Folder,
    File,
    Ok,
    EntryProblem,  // a line about a problem with the folder or file logged just before
    Other,
  };
  static Kind Classify(const std::string& line);

  std::string folder_;
  std::string file_;
  bool folderHeld_ = false;
  bool fileHeld_ = false;
};

}  // namespace cli
