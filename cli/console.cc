#include "cli/console.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "cli/locale_charset.h"

// Start of the program image, provided by the linker; used to turn a code
// address into an offset that does not change with address randomisation.
extern "C" const char __executable_start[];

namespace vorn {
namespace {

void WriteOrThrow(int fd, const char* data, size_t size) {
  const int err = WriteFully(fd, std::string_view(data, size));
  if (err != 0) throw EInOutError(InOutErrorText(err), err);
}

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD
constexpr std::string_view kLineEnd = "\r\n";

// The length of the control character at `i` that ConsoleSafeText replaces
// (1 for C0, 2 for the UTF-8 form of C1), or 0.
size_t UnsafeControlAt(std::string_view s, size_t i) {
  const auto b = static_cast<unsigned char>(s[i]);
  if (b < 0x20) {
    if (b == '\t' || b == '\n') return 0;
    if (b == '\r' && i + 1 < s.size() && s[i + 1] == '\n') return 0;
    return 1;
  }
  if (b == 0xC2 && i + 1 < s.size()) {
    const auto next = static_cast<unsigned char>(s[i + 1]);
    if (next >= 0x80 && next <= 0x9F) return 2;
  }
  return 0;
}

// ConsoleSafeText into `out`; false (and `out` untouched) when `utf8` is
// safe as it is.
bool MakeSafe(std::string_view utf8, std::string& out) {
  bool changed = false;
  size_t done = 0;  // utf8[0, done) is in `out`
  for (size_t i = 0; i < utf8.size(); ++i) {
    const size_t n = UnsafeControlAt(utf8, i);
    if (n == 0) continue;
    if (!changed) {
      out.clear();
      out.reserve(utf8.size() + 16);
      changed = true;
    }
    out.append(utf8, done, i - done);
    out += kReplacement;
    done = i + n;
    i = done - 1;
  }
  if (changed) out.append(utf8, done);
  return changed;
}

}  // namespace

int WriteFully(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) return EIO;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return 0;
}

Console::Console(int fd) : fd_(fd) {}

Console::Console(int fd, std::string charset) : fd_(fd), charset_(std::move(charset)) {}

Console::~Console() {
  try {
    Flush();
  } catch (const Exception&) {
    // Nothing is left to report a failure of the last write to.
  }
}

void Console::Start() {
  if (started_) return;
  terminal_ = isatty(fd_) == 1;
  if (charset_.empty()) charset_ = LocaleCharset();
  started_ = true;
}

std::string ConsoleSafeText(std::string_view utf8) {
  std::string out;
  return MakeSafe(utf8, out) ? out : std::string(utf8);
}

void Console::WriteLine(std::string_view utf8) {
  Start();
  // The line and its end go out separately, so that a long line is not
  // copied once more to add two bytes.
  std::string safe;
  const std::string bytes = Utf8ToCharset(MakeSafe(utf8, safe) ? safe : utf8, charset_);
  if (terminal_) {
    Flush();
    WriteOrThrow(fd_, bytes.data(), bytes.size());
    WriteOrThrow(fd_, kLineEnd.data(), kLineEnd.size());
    return;
  }
  Append(bytes.data(), bytes.size());
  Append(kLineEnd.data(), kLineEnd.size());
}

void Console::WriteBytes(std::string_view bytes) {
  Start();
  if (terminal_) {
    Flush();
    WriteOrThrow(fd_, bytes.data(), bytes.size());
    return;
  }
  Append(bytes.data(), bytes.size());
}

// Adds `data` to the buffer, writing out each full 128 bytes. Whole blocks
// that start on an empty buffer are written straight from `data`: the bytes
// and block boundaries are the same as copying them through the buffer.
void Console::Append(const char* data, size_t size) {
  if (used_ > 0) {
    const size_t n = std::min(kBufferSize - used_, size);
    std::memcpy(buffer_ + used_, data, n);
    used_ += n;
    data += n;
    size -= n;
    if (used_ < kBufferSize) return;
    Flush();
  }
  const size_t whole = size - size % kBufferSize;
  if (whole > 0) WriteOrThrow(fd_, data, whole);
  std::memcpy(buffer_, data + whole, size - whole);
  used_ = size - whole;
}

void Console::Flush() {
  const size_t n = used_;
  used_ = 0;
  if (n > 0) WriteOrThrow(fd_, buffer_, n);
}

std::string InOutErrorText(int error_code) {
  switch (error_code) {
    case ENOENT:
      return "The specified file was not found";
    case EMFILE:
      return "Too many open files";
    case EACCES:
    case EPERM:
      return "File access denied";
    default:
      return "I/O error " + std::to_string(error_code);
  }
}

void WriteFatalDiagnostic(int fd, const Exception& e, std::string_view program_name) {
  const size_t slash = program_name.rfind('/');
  if (slash != std::string_view::npos) program_name.remove_prefix(slash + 1);
  const auto here = reinterpret_cast<uintptr_t>(&WriteFatalDiagnostic);
  const auto base = reinterpret_cast<uintptr_t>(__executable_start);
  char address[32];
  std::snprintf(address, sizeof address, "%016" PRIXPTR, here - base);

  const std::string message = ConsoleSafeText(e.Message());
  const bool add_stop = !message.empty() && message.back() != '.';
  const std::string text = "Exception " + e.ClassName() + " in module " +
                           std::string(program_name) + " at " + address + ".\r\n" + message +
                           (add_stop ? "." : "") + "\r\n\r\n";
  try {
    const std::string bytes = Utf8ToCharset(text, LocaleCharset());
    WriteFully(fd, bytes);
  } catch (const std::exception&) {
    WriteFully(fd, text);
  }
}

}  // namespace vorn
