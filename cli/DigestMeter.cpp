#include "cli/DigestMeter.h"

#include <cstdio>

#include "digest/CryptoAPI.h"
#include "platform/FileTime.h"

namespace cli {

void DigestMeter::ExpectFiles(std::vector<std::string> paths) {
  totalKnown_ = true;
  total_ = paths.size();
  source_.ExpectFiles(std::move(paths));
}

int32_t DigestMeter::Digest(const std::string& path, std::string& digestText) {
  const int32_t code = source_.Digest(path, digestText);
  ++files_;
  // The size from the folder entry: a third opening of the file would cost more than the
  // progress line is worth.
  if (uint64_t size = 0;
      measuring_ && code == digest::HASH_OK && platform::FileSizeWithoutOpening(path, size))
    bytes_ += size;
  return code;
}

std::string DigestMeter::Text() const {
  if (!measuring_) return std::string();
  const double seconds = std::chrono::duration<double>(Clock::now() - start_).count();
  const double rate = seconds > 0 ? static_cast<double>(bytes_) / seconds : 0;
  const std::string speed = Megabytes(rate) + " MB/s";
  if (totalKnown_)
    return std::to_string(files_) + "/" + std::to_string(total_) + " files, " + speed;
  return Megabytes(static_cast<double>(bytes_)) + " MB, " + speed;
}

std::string Megabytes(double bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", bytes / 1e6);
  return text;
}

}  // namespace cli
