// Error class of the HTTP transport.
#pragma once

#include <string>

#include "base/exception.h"

namespace vorn {

// A failed or refused HTTP exchange. StatusCode is the HTTP status for a
// rejected status, the transport failure code for a failure of the exchange
// itself, and 0 otherwise.
class ESOAPHTTPException : public Exception {
 public:
  ESOAPHTTPException(std::string m, int status_code)
      : Exception("ESOAPHTTPException", std::move(m)), status_code_(status_code) {}
  int StatusCode() const noexcept { return status_code_; }

 private:
  int status_code_;
};

}  // namespace vorn
