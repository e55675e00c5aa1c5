// Real file systems for tests that need what only a mount gives: a small disc that fills up, a
// read-only medium, a second file system below a first, a folder reachable by a second path.
// Mounting needs root; a test whose mount fails says so and skips. POSIX only.
#pragma once

#include <string>

namespace testing_support {

class Mount {
 public:
  // A memory file system of the given size at the folder (made if missing).
  static Mount Tmpfs(const std::string& at, const std::string& size = "1m");
  // The folder from, also at the folder at.
  static Mount Bind(const std::string& from, const std::string& at);
  ~Mount();
  Mount(Mount&& other) noexcept;
  Mount(const Mount&) = delete;
  Mount& operator=(const Mount&) = delete;
  Mount& operator=(Mount&&) = delete;

  bool Mounted() const { return mounted_; }
  bool MakeReadOnly();

 private:
  Mount(std::string at, bool mounted) : at_(std::move(at)), mounted_(mounted) {}

  std::string at_;
  bool mounted_;
};

inline constexpr char kCannotMount[] = "mounting is refused here (it needs root)";

}  // namespace testing_support
