// Real files and folders for tests, removed again when the test ends.
#pragma once

#include <filesystem>
#include <string>

namespace testing_support {

// A fresh, empty folder under the system's temporary folder; removed with its contents.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The full path of a name inside the folder, in the platform's native form.
  std::string operator/(const std::string& name) const;

 private:
  std::filesystem::path path_;
};

// Writes the bytes to the file, creating the folders on the way.
void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);

// count bytes of a repeating, position-dependent pattern (not all equal, not periodic in 64).
std::string PatternBytes(size_t count);

}  // namespace testing_support
