#include "cli/password_input.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>

#include "cli/argument_text.h"
#include "cli/cli_errors.h"
#include "cli/console.h"
#include "cli/file_path.h"

namespace vorn {
namespace {

// --- Echo off on a terminal -----------------------------------------------
// While the password is typed the terminal does not echo. A signal that ends
// the program meanwhile must not leave it so: the handlers below put the
// saved settings back first, then end the program as the signal would have.

constexpr std::array<int, 4> kEndingSignals = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

struct termios g_saved_settings;
volatile sig_atomic_t g_terminal_fd = -1;

extern "C" void RestoreEchoAndEnd(int signal_number) {
  if (g_terminal_fd >= 0) tcsetattr(g_terminal_fd, TCSANOW, &g_saved_settings);
  std::signal(signal_number, SIG_DFL);
  std::raise(signal_number);
}

class EchoOff {
 public:
  explicit EchoOff(int fd) : fd_(fd) {
    if (tcgetattr(fd, &g_saved_settings) != 0) return;
    struct sigaction handler {};
    handler.sa_handler = RestoreEchoAndEnd;
    sigemptyset(&handler.sa_mask);
    for (size_t i = 0; i < kEndingSignals.size(); ++i) {
      sigaction(kEndingSignals[i], &handler, &previous_[i]);
    }
    g_terminal_fd = fd;
    struct termios quiet = g_saved_settings;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL);
    tcsetattr(fd, TCSAFLUSH, &quiet);
    active_ = true;
  }
  ~EchoOff() {
    if (!active_) return;
    tcsetattr(fd_, TCSAFLUSH, &g_saved_settings);
    g_terminal_fd = -1;
    for (size_t i = 0; i < kEndingSignals.size(); ++i) {
      sigaction(kEndingSignals[i], &previous_[i], nullptr);
    }
  }
  EchoOff(const EchoOff&) = delete;
  EchoOff& operator=(const EchoOff&) = delete;

 private:
  int fd_;
  bool active_ = false;
  std::array<struct sigaction, kEndingSignals.size()> previous_{};
};

// Where the prompt goes: the terminal itself, even when standard error is
// elsewhere; standard error when the program has no terminal of its own.
class TerminalOutput {
 public:
  TerminalOutput() : tty_(open("/dev/tty", O_WRONLY | O_NOCTTY | O_CLOEXEC)) {}
  ~TerminalOutput() {
    if (tty_ >= 0) close(tty_);
  }
  TerminalOutput(const TerminalOutput&) = delete;
  TerminalOutput& operator=(const TerminalOutput&) = delete;
  int fd() const { return tty_ >= 0 ? tty_ : STDERR_FILENO; }

 private:
  int tty_;
};

// Reads `fd` up to its first LF or its end. `source` names it in messages.
std::string ReadFirstLine(int fd, const std::string& source) {
  std::string input;
  char buffer[4096];
  while (input.find('\n') == std::string::npos) {
    if (input.size() > kMaxPasswordBytes + 1) break;
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      throw EArgumentError("Cannot read the password from " + source + ". " +
                           SystemErrorText(errno));
    }
    if (n == 0) break;
    input.append(buffer, static_cast<size_t>(n));
  }
  explicit_bzero(buffer, sizeof buffer);
  std::string line(FirstLine(input));
  explicit_bzero(input.data(), input.size());
  if (line.size() > kMaxPasswordBytes) {
    throw EArgumentError("The password read from " + source + " is longer than " +
                         std::to_string(kMaxPasswordBytes) + " bytes");
  }
  return line;
}

}  // namespace

std::string_view FirstLine(std::string_view input) {
  std::string_view line = input.substr(0, input.find('\n'));
  if (line.size() < input.size() && line.ends_with('\r')) line.remove_suffix(1);
  return line;
}

std::string ReadPassword(int fd, const std::string& charset) {
  std::string source = "standard input";
  std::string line;
  if (isatty(fd) == 1) {
    source = "the terminal";
    const TerminalOutput terminal;
    {
      // Echo goes off before the prompt shows, so that nothing typed after
      // the prompt is echoed or dropped.
      EchoOff quiet(fd);
      WriteFully(terminal.fd(), "Password: ");  // a prompt that cannot show stops nothing
      line = ReadFirstLine(fd, source);
    }
    WriteFully(terminal.fd(), "\n");  // the typed line end was not echoed
  } else {
    line = ReadFirstLine(fd, source);
  }
  if (line.empty()) throw EArgumentError("The password read from " + source + " is empty");
  std::string password = ArgumentText(line, "the password read from " + source, charset, true);
  explicit_bzero(line.data(), line.size());
  return password;
}

}  // namespace vorn
