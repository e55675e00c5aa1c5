#include "cli/Console.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>

namespace cli {

namespace {

// A signal handler may touch nothing else but a lock-free atomic; the readers run on the task's
// thread and on the threads that read ahead of it.
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void OnInterrupt(int) {
  interrupted.store(true);
}

int Descriptor(Stream stream) {
  return stream == Stream::Out ? STDOUT_FILENO : STDERR_FILENO;
}

}  // namespace

bool IsTerminal(Stream stream) {
  return isatty(Descriptor(stream)) == 1;
}

size_t TerminalColumns(Stream stream) {
  struct winsize size = {};
  if (ioctl(Descriptor(stream), TIOCGWINSZ, &size) != 0 || size.ws_col == 0) return 80;
  return size.ws_col;
}

bool StartsCharacter(unsigned char byte) {
  return (byte & 0xC0u) != 0x80u;  // not a UTF-8 continuation byte
}

bool WriteBytes(Stream stream, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t put = write(Descriptor(stream), bytes.data(), bytes.size());
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(put));
  }
  return true;
}

bool WriteText(Stream stream, std::string_view text) {
  return WriteBytes(stream, text);
}

void CatchInterrupts() {
  // A reader that has gone (vrtly ... | head) must make WriteBytes fail, so that the run still
  // ends its task and says the log was cut short, rather than end the process at that write.
  signal(SIGPIPE, SIG_IGN);
  struct sigaction current = {};
  if (sigaction(SIGINT, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) return;
  struct sigaction action = {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  // SA_RESETHAND: the second Ctrl-C finds the default action again and ends the process.
  action.sa_flags = static_cast<int>(SA_RESTART | SA_RESETHAND);
  sigaction(SIGINT, &action, nullptr);
}

bool InterruptRequested() {
  return interrupted.load();
}

}  // namespace cli
