#include <windows.h>

#include <atomic>
#include <string>

#include "cli/Console.h"
#include "platform/win32/TextConversion.h"

namespace cli {

namespace {

// Set from the thread the system starts for a console control event.
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

BOOL WINAPI OnConsoleControl(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  // The second one goes on to the default handler, which ends the process.
  return interrupted.exchange(true) ? FALSE : TRUE;
}

HANDLE Handle(Stream stream) {
  return GetStdHandle(stream == Stream::Out ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
}

bool IsConsole(HANDLE handle) {
  DWORD mode = 0;
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode);
}

// Asked once a stream: the answer does not change, and under Wine every console call is a
// round trip to the server.
bool StreamIsConsole(Stream stream) {
  static const bool out = IsConsole(Handle(Stream::Out));
  static const bool err = IsConsole(Handle(Stream::Err));
  return stream == Stream::Out ? out : err;
}

bool WriteToConsole(HANDLE handle, std::string_view bytes) {
  if (bytes.empty()) return true;
  const std::wstring wide = platform::Widened(bytes);
  const int length = static_cast<int>(wide.size());
  // Older consoles refuse a single write of more than about 64 KiB.
  constexpr int kMaxWrite = 8192;
  for (int done = 0; done < length;) {
    DWORD put = 0;
    const int count = length - done < kMaxWrite ? length - done : kMaxWrite;
    if (!WriteConsoleW(handle, wide.data() + done, static_cast<DWORD>(count), &put, nullptr) ||
        put == 0)
      return false;
    done += static_cast<int>(put);
  }
  return true;
}

bool WriteToFile(HANDLE handle, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD put = 0;
    if (!WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) ||
        put == 0)
      return false;
    bytes.remove_prefix(put);
  }
  return true;
}

}  // namespace

bool IsTerminal(Stream stream) {
  return StreamIsConsole(stream);
}

size_t TerminalColumns(Stream stream) {
  CONSOLE_SCREEN_BUFFER_INFO info = {};
  if (!GetConsoleScreenBufferInfo(Handle(stream), &info)) return 80;
  const int columns = info.srWindow.Right - info.srWindow.Left + 1;
  return columns > 0 ? static_cast<size_t>(columns) : 80;
}

bool StartsCharacter(unsigned char) {
  return true;
}

bool WriteBytes(Stream stream, std::string_view bytes) {
  const HANDLE handle = Handle(stream);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return bytes.empty();
  return StreamIsConsole(stream) ? WriteToConsole(handle, bytes) : WriteToFile(handle, bytes);
}

bool WriteText(Stream stream, std::string_view text) {
  std::string lines;
  lines.reserve(text.size() + text.size() / 16);
  for (const char c : text) {
    if (c == '\n') {
      lines += kNewline;
    } else {
      lines += c;
    }
  }
  return WriteBytes(stream, lines);
}

void CatchInterrupts() {
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

bool InterruptRequested() {
  return interrupted.load();
}

}  // namespace cli
