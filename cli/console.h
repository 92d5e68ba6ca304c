// Writing lines of text to the program's output.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "base/exception.h"

namespace vorn {

// Writes lines to a file descriptor, each followed by CR LF, converted from
// UTF-8 to an output character set. At the first write the console decides,
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

  // Writes `utf8` and CR LF. A character that the output character set
  // cannot hold comes out as "?". Throws EInOutError (see InOutErrorText)
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

// Message of the EInOutError raised for the system error `error_code`:
// "The specified file was not found" (ENOENT), "Too many open files"
// (EMFILE), "File access denied" (EACCES, EPERM), otherwise "I/O error <n>".
std::string InOutErrorText(int error_code);

// Writes the diagnostic used when even the error report could not be
// written:
//   "Exception <class> in module <program> at <address>.\r\n<message>[.]\r\n\r\n"
// <program> is `program_name` without its directory; <address> is 16
// hexadecimal digits, the same for every run of one build; a "." follows a
// non-empty message that does not already end with one. Converted to the
// locale's character set. Write failures are ignored; never throws.
void WriteFatalDiagnostic(int fd, const Exception& e, std::string_view program_name);

}  // namespace vorn
