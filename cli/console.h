// Writing lines of text to the program's output.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "base/exception.h"

namespace vorn {

// Writes lines to a file descriptor, each followed by CR LF, made safe to
// show (ConsoleSafeText) and converted from UTF-8 to an output character
// set. At the first write the console decides,
// once, whether the descriptor is a terminal and (unless given) takes the
// locale's character set. On a terminal every line is written out at once;
// otherwise output goes through a 128-byte buffer that is written out each
// time it fills, and by Flush(). Not copyable; does not own `fd`.
class Console {
 public:
  // fd: where lines go (1 for the program's standard output). The output
  // character set is the locale's.
  explicit Console(int fd);
  // The same with an explicit iconv character set name.
  Console(int fd, std::string charset);
  // Writes out what is still buffered; a failure here goes unreported.
  ~Console();
  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;

  // Writes `utf8` and CR LF. Control characters come out as ConsoleSafeText
  // shows them, on a terminal or not; a character that the output character
  // set cannot hold comes out as "?". Throws EInOutError (see InOutErrorText)
  // when a write fails; what was buffered then is dropped.
  void WriteLine(std::string_view utf8);

  // Writes `bytes` as they are: no conversion, no line end added. Throws as
  // WriteLine does.
  void WriteBytes(std::string_view bytes);

  // Writes out what is buffered. Throws EInOutError when the write fails;
  // the buffered bytes are dropped either way.
  void Flush();

 private:
  void Start();
  void Append(const char* data, size_t size);

  static constexpr size_t kBufferSize = 128;
  int fd_;
  bool started_ = false;
  bool terminal_ = false;
  std::string charset_;
  char buffer_[kBufferSize];
  size_t used_ = 0;
};

// Writes all of `bytes` to `fd`, retrying after interruptions and partial
// writes. Returns 0, or the errno of the write that failed.
int WriteFully(int fd, std::string_view bytes);

// `utf8` with every control character that could act on a terminal
// replaced by U+FFFD, the replacement character: every C0 control other
// than TAB, LF and the CR of a CR LF pair (so a multi-line text keeps its
// line breaks, but a lone CR cannot return to the start of a line), and
// every C1 control (U+0080 to U+009F). Text from a server (a reason phrase,
// a fault string, the Xml and Errors of a reply) can then never move the
// cursor, change colours or rewrite what is shown. Other bytes, invalid
// UTF-8 included, are left for the character set conversion.
std::string ConsoleSafeText(std::string_view utf8);

// Message of the EInOutError raised for the system error `error_code`:
// "The specified file was not found" (ENOENT), "Too many open files"
// (EMFILE), "File access denied" (EACCES, EPERM), otherwise "I/O error <n>".
std::string InOutErrorText(int error_code);

// Writes the diagnostic used when even the error report could not be
// written:
//   "Exception <class> in module <program> at <address>.\r\n<message>[.]\r\n\r\n"
// with the message made safe by ConsoleSafeText. <program> is
// `program_name` without its directory; <address> is 16
// hexadecimal digits, the same for every run of one build; a "." follows a
// non-empty message that does not already end with one. Converted to the
// locale's character set. Write failures are ignored; never throws.
void WriteFatalDiagnostic(int fd, const Exception& e, std::string_view program_name);

}  // namespace vorn
