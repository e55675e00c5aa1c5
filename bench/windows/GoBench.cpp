// What "Go!" costs in the real main window: the window is made and shown as the program shows
// it, the folder becomes SelectedFolder, and a click on the Make page's tab and then on "Go!"
// is posted as the mouse's button messages and dispatched from the queue; the time counts from the
// click to the return of its handler, which is when the generation task has ended. Prints that
// time, then what the window shows at the end, so that a run that did not complete is seen. Run it
// under Wine in a virtual display; bench/run times it beside vrtly.exe make. It measures, never
// asserts.
//
//   GoBench.exe FOLDER
//
// Output: "task_ms 1234.5"; "events_ms" and "events_calls", the time the task spent in the
// window's ProcessPendingEvents (which also shows the batched log lines and the status line)
// and how often it called it; "idle_events_us", what one call of the application's event pump
// costs when nothing is queued, measured before the click; then "log_lines N", "last_line ...",
// "status ..." (the first line of the status text).
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <string>

#include "app/Unit1.h"
#include "ui/Application.h"

namespace {

LARGE_INTEGER Now() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now;
}

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1e3 * static_cast<double>(to.QuadPart - from.QuadPart) /
         static_cast<double>(frequency.QuadPart);
}

// A left click at a point of a window's client area, posted as the mouse would send it.
void PostClickAt(HWND window, POINT at) {
  const LPARAM where = MAKELPARAM(at.x, at.y);
  PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, where);
  PostMessageA(window, WM_LBUTTONUP, 0, where);
}

void PostClick(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  PostClickAt(window, {client.right / 2, client.bottom / 2});
}

void SelectMakePage(app::TForm1& form) {
  RECT tab{};
  SendMessageA(form.PageControl1.Handle(), TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&tab));
  PostClickAt(form.PageControl1.Handle(), {(tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2});
  ui::Application::Current().ProcessPendingEvents();
}

std::string LastLine(const std::string& log) {
  std::string text = log;
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
    text.pop_back();
  const size_t start = text.rfind('\n');
  return start == std::string::npos ? text : text.substr(start + 1);
}

size_t LineCount(const std::string& log) {
  size_t lines = 0;
  for (char c : log)
    lines += c == '\n' ? 1 : 0;
  return lines;
}

// The main window, timing the task's calls of ProcessPendingEvents.
class TimedForm : public app::TForm1 {
 public:
  void ProcessPendingEvents() override {
    const LARGE_INTEGER before = Now();
    app::TForm1::ProcessPendingEvents();
    eventsMs += Milliseconds(before, Now());
    ++eventsCalls;
  }

  double eventsMs = 0;
  long eventsCalls = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: GoBench.exe FOLDER\n");
    return 2;
  }
  ui::OleSession ole;
  ui::Application application;
  application.SetTitle("Veritally");
  TimedForm form;
  application.SetMainWindow(&form);
  ShowWindow(form.Handle(), SW_SHOWNORMAL);
  UpdateWindow(form.Handle());
  application.ProcessPendingEvents();
  SelectMakePage(form);
  form.SetSelectedFolder(argv[1]);

  // What dispatching nothing costs: the floor of every ProcessPendingEvents of the task.
  constexpr int kIdleCalls = 2000;
  const LARGE_INTEGER idleStart = Now();
  for (int i = 0; i < kIdleCalls; ++i)
    application.ProcessPendingEvents();
  const double idleUs = 1e3 * Milliseconds(idleStart, Now()) / kIdleCalls;

  form.eventsMs = 0;
  form.eventsCalls = 0;
  const LARGE_INTEGER start = Now();
  PostClick(form.ButtonGo.Handle());
  application.ProcessPendingEvents();  // returns once the click's handler has returned
  const LARGE_INTEGER end = Now();

  const std::string log = form.LogText();
  const std::string status = form.StatusText();
  std::printf("task_ms %.1f\n", Milliseconds(start, end));
  std::printf("events_ms %.1f\nevents_calls %ld\n", form.eventsMs, form.eventsCalls);
  std::printf("idle_events_us %.1f\n", idleUs);
  std::printf("log_lines %zu\n", LineCount(log));
  std::printf("last_line %s\n", LastLine(log).c_str());
  std::printf("status %s\n", status.substr(0, status.find('\n')).c_str());
  application.SetMainWindow(nullptr);
  return 0;
}
