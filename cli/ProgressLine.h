// The task's status line on a terminal: one line on standard error that overwrites itself.
// It is drawn at most every 50 ms, so a run over many small files pays a clock reading a file
// for it and nothing more; a run shorter than that never shows it.
#pragma once

#include <chrono>
#include <string>

namespace cli {

class ProgressLine {
 public:
  // Shown only when standard error is a terminal; otherwise every call does nothing.
  ProgressLine();

  bool Enabled() const { return enabled_; }
  // Whether the line is on the terminal (the cursor then stands on it, not at a line start).
  bool Shown() const { return shown_; }

  // Keeps the latest status text; true when it is time to draw it.
  bool Take(const std::string& text);
  // Keeps what the line shows after the status text: how far the task has come.
  void SetMeasure(std::string measure) { measure_ = std::move(measure); }
  // Draws the latest text over the line, cut to the terminal's width (a status text of two
  // lines shows as one); the measure stands at the end, whole, and the status text is cut to
  // leave room for it (on a terminal too narrow for both, the status text alone is shown).
  void Draw();
  // Blanks the line and leaves the cursor at its start, for other output to follow.
  void Erase();

 private:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds kInterval{50};

  static std::string FittedText(const std::string& text, size_t columns, size_t& shown);

  bool enabled_;
  std::string text_;
  std::string measure_;
  Clock::time_point nextDraw_;
  size_t shownColumns_ = 0;  // the characters of the line last drawn
  bool shown_ = false;
};

}  // namespace cli
