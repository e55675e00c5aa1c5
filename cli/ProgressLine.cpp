#include "cli/ProgressLine.h"

#include "cli/Console.h"

namespace cli {

ProgressLine::ProgressLine()
    : enabled_(IsTerminal(Stream::Err)), nextDraw_(Clock::now() + kInterval) {}

bool ProgressLine::Take(const std::string& text) {
  if (!enabled_) return false;
  text_ = text;
  const Clock::time_point now = Clock::now();
  if (now < nextDraw_) return false;
  nextDraw_ = now + kInterval;
  return true;
}

// The text as one line that fits in columns - 1 (a full line would wrap on some terminals and
// the next "\r" would then overwrite only its last part). Line breaks show as blanks and other
// control characters as "?", so a file name cannot move the cursor: in UTF-8 those of C1 too
// (U+0080 to U+009F, two bytes each), which such a terminal obeys like the others.
std::string ProgressLine::FittedText(const std::string& text, size_t columns, size_t& shown) {
  std::string line;
  shown = 0;
  unsigned char previous = 0;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    const bool starts = StartsCharacter(byte);
    if (starts && shown + 1 >= columns) break;
    if (c == '\n') {
      line += ' ';
    } else if (byte < 0x20 || byte == 0x7F) {
      line += '?';
    } else if (!starts && previous == 0xC2 && byte < 0xA0) {
      line.back() = '?';  // in place of the first byte, which counted as the character
    } else {
      line += c;
    }
    if (starts) ++shown;
    previous = byte;
  }
  return line;
}

void ProgressLine::Draw() {
  if (!enabled_) return;
  constexpr size_t kGap = 2;           // blanks between the status text and the measure
  constexpr size_t kLeastStatus = 20;  // the least of the status text worth showing
  const size_t columns = TerminalColumns(Stream::Err);
  size_t shown = 0;
  std::string line = "\r";
  if (!measure_.empty() && columns > measure_.size() + kGap + kLeastStatus) {
    size_t measured = 0;
    const std::string measure = FittedText(measure_, columns, measured);
    line += FittedText(text_, columns - measured - kGap, shown);
    line.append(kGap, ' ');
    line += measure;
    shown += kGap + measured;
  } else {
    line += FittedText(text_, columns, shown);
  }
  if (shown < shownColumns_) line.append(shownColumns_ - shown, ' ');
  WriteBytes(Stream::Err, line);
  shownColumns_ = shown;
  shown_ = true;
}

void ProgressLine::Erase() {
  if (!Shown()) return;
  WriteBytes(Stream::Err, "\r" + std::string(shownColumns_, ' ') + "\r");
  shownColumns_ = 0;
  shown_ = false;
}

}  // namespace cli
