// The application object: its title, the event loop and the pending-event pump, the report of
// an error that escapes a handler, and the program-wide settings (cursor table, current
// directory fallback of the open dialogs).
#pragma once

#include <windows.h>

#include <map>
#include <string>

namespace ui {

class Window;

// Cursor numbers of the cursor table. Components register their own under numbers > 0.
inline constexpr int kCursorDefault = 0;
inline constexpr int kCursorArrow = -2;
inline constexpr int kCursorHourGlass = -11;

class CursorTable {
 public:
  CursorTable();
  // Registers a cursor under a number, replacing any cursor registered under it.
  void Set(int number, HCURSOR cursor) { cursors_[number] = cursor; }
  // The cursor registered under the number; the arrow for an unknown number.
  HCURSOR Get(int number) const;

 private:
  std::map<int, HCURSOR> cursors_;
};

// OLE for the user-interface thread, from construction to destruction.
class OleSession {
 public:
  OleSession() : initialized_(SUCCEEDED(OleInitialize(nullptr))) {}
  ~OleSession() {
    if (initialized_) OleUninitialize();
  }
  OleSession(const OleSession&) = delete;
  OleSession& operator=(const OleSession&) = delete;

 private:
  bool initialized_;
};

class Application {
 public:
  // Initialises COM for the calling thread; there is one application object at a time.
  Application();
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  static Application& Current() { return *current_; }
  static Application* CurrentOrNull() { return current_; }

  // The taskbar text and the caption of the program's message boxes.
  const std::string& Title() const { return title_; }
  void SetTitle(std::string title) { title_ = std::move(title); }

  Window* MainWindow() const { return mainWindow_; }
  void SetMainWindow(Window* window) { mainWindow_ = window; }

  // Shows the main window, then waits for and dispatches events until the program ends.
  void Run();
  // Dispatches every event already queued, then returns; never waits. A quit request found
  // in the queue is not dispatched: it only marks the program as ending.
  void ProcessPendingEvents();
  // Asks the program to end: the event loop stops once control returns to it.
  void Terminate() { PostQuitMessage(0); }
  bool Terminated() const { return terminated_; }
  // Lets a new event loop run after an earlier one ended (tests run several in one process).
  void ResetTerminated() { terminated_ = false; }

  // The report of an error that escaped a handler: the message, with a full stop added
  // after a letter or digit, in a modal box with the title, the stop icon and OK.
  void ShowErrorBox(const std::string& message);
  // A modal box with the text, word-wrapped to half the screen width, and one OK button.
  void ShowMessageBox(const std::string& text);

  // When on, an open dialog without an initial folder starts in the current directory.
  bool CurrentDirFallback() const { return currentDirFallback_; }
  void SetCurrentDirFallback(bool on) { currentDirFallback_ = on; }

  CursorTable& Cursors() { return cursors_; }
  // The cursor every window of the program shows, kCursorDefault to let each show its own.
  int ScreenCursor() const { return screenCursor_; }
  void SetScreenCursor(int number);

 private:
  // Takes one event from the queue and dispatches it; false when the queue was empty.
  bool DispatchNext();
  void Dispatch(MSG& message);
  bool HandleDialogKey(const MSG& message);

  static Application* current_;

  bool comInitialized_ = false;
  std::string title_;
  Window* mainWindow_ = nullptr;
  bool terminated_ = false;
  bool currentDirFallback_ = false;
  CursorTable cursors_;
  int screenCursor_ = kCursorDefault;
};

// The program's main window; null when there is none.
HWND MainWindowHandle();
// The window a new modal window belongs to: the active one, else the main window.
HWND ModalOwner();

// Shows the hourglass (or another cursor) over the whole program for the scope's length.
class ScopedScreenCursor {
 public:
  explicit ScopedScreenCursor(int number = kCursorHourGlass)
      : previous_(Application::Current().ScreenCursor()) {
    Application::Current().SetScreenCursor(number);
  }
  ~ScopedScreenCursor() { Application::Current().SetScreenCursor(previous_); }
  ScopedScreenCursor(const ScopedScreenCursor&) = delete;
  ScopedScreenCursor& operator=(const ScopedScreenCursor&) = delete;

 private:
  int previous_;
};

}  // namespace ui
