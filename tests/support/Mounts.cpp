#include "tests/support/Mounts.h"

#include <sys/mount.h>

#include <filesystem>

namespace testing_support {

Mount Mount::Tmpfs(const std::string& at, const std::string& size) {
  std::filesystem::create_directories(at);
  const std::string options = "size=" + size;
  return Mount(at, mount("vrtly-test", at.c_str(), "tmpfs", 0, options.c_str()) == 0);
}

Mount Mount::Bind(const std::string& from, const std::string& at) {
  std::filesystem::create_directories(at);
  return Mount(at, mount(from.c_str(), at.c_str(), nullptr, MS_BIND, nullptr) == 0);
}

Mount::Mount(Mount&& other) noexcept : at_(std::move(other.at_)), mounted_(other.mounted_) {
  other.mounted_ = false;
}

Mount::~Mount() {
  if (mounted_) umount2(at_.c_str(), MNT_DETACH);
}

bool Mount::MakeReadOnly() {
  return mount(nullptr, at_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}

}  // namespace testing_support
