// What the log costs a task per line: a real main window, shown, takes 100,000 lines the way
// a checkfile run over 100,000 files gives them (AppendLog, SetStatus, ProcessPendingEvents
// per item). Prints the time per line over the run and per stretch, then checks that the
// log holds every line. Run it under Wine in a virtual display; it measures, never asserts.
//
//   LogScaleBench.exe [lines] [--every-line]
//
// --every-line shows each line as it comes (no batching), for comparison at small counts.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/Unit1.h"
#include "ui/Application.h"

namespace {

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

LARGE_INTEGER Now() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now;
}

}  // namespace

int main(int argc, char** argv) {
  const int lines = argc > 1 && argv[1][0] != '-' ? std::atoi(argv[1]) : 100000;
  const bool everyLine = argc > 1 && std::strcmp(argv[argc - 1], "--every-line") == 0;

  ui::OleSession ole;
  ui::Application application;
  application.SetTitle("Veritally");
  app::TForm1 form;
  application.SetMainWindow(&form);
  ShowWindow(form.Handle(), SW_SHOW);
  form.ClearLog();
  form.ProcessPendingEvents();

  char line[128];
  char status[128];
  // The calls that showed a batch: how many took long, and the longest.
  int longPauses = 0;
  double longPauseTotal = 0;
  double longestPause = 0;
  int longestAt = 0;
  const LARGE_INTEGER start = Now();
  LARGE_INTEGER stretchStart = start;
  const int stretch = lines >= 10 ? lines / 10 : 1;
  std::printf("%-8s %-8s %s\n", "lines", "stretch", "us/line in stretch");
  for (int i = 1; i <= lines; ++i) {
    std::snprintf(line, sizeof line, "File: file-%06d-with-a-name-of-average-length.dat", i);
    std::snprintf(status, sizeof status, "%d files processed.\nWorking in C:\\data\\folder-%03d", i,
                  i / 100);
    form.AppendLog(line);
    form.SetStatus(status);
    const LARGE_INTEGER before = Now();
    if (everyLine) form.FlushDisplay();
    form.ProcessPendingEvents();
    const double pause = Seconds(before, Now());
    if (pause > 0.010) {
      ++longPauses;
      longPauseTotal += pause;
    }
    if (pause > longestPause) {
      longestPause = pause;
      longestAt = i;
    }
    if (i % stretch == 0) {
      const LARGE_INTEGER now = Now();
      std::printf("%-8d %-8d %.1f\n", i, stretch, 1e6 * Seconds(stretchStart, now) / stretch);
      std::fflush(stdout);
      stretchStart = now;
    }
  }
  const std::string log = form.LogText();  // the task's end: everything shown
  const LARGE_INTEGER end = Now();

  const double total = Seconds(start, end);
  std::printf("mode %s, %d lines: %.2f s in all, %.1f us per line\n",
              everyLine ? "every line shown at once" : "batched", lines, total,
              1e6 * total / lines);
  std::printf("pauses over 10 ms: %d, %.2f s together; longest %.1f ms at line %d\n", longPauses,
              longPauseTotal, 1e3 * longestPause, longestAt);
  std::printf("log: %zu characters, %d lines in the control, caret at the end: %s\n", log.size(),
              form.Memo1.LineCount() - 1,
              form.Memo1.CaretPosition() == form.Memo1.TextLength() ? "yes" : "no");
  std::snprintf(line, sizeof line, "File: file-%06d-with-a-name-of-average-length.dat\r\n", lines);
  std::printf("last line complete: %s\n",
              log.size() >= std::strlen(line) &&
                      log.compare(log.size() - std::strlen(line), std::strlen(line), line) == 0
                  ? "yes"
                  : "no");
  application.SetMainWindow(nullptr);
  return 0;
}
