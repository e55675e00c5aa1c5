// What a file costs beyond its bytes when files are small: HashFile as the product calls it,
// against the same MD5 fed by plain system calls, once with two openings a file (the size,
// then the contents, the way HashFile works) and once with one (how md5sum reads a file). The
// gap between the first and the second is what our guards add (the type check before every
// opening, the whole-file locks that stand in for share modes); the gap between the second and
// the last is what the second opening costs. A fourth does the two plain openings after one
// type check: the least that still never opens a device.
//
// The files are those below VRTLY_BENCH_TREE (bench/run gives it the 20,000-file corpus);
// without it these are skipped. Each benchmark labels its result with the XOR of all the
// digests it got, so the caller can see that all of them digested the same bytes.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "digest/CryptoAPI.h"
#include "platform/File.h"

using namespace digest;

namespace {

// The plain files below the tree, sorted, so every benchmark visits them in the same order.
const std::vector<std::string>& TreeFiles() {
  static const std::vector<std::string> files = [] {
    std::vector<std::string> found;
    const char* tree = std::getenv("VRTLY_BENCH_TREE");
    if (tree == nullptr) return found;
    std::error_code error;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(tree, error)) {
      if (entry.is_regular_file(error)) found.push_back(entry.path().string());
    }
    std::sort(found.begin(), found.end());
    return found;
  }();
  return files;
}

// Folds a digest text into a running fingerprint of all digests: the XOR of their hex digits,
// position by position, kept as hex digits itself.
void Fold(std::string& fingerprint, const std::string& digest) {
  static const std::string kDigits = "0123456789abcdef";
  if (fingerprint.empty()) fingerprint.assign(digest.size(), '0');
  for (size_t i = 0; i < digest.size() && i < fingerprint.size(); ++i)
    fingerprint[i] = kDigits[(kDigits.find(fingerprint[i]) ^ kDigits.find(digest[i])) & 15];
}

// The size with an opening of its own: open, fstat, close.
bool PlainSize(const std::string& path, off_t& size) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info;
  const bool known = fstat(fd, &info) == 0;
  close(fd);
  if (known) size = info.st_size;
  return known;
}

// The contents in 4096-byte reads into the MD5 of the hash API, up to size bytes or, when
// size is negative, to the end; the size is taken from the same opening then.
bool PlainDigest(const std::string& path, off_t size, std::string& digest) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info;
  if (size < 0 && fstat(fd, &info) == 0) size = info.st_size;
  HashContext context;
  HashInit(&context, HASH_MD5);
  uint8_t buffer[platform::kReadChunk];
  off_t fed = 0;
  ssize_t got = 0;
  while (fed < size && (got = read(fd, buffer, sizeof buffer)) > 0) {
    const off_t take = std::min<off_t>(got, size - fed);
    HashUpdate(&context, buffer, static_cast<uint32_t>(take));
    fed += take;
  }
  close(fd);
  return fed == size && HashFinal(&context, digest) == HASH_OK;
}

template <typename DigestOne>
void DigestTree(benchmark::State& state, DigestOne digestOne) {
  const std::vector<std::string>& files = TreeFiles();
  if (files.empty()) state.SkipWithError("VRTLY_BENCH_TREE is not set or holds no files");
  std::string fingerprint;
  for (auto _ : state) {
    fingerprint.clear();
    std::string digest;
    for (const std::string& path : files) {
      if (!digestOne(path, digest)) {
        state.SkipWithError(("could not digest " + path).c_str());
        return;
      }
      Fold(fingerprint, digest);
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(files.size()));
  state.SetLabel(fingerprint);
}

void SmallFiles_HashFile(benchmark::State& state) {
  DigestTree(state, [](const std::string& path, std::string& digest) {
    return HashFile(HASH_MD5, path, digest) == HASH_OK;
  });
}

void SmallFiles_TwoPlainOpenings(benchmark::State& state) {
  DigestTree(state, [](const std::string& path, std::string& digest) {
    off_t size = 0;
    return PlainSize(path, size) && PlainDigest(path, size, digest);
  });
}

// The least a safe reading of the two openings could do: one stat first, so that a device is
// never opened, and neither locks nor checks after it.
void SmallFiles_TypeCheckThenTwoOpenings(benchmark::State& state) {
  DigestTree(state, [](const std::string& path, std::string& digest) {
    struct stat info;
    off_t size = 0;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && PlainSize(path, size) &&
           PlainDigest(path, size, digest);
  });
}

void SmallFiles_OnePlainOpening(benchmark::State& state) {
  DigestTree(state, [](const std::string& path, std::string& digest) {
    return PlainDigest(path, -1, digest);
  });
}

constexpr int kRounds = 5;

BENCHMARK(SmallFiles_HashFile)
    ->Iterations(1)
    ->Repetitions(kRounds)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(SmallFiles_TwoPlainOpenings)
    ->Iterations(1)
    ->Repetitions(kRounds)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(SmallFiles_TypeCheckThenTwoOpenings)
    ->Iterations(1)
    ->Repetitions(kRounds)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(SmallFiles_OnePlainOpening)
    ->Iterations(1)
    ->Repetitions(kRounds)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
