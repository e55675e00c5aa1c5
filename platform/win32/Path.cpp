#include "platform/Path.h"

#include <windows.h>

namespace platform {

std::string JoinPath(const std::string& folder, const std::string& name) {
  std::string path;
  path.reserve(folder.size() + 1 + name.size());  // one allocation, however long the parts
  path += folder;
  path += kPathSeparator;
  path += name;
  return path;
}

bool RemoveTrailingSeparator(std::string& folder) {
  if (folder.empty() || folder.back() != kPathSeparator) return false;
  folder.pop_back();
  return true;
}

std::string FolderPartOf(const std::string& fileName) {
  const size_t last = fileName.find_last_of("\\:");
  return last == std::string::npos ? std::string() : fileName.substr(0, last + 1);
}

bool IsStorableName(const std::string&) {
  return true;
}

std::string ComparablePath(std::string path) {
  if (!path.empty()) CharUpperBuffA(path.data(), static_cast<DWORD>(path.size()));
  return path;
}

std::string ToStoredPath(std::string relativePath) {
  return relativePath;
}

std::string FromStoredPath(std::string storedPath) {
  return storedPath;
}

}  // namespace platform
