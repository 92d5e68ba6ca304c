// Errors of the XML document layer.
#pragma once

#include <string>

#include "base/exception.h"

namespace vorn {

// Failure of the XML library other than a parse error.
class DOMException : public Exception {
 public:
  explicit DOMException(std::string m) : Exception("DOMException", std::move(m)) {}
};

// Reply bytes that are not a well-formed XML document.
// Message: reason, CR LF, "Line: " line, CR LF, the first 40 characters of
// the failing line.
class EDOMParseError : public Exception {
 public:
  EDOMParseError(std::string message, std::string reason, int line, int line_pos,
                 std::string src_text)
      : Exception("EDOMParseError", std::move(message)),
        reason_(std::move(reason)),
        line_(line),
        line_pos_(line_pos),
        src_text_(std::move(src_text)) {}
  const std::string& Reason() const noexcept { return reason_; }
  int Line() const noexcept { return line_; }
  int LinePos() const noexcept { return line_pos_; }
  const std::string& SrcText() const noexcept { return src_text_; }

 private:
  std::string reason_;
  int line_;
  int line_pos_;
  std::string src_text_;
};

}  // namespace vorn
