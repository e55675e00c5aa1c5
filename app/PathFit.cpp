#include "app/PathFit.h"

namespace app {

namespace {

constexpr char kCutMark[] = "...\\";
constexpr char kRootCut[] = "\\...\\";

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

void CutLeadingFolder(std::string& directory) {
  if (directory == "\\") {
    directory.clear();
    return;
  }
  const bool rooted = StartsWith(directory, "\\");
  if (rooted) directory.erase(0, 1);
  if (StartsWith(directory, kCutMark)) directory.erase(0, sizeof kCutMark - 1);
  const size_t separator = directory.find('\\');
  directory =
      separator == std::string::npos ? std::string() : kCutMark + directory.substr(separator + 1);
  if (rooted) directory.insert(0, 1, '\\');
}

std::string FitPathToWidth(const std::string& path, const TextWidthMeasure& width, int maxWidth) {
  const size_t split = path.find_last_of("\\:");
  std::string directory = split == std::string::npos ? std::string() : path.substr(0, split + 1);
  const std::string name = split == std::string::npos ? path : path.substr(split + 1);
  std::string drive;
  if (directory.size() >= 2 && directory[1] == ':') {
    drive = directory.substr(0, 2);
    directory.erase(0, 2);
  }
  std::string result = path;
  while ((!directory.empty() || !drive.empty()) && width(result) > maxWidth) {
    if (directory == kRootCut) {
      drive.clear();
      directory = kCutMark;
    } else if (directory.empty()) {
      drive.clear();
    } else {
      CutLeadingFolder(directory);
    }
    result = drive + directory + name;
  }
  return result;
}

}  // namespace app
