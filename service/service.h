// The hub's service contract as the client sees it: the interface IService,
// the getter that binds it to an endpoint, and the start-up registrations.
#pragma once

#include <memory>
#include <string>

#include "service/messages.h"
#include "service/registry/interface.h"
#include "transport/rio.h"

namespace vorn {

// Built-in endpoint defaults.
std::string defURL();   // the build's VORN_DEFAULT_URL
std::string defWSDL();  // defURL() + "?singleWsdl"
inline constexpr std::string_view defSvc = "Service";
inline constexpr std::string_view defPrt = "BasicHttpsBinding_IService";

class IService : public IInvokable {
 public:
  // The interface's description: identifier and operations in slot order.
  static const InterfaceInfo& Info();

  // Each call sends one request and returns the response read from the
  // reply, or null when the reply held no result. Throws the transport's,
  // the codec's and the service's errors (a SOAP fault as
  // ERemotableException).
  virtual std::unique_ptr<InviaDocumentoResponse2> InviaDocumento(
      const InviaDocumentoRequest2* request) = 0;
  virtual std::unique_ptr<InviaDocumentoResponse2> InviaDocumentoRaw(
      const InviaDocumentoRawRequest2* request) = 0;
  virtual std::unique_ptr<InviaDocumentoResponse2> InviaDocumentoNoComplexTypesInRequest(
      const std::string& username, const std::string& password, const std::string& documento,
      const std::string& formato, const std::string& formatoSdi, bool InviaSdi) = 0;
};

// Makes the start-up registrations of the service contract (interface,
// messages, invoice model) once per process; later calls do nothing.
void RegisterServiceContract();

// Binds IService to an endpoint. An empty Addr means defURL (defWSDL with
// UseWSDL). Without HTTPRIO a new remote object is made whose life follows
// the returned reference; a given one is used and never destroyed here.
// Throws EIntfCastError "Interface not supported" when the remote object
// cannot supply IService, ESOAPHTTPException for an address of another
// scheme.
InterfacePtr<IService> GetIService(bool UseWSDL = false, const std::string& Addr = "",
                                   THTTPRIO* HTTPRIO = nullptr);

}  // namespace vorn
