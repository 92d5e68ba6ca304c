// Error classes shared by every layer.
//
// Every failure is raised as a vorn::Exception. The class name is data: it is
// printed in front of the message ("ClassName: message"), so both are part of
// the tool's output and are tested exactly.
#pragma once

#include <exception>
#include <string>

namespace vorn {

class Exception : public std::exception {
 public:
  // A plain Exception prints as "Exception".
  explicit Exception(std::string message) : Exception("Exception", std::move(message)) {}
  ~Exception() override = default;

  // The class name that is printed before the message.
  const std::string& ClassName() const noexcept { return class_name_; }
  const std::string& Message() const noexcept { return message_; }
  // "ClassName: message", the form in which the driver reports an error.
  std::string Report() const { return class_name_ + ": " + message_; }
  const char* what() const noexcept override { return message_.c_str(); }

 protected:
  Exception(std::string class_name, std::string message)
      : class_name_(std::move(class_name)), message_(std::move(message)) {}

 private:
  std::string class_name_;
  std::string message_;
};

// A text that does not convert to a number or other value.
class EConvertError : public Exception {
 public:
  explicit EConvertError(std::string m) : Exception("EConvertError", std::move(m)) {}

 protected:
  EConvertError(std::string cls, std::string m) : Exception(std::move(cls), std::move(m)) {}
};

// An invoice file whose bytes are not valid text in their encoding, or that
// holds a character XML 1.0 does not allow.
class EEncodingError : public Exception {
 public:
  explicit EEncodingError(std::string m) : Exception("EEncodingError", std::move(m)) {}
};

// A file that cannot be opened or read.
class EFOpenError : public Exception {
 public:
  explicit EFOpenError(std::string m) : Exception("EFOpenError", std::move(m)) {}
};

// Memory exhausted.
class EOutOfMemory : public Exception {
 public:
  EOutOfMemory() : Exception("EOutOfMemory", "Out of memory") {}
};

// A failed write to standard output.
class EInOutError : public Exception {
 public:
  EInOutError(std::string m, int error_code)
      : Exception("EInOutError", std::move(m)), error_code_(error_code) {}
  int ErrorCode() const noexcept { return error_code_; }

 private:
  int error_code_;
};

// An object asked for an interface it does not supply.
class EIntfCastError : public Exception {
 public:
  explicit EIntfCastError(std::string m = "Interface not supported")
      : Exception("EIntfCastError", std::move(m)) {}
};

// An operation cancelled on purpose.
class EAbort : public Exception {
 public:
  explicit EAbort(std::string m = "Operation aborted") : Exception("EAbort", std::move(m)) {}
};

}  // namespace vorn
