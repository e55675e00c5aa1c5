// HashFile against md5sum on one large file that is already in the page cache, end to end:
// opening, 4096-byte reads and digesting for ours, a whole md5sum process for the peer. The
// file is named by VRTLY_BENCH_FILE (bench/run makes it); without it these are skipped.
//
// Each benchmark labels its result with the digest it got, so the caller can see that both
// digested the same bytes. The plain read loops show what the reads alone cost.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "digest/CryptoAPI.h"
#include "platform/File.h"

extern char** environ;

using namespace digest;

namespace {

const char* BenchFile() {
  return std::getenv("VRTLY_BENCH_FILE");
}

// Runs md5sum on the file and gives the digest text it printed, or empty text on failure.
std::string RunMd5sum(const char* path) {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return {};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
  char program[] = "md5sum";
  std::string pathArgument = path;
  char* argv[] = {program, pathArgument.data(), nullptr};
  pid_t child = 0;
  const int spawned = posix_spawnp(&child, program, &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeEnds[1]);

  std::string output;
  char chunk[256];
  ssize_t got = 0;
  while (spawned == 0 && (got = read(pipeEnds[0], chunk, sizeof chunk)) > 0)
    output.append(chunk, static_cast<size_t>(got));
  close(pipeEnds[0]);
  int status = 0;
  if (spawned != 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
      WEXITSTATUS(status) != 0 || output.size() < 32)
    return {};
  return output.substr(0, 32);
}

void HashFile_Md5(benchmark::State& state) {
  const char* path = BenchFile();
  if (path == nullptr) state.SkipWithError("VRTLY_BENCH_FILE is not set");
  std::string digest;
  for (auto _ : state) {
    const int32_t code = HashFile(HASH_MD5, path, digest);
    if (code != HASH_OK) state.SkipWithError(HashErrorText(code).c_str());
  }
  state.SetLabel(digest);
}

void Md5sum(benchmark::State& state) {
  const char* path = BenchFile();
  if (path == nullptr) state.SkipWithError("VRTLY_BENCH_FILE is not set");
  std::string digest;
  for (auto _ : state) {
    digest = RunMd5sum(path);
    if (digest.empty()) state.SkipWithError("md5sum failed");
  }
  state.SetLabel(digest);
}

// Reads the whole file in pieces of the given size and digests nothing.
void ReadOnly(benchmark::State& state) {
  const char* path = BenchFile();
  if (path == nullptr) state.SkipWithError("VRTLY_BENCH_FILE is not set");
  std::vector<uint8_t> buffer(static_cast<size_t>(state.range(0)));
  int64_t total = 0;
  for (auto _ : state) {
    platform::File file = platform::File::OpenForRead(path);
    uint32_t got = 0;
    while (file.Read(buffer.data(), static_cast<uint32_t>(buffer.size()), got) && got > 0)
      total += got;
  }
  state.SetBytesProcessed(total);
}

constexpr int kRounds = 5;

BENCHMARK(HashFile_Md5)
    ->Iterations(1)
    ->Repetitions(kRounds)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(Md5sum)->Iterations(1)->Repetitions(kRounds)->UseRealTime()->Unit(
    benchmark::kMillisecond);
BENCHMARK(ReadOnly)
    ->Arg(4096)
    ->Arg(32768)
    ->Iterations(1)
    ->Repetitions(kRounds)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
