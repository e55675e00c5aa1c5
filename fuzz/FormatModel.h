// The fuzz target's plain model of the checkfile format (its line breaks and entry lines), and
// the report that ends the run when a task differs from its model.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz_checks {

using Lines = std::vector<std::string>;

// The format's line breaks said another way: CR LF is one break, then every CR or LF left is
// one; nothing after a zero byte counts; a break at the very end ends the last line.
inline Lines ModelLines(std::string_view bytes) {
  std::string text(bytes.substr(0, bytes.find('\0')));
  std::string unified;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;  // the LF ends it
    unified += text[i] == '\r' ? '\n' : text[i];
  }
  Lines lines;
  size_t start = 0;
  while (start < unified.size()) {
    const size_t end = unified.find('\n', start);
    if (end == std::string::npos) {
      lines.push_back(unified.substr(start));
      break;
    }
    lines.push_back(unified.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

struct ModelEntry {
  std::string digest;
  std::string path;
};

inline std::optional<ModelEntry> ModelEntryOf(const std::string& line) {
  if (line.empty() || line[0] == ';' || line.size() < 34 || line[32] != '|') return std::nullopt;
  return ModelEntry{line.substr(0, 32), line.substr(33, 10000)};
}

[[noreturn]] inline void Fail(const char* what, const Lines& expected, const Lines& actual) {
  fprintf(stderr, "checkfile_fuzzer: %s\n--- expected (%zu lines)\n", what, expected.size());
  for (const std::string& line : expected)
    fprintf(stderr, "  [%s]\n", line.c_str());
  fprintf(stderr, "--- actual (%zu lines)\n", actual.size());
  for (const std::string& line : actual)
    fprintf(stderr, "  [%s]\n", line.c_str());
  abort();
}

}  // namespace fuzz_checks
