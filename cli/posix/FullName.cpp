#include "cli/FullName.h"

#include <unistd.h>

#include <memory>

namespace cli {

namespace {

bool CurrentFolder(std::string& folder) {
  const std::unique_ptr<char, decltype(&free)> cwd(getcwd(nullptr, 0), &free);
  if (!cwd) return false;
  folder = cwd.get();
  return true;
}

}  // namespace

std::string FullName(const std::string& name) {
  if (name.empty()) return name;
  std::string path = name;
  if (name[0] != '/') {
    std::string cwd;
    if (!CurrentFolder(cwd)) return name;
    path = cwd + "/" + name;
  }
  std::string full;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    const std::string_view component(path.data() + start, end - start);
    if (!component.empty() && component != ".") {
      full += '/';
      full += component;
    }
    start = end + 1;
  }
  return full.empty() ? std::string("/") : full;
}

}  // namespace cli
