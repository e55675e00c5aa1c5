// What the console tool needs of the system's console: its two output streams, whether they
// show on a terminal, and Ctrl-C. One interface; a POSIX and a Win32 backend.
#pragma once

#include <cstddef>
#include <string_view>

namespace cli {

enum class Stream { Out, Err };

// How a line ends in the tool's output: LF on POSIX, CR LF on Windows.
#ifdef _WIN32
inline constexpr std::string_view kNewline = "\r\n";
#else
inline constexpr std::string_view kNewline = "\n";
#endif

// Whether the stream shows on a terminal (POSIX: isatty; Windows: a console, which a
// redirection to NUL, a file or a pipe is not).
bool IsTerminal(Stream stream);
// The width of the terminal the stream shows on, in columns; 80 when it cannot be had.
size_t TerminalColumns(Stream stream);
// Whether the byte begins a character as the terminal shows it (POSIX terminals take UTF-8;
// the ANSI code page of Windows has one byte a character).
bool StartsCharacter(unsigned char byte);

// Writes all the bytes; false when they could not all be written (a full disk, a closed
// pipe). A Windows console gets the ANSI text converted for display; a file or a pipe gets the
// bytes as they are.
bool WriteBytes(Stream stream, std::string_view bytes);
// Writes the text with every LF turned into kNewline.
bool WriteText(Stream stream, std::string_view text);

// From now on the first Ctrl-C (POSIX: SIGINT; Windows: Ctrl-C or Ctrl-Break) only raises the
// interrupt flag, and a second one ends the process the system's way. A SIGINT that the parent
// set to be ignored stays ignored. On POSIX a write to a pipe whose reader has gone then fails
// instead of ending the process (SIGPIPE is ignored).
void CatchInterrupts();
// Whether a Ctrl-C has arrived since CatchInterrupts.
bool InterruptRequested();

}  // namespace cli
