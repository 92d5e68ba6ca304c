// The web node: what the remote object asks of a transport for one call.
#pragma once

#include <string>
#include <string_view>

#include "base/byte_source.h"
#include "soap/invocation.h"

namespace vorn {

class IWebNode {
 public:
  virtual ~IWebNode() = default;
  // Prepares a call of `method` (index among the interface's own
  // operations): chooses the SOAPAction. Throws ESOAPHTTPException when no
  // endpoint is set.
  virtual void BeforeExecute(const TIntfMetaData& intf, const TIntfMethEntry& method,
                             int index) = 0;
  // One exchange: posts the bytes of `request` (read from its start, as
  // they go out), appends the reply body to `reply`.
  virtual void Execute(ByteSource& request, std::string& reply) = 0;
  // The multipart boundary of the last reply, or empty.
  virtual std::string GetMimeBoundary() const = 0;
  // SOAP 1.2 header form on or off.
  virtual void SetSOAP12(bool on) = 0;
};

}  // namespace vorn
