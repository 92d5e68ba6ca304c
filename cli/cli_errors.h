// Errors of the command line itself.
#pragma once

#include <string>

#include "base/exception.h"

namespace vorn {

// A command-line option or argument that cannot be used, or a password that
// cannot be read.
class EArgumentError : public Exception {
 public:
  explicit EArgumentError(std::string m) : Exception("EArgumentError", std::move(m)) {}
};

// Any other failure, under the class name and message it came with (the
// C++ library's exceptions, such as std::length_error).
class EUnexpectedError : public Exception {
 public:
  EUnexpectedError(std::string class_name, std::string m)
      : Exception(std::move(class_name), std::move(m)) {}
};

// The exception being handled, as an Exception to report: itself when it is
// one, EOutOfMemory for std::bad_alloc, an EUnexpectedError named after its
// type for any other std::exception, and EUnexpectedError "Exception" /
// "Unknown exception" otherwise. REQUIRES: called inside a catch block.
EUnexpectedError CurrentError();

// The report line ("ClassName: message") of the exception being handled, as
// CurrentError() would give it, made without copying the message first (a
// server's fault text can be as large as its reply). REQUIRES: called inside
// a catch block.
std::string CurrentErrorReport();

}  // namespace vorn
