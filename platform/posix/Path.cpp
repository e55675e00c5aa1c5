#include "platform/Path.h"

#include <algorithm>

namespace platform {

namespace {
constexpr char kStoredSeparator = '\\';
}  // namespace

std::string JoinPath(const std::string& folder, const std::string& name) {
  std::string path;
  path.reserve(folder.size() + 1 + name.size());  // one allocation, however long the parts
  path += folder;
  if (folder.size() != 1 || folder[0] != kPathSeparator) path += kPathSeparator;
  path += name;
  return path;
}

bool RemoveTrailingSeparator(std::string& folder) {
  if (folder.size() < 2 || folder.back() != kPathSeparator) return false;
  folder.pop_back();
  return true;
}

std::string FolderPartOf(const std::string& fileName) {
  const size_t last = fileName.rfind(kPathSeparator);
  return last == std::string::npos ? std::string() : fileName.substr(0, last + 1);
}

bool IsStorableName(const std::string& name) {
  return name.find_first_of("\\\r\n") == std::string::npos;
}

std::string ComparablePath(std::string path) {
  return path;
}

std::string ToStoredPath(std::string relativePath) {
  std::replace(relativePath.begin(), relativePath.end(), kPathSeparator, kStoredSeparator);
  return relativePath;
}

std::string FromStoredPath(std::string storedPath) {
  std::replace(storedPath.begin(), storedPath.end(), kStoredSeparator, kPathSeparator);
  return storedPath;
}

}  // namespace platform
