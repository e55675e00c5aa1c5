#include "app/LinkTarget.h"

namespace app {

namespace {

// Compared as unsigned: the upper half of the code page is text, not control characters.
bool IsBlankOrControl(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}

char AsciiUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

std::string Trimmed(const std::string& text) {
  size_t first = 0;
  size_t end = text.size();
  while (first < end && IsBlankOrControl(text[first]))
    ++first;
  while (end > first && IsBlankOrControl(text[end - 1]))
    --end;
  return text.substr(first, end - first);
}

std::string ClickTarget(const std::string& url, const std::string& caption) {
  const std::string& target = Trimmed(url).empty() ? caption : url;
  return Trimmed(target).empty() ? std::string() : target;
}

std::string UpperExtension(const std::string& target) {
  const size_t dot = target.find_last_of(".\\:");
  if (dot == std::string::npos || target[dot] != '.') return {};
  std::string extension = target.substr(dot);
  for (char& c : extension)
    c = AsciiUpper(c);
  return extension;
}

bool WantsOpenWithDialog(const std::string& target) {
  return UpperExtension(target) == ".HTM";
}

}  // namespace app
