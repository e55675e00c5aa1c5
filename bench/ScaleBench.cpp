// The two tasks over a large tree, one phase per process so that each phase's peak memory is
// its own (bench/run section "scale" drives it):
//
//   vrtly_scale make FOLDER COUNT   makes COUNT small files in FOLDER, 1000 to a subfolder
//   vrtly_scale generate FOLDER     "Go!" on FOLDER
//   vrtly_scale verify FOLDER       "Open Checkfile..." on FOLDER's checkfile
//
// Each phase prints "key value" lines: the wall time, the peak resident memory, and the counts
// that show every file has its line (entry lines in the checkfile, "OK: " lines in the log).
// The window counts the log's lines instead of keeping them, as a console does.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "checkfile/CheckfileFormat.h"
#include "checkfile/Tasks.h"
#include "platform/Path.h"
#include "version/Version.h"

namespace {

namespace fs = std::filesystem;

constexpr size_t kFilesPerFolder = 1000;

class CountingWindow : public checkfile::TaskWindow {
 public:
  explicit CountingWindow(std::string folder, std::string checkfile = std::string())
      : folder_(std::move(folder)), checkfile_(std::move(checkfile)) {}

  void AppendLog(const std::string& line) override {
    ++lines;
    if (line.rfind("File: ", 0) == 0) ++fileLines;
    if (line.rfind("Folder: ", 0) == 0) ++folderLines;
    if (line.rfind("OK: ", 0) == 0) ++okLines;
    if (line.rfind("ERROR: ", 0) == 0) ++errorLines;
    last = line;
  }
  void ClearLog() override {}
  void SetStatus(const std::string&) override { ++statusUpdates; }
  std::string StatusBanner() override { return "banner"; }
  void ProcessPendingEvents() override {}
  void ShowMessageBox(const std::string& text) override { last = "box: " + text; }
  void ShowErrorBox(const std::string& message) override { last = "error box: " + message; }
  void ShowStatusNow() override {}
  void EnterState(checkfile::TaskState) override {}
  bool IsAbortRequested() override { return false; }
  void SetAbortRequested(bool) override {}
  std::string GetSelectedFolder() override { return folder_; }
  void SetSelectedFolder(const std::string& folder) override { folder_ = folder; }
  std::string VersionText() override { return VRTLY_FILE_VERSION_TEXT; }
  bool RunOpenDialog(const std::string&, std::string& fileName) override {
    fileName = checkfile_;
    return true;
  }

  size_t lines = 0, fileLines = 0, folderLines = 0, okLines = 0, errorLines = 0;
  size_t statusUpdates = 0;
  std::string last;

 private:
  std::string folder_;
  std::string checkfile_;
};

long PeakResidentKiB() {
  rusage usage = {};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;  // KiB on Linux
}

template <typename F>
double SecondsOf(F&& f) {
  const auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

int Make(const std::string& folder, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "d%zu", i / kFilesPerFolder);
    const fs::path sub = fs::path(folder) / name;
    if (i % kFilesPerFolder == 0) fs::create_directories(sub);
    std::snprintf(name, sizeof name, "f%zu.bin", i);
    std::ofstream out(sub / name, std::ios::binary);
    out << "file " << i << " of " << count << "\n" << std::string(i % 200, 'x');
    if (!out) return 1;
  }
  std::printf("files %zu\n", count);
  return 0;
}

// Entry lines of the checkfile, and how many distinct paths they name.
void CountEntries(const std::string& checkfilePath, size_t& entries, size_t& distinct) {
  std::ifstream in(checkfilePath, std::ios::binary);
  std::set<std::string> paths;
  entries = 0;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > 33 && line[0] != ';' && line[32] == '|') {
      ++entries;
      paths.insert(line.substr(33));
    }
  }
  distinct = paths.size();
}

int Generate(const std::string& folder) {
  CountingWindow window(folder);
  const double seconds = SecondsOf([&] { checkfile::RunTask(window, checkfile::RunGeneration); });
  size_t entries = 0, distinct = 0;
  CountEntries(checkfile::CheckfilePath(folder), entries, distinct);
  std::printf("seconds %.2f\npeak_rss_kib %ld\nfile_lines %zu\nfolder_lines %zu\n", seconds,
              PeakResidentKiB(), window.fileLines, window.folderLines);
  std::printf("log_lines %zu\nentry_lines %zu\ndistinct_paths %zu\nlast %s\n", window.lines,
              entries, distinct, window.last.c_str());
  return 0;
}

int Verify(const std::string& folder) {
  CountingWindow window(folder, checkfile::CheckfilePath(folder));
  const double seconds = SecondsOf([&] { checkfile::RunTask(window, checkfile::RunVerification); });
  std::printf("seconds %.2f\npeak_rss_kib %ld\nok_lines %zu\nerror_lines %zu\n", seconds,
              PeakResidentKiB(), window.okLines, window.errorLines);
  std::printf("log_lines %zu\nlast %s\n", window.lines, window.last.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 2 ? argv[1] : "";
  if (mode == "make" && argc == 4) return Make(argv[2], std::strtoul(argv[3], nullptr, 10));
  if (mode == "generate" && argc == 3) return Generate(argv[2]);
  if (mode == "verify" && argc == 3) return Verify(argv[2]);
  std::fprintf(stderr, "usage: vrtly_scale make FOLDER COUNT | generate FOLDER | verify FOLDER\n");
  return 2;
}
