// Errors of the decimal and date-time value classes.
#pragma once

#include <string>

#include "base/exception.h"

namespace vorn {

// An invalid date or time text.
class EXSDateTimeException : public Exception {
 public:
  explicit EXSDateTimeException(std::string m) : Exception("EXSDateTimeException", std::move(m)) {}
};

// An invalid decimal text or number.
class EXSDecimalException : public Exception {
 public:
  explicit EXSDecimalException(std::string m) : Exception("EXSDecimalException", std::move(m)) {}
};

}  // namespace vorn
