#include "checkfile/ListedFiles.h"

#include "checkfile/CheckfileFormat.h"
#include "platform/Path.h"

namespace checkfile {

ListedFiles::ListedFiles(const std::vector<std::string>& lines, const std::string& baseFolder) {
  CheckfileEntry entry;
  for (const std::string& line : lines) {
    if (!ParseEntryLine(line, entry)) continue;
    std::string path = ListedPath(baseFolder, std::move(entry.RelativePath));
    const auto [found, isNew] = byPath_.try_emplace(platform::ComparablePath(path), files_.size());
    if (!isNew) {
      Listed& listed = files_[found->second];
      if (listed.DigestText != entry.DigestText) listed.DigestTrusted = false;
      continue;
    }
    const bool trusted = IsGeneratedDigestText(entry.DigestText);
    files_.push_back({std::move(path), entry.DigestText, trusted});
  }
}

size_t ListedFiles::Find(const std::string& path) const {
  const auto found = byPath_.find(platform::ComparablePath(path));
  return found == byPath_.end() ? kNone : found->second;
}

bool IsGeneratedDigestText(const std::string& text) {
  if (text.size() != 32) return false;
  for (const char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

}  // namespace checkfile
