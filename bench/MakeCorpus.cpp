// Makes the whole-job benchmark's corpora from a fixed seed, so every run measures the same
// trees:
//
//   vrtly_corpus one-large   FOLDER SEED   one file of 1 GiB
//   vrtly_corpus small-files FOLDER SEED   20,000 files of 1 to 16 KiB in 500 folders, at most
//                                          4 below FOLDER
//   vrtly_corpus large-files FOLDER SEED   300 files of 1 to 64 MiB in 10 folders, about 2 GiB
//                                          (the size is 1 MiB * 64^(u^3) for u uniform in
//                                          [0, 1): mostly small, a few up to 64 MiB)
//
// Prints the number of files and folders and the total size. The bytes are a fast
// pseudo-random stream; any bytes serve, as long as they are the same each time.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// splitmix64 (Steele, Lea, Flood 2014): one 64-bit state, every output a bijection of it.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform in [low, high].
  uint64_t Between(uint64_t low, uint64_t high) { return low + Next() % (high - low + 1); }
  // Uniform in [0, 1).
  double Unit() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }

 private:
  uint64_t state_;
};

struct Totals {
  uint64_t files = 0;
  uint64_t folders = 0;
  uint64_t bytes = 0;
};

bool WriteRandomFile(const fs::path& path, uint64_t size, Random& random, Totals& totals) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  std::vector<uint64_t> block(1 << 16);
  for (uint64_t left = size; left > 0;) {
    for (uint64_t& word : block)
      word = random.Next();
    const uint64_t bytes = std::min<uint64_t>(left, block.size() * sizeof(uint64_t));
    out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(bytes));
    left -= bytes;
  }
  ++totals.files;
  totals.bytes += size;
  return out.good();
}

std::string Numbered(const char* stem, uint64_t n, size_t width) {
  std::string digits = std::to_string(n);
  if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
  return stem + digits;
}

bool OneLarge(const fs::path& root, Random& random, Totals& totals) {
  return WriteRandomFile(root / "one-large.bin", uint64_t{1} << 30, random, totals);
}

bool SmallFiles(const fs::path& root, Random& random, Totals& totals) {
  struct Folder {
    fs::path path;
    int depth;
  };
  std::vector<Folder> folders = {{root, 0}};
  std::vector<size_t> parents = {0};  // the folders that may hold another level
  for (uint64_t n = 0; n < 500; ++n) {
    const Folder parent = folders[parents[random.Between(0, parents.size() - 1)]];
    const Folder folder = {parent.path / Numbered("d", n, 3), parent.depth + 1};
    fs::create_directory(folder.path);
    ++totals.folders;
    if (folder.depth < 4) parents.push_back(folders.size());
    folders.push_back(folder);
  }
  for (uint64_t n = 0; n < 20000; ++n) {
    const Folder& folder = folders[random.Between(0, folders.size() - 1)];
    if (!WriteRandomFile(folder.path / (Numbered("f", n, 5) + ".bin"),
                         random.Between(1024, 16 * 1024), random, totals))
      return false;
  }
  return true;
}

bool LargeFiles(const fs::path& root, Random& random, Totals& totals) {
  for (uint64_t n = 0; n < 10; ++n) {
    fs::create_directory(root / Numbered("d", n, 2));
    ++totals.folders;
  }
  for (uint64_t n = 0; n < 300; ++n) {
    const double u = random.Unit();
    const auto size = static_cast<uint64_t>(std::ldexp(1.0, 20) * std::pow(64.0, u * u * u));
    const fs::path folder = root / Numbered("d", random.Between(0, 9), 2);
    if (!WriteRandomFile(folder / (Numbered("f", n, 3) + ".bin"), size, random, totals))
      return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: vrtly_corpus one-large|small-files|large-files FOLDER SEED\n");
    return 2;
  }
  const std::string kind = argv[1];
  const fs::path root = argv[2];
  Random random(std::strtoull(argv[3], nullptr, 10));
  fs::create_directories(root);
  Totals totals;
  bool made = false;
  if (kind == "one-large") {
    made = OneLarge(root, random, totals);
  } else if (kind == "small-files") {
    made = SmallFiles(root, random, totals);
  } else if (kind == "large-files") {
    made = LargeFiles(root, random, totals);
  } else {
    std::fprintf(stderr, "vrtly_corpus: unknown corpus %s\n", kind.c_str());
    return 2;
  }
  if (!made) {
    std::fprintf(stderr, "vrtly_corpus: cannot write %s\n", root.c_str());
    return 1;
  }
  std::printf("%llu files in %llu folders, %llu bytes\n",
              static_cast<unsigned long long>(totals.files),
              static_cast<unsigned long long>(totals.folders),
              static_cast<unsigned long long>(totals.bytes));
  return 0;
}
