// Error classes of the SOAP codec: value conversion, envelope writing and
// reading, the XML document layer and SOAP faults.
#pragma once

#include <string>

#include "service/exception.h"

namespace vorn {

// A property element whose text names no value of its type.
class EPropertyConvertError : public EConvertError {
 public:
  explicit EPropertyConvertError(std::string m)
      : EConvertError("EPropertyConvertError", std::move(m)) {}
};

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

// A value of a kind that has no text form, on the parameter route.
class ETypeTransException : public Exception {
 public:
  explicit ETypeTransException(std::string m) : Exception("ETypeTransException", std::move(m)) {}
};

// A message that cannot be written, or a reply of the wrong shape.
class ESOAPDomConvertError : public Exception {
 public:
  explicit ESOAPDomConvertError(std::string m) : Exception("ESOAPDomConvertError", std::move(m)) {}
};

// An element of the reply that does not hold what a value needs.
class EXMLDocError : public Exception {
 public:
  explicit EXMLDocError(std::string m) : Exception("EXMLDocError", std::move(m)) {}
};

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

// A SOAP fault sent by the service. The message is the fault's text
// (FaultReason is another name for it).
class ERemotableException : public Exception {
 public:
  explicit ERemotableException(std::string m) : Exception("ERemotableException", std::move(m)) {}

  const std::string& FaultReason() const noexcept { return Message(); }

  std::string FaultActor;
  std::string FaultCode;
  std::string FaultDetail;
  std::string FaultReasonLang;
  std::string FaultNode;
  std::string FaultRole;

 protected:
  ERemotableException(std::string cls, std::string m) : Exception(std::move(cls), std::move(m)) {}
};

}  // namespace vorn
