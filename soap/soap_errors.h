// Error classes of the SOAP codec: value conversion, envelope writing and
// reading, and SOAP faults. The value classes' errors are the registry's,
// the parser's are the XML layer's.
#pragma once

#include <string>

#include "base/exception.h"
#include "service/registry/xs_errors.h"
#include "soap/xml/xml_errors.h"

namespace vorn {

// A property element whose text names no value of its type.
class EPropertyConvertError : public EConvertError {
 public:
  explicit EPropertyConvertError(std::string m)
      : EConvertError("EPropertyConvertError", std::move(m)) {}
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
