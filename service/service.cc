#include "service/service.h"

#include <cassert>
#include <mutex>

#include "base/exception.h"
#include "service/namespaces.h"
#include "service/registry/invoke_registry.h"
#include "service/registry/type_registry.h"

namespace vorn {
namespace {

const std::string kNamespaceOption = "[Namespace=\"" + std::string(kMessageNamespace) + "\"]";

// The run-time implementation of IService: every operation goes to the
// remote object's generic entry point; reference counting acts on it.
class IServiceProxy : public IService {
 public:
  explicit IServiceProxy(RioLink& rio) : rio_(rio) {}

  IInterface* QueryInterface(const Guid& iid) override {
    if (iid == Info().guid) {
      _AddRef();
      return this;
    }
    return rio_.QueryInterface(iid);
  }
  void _AddRef() override { rio_._AddRef(); }
  void _Release() override { rio_._Release(); }

  std::unique_ptr<InviaDocumentoResponse2> InviaDocumento(
      const InviaDocumentoRequest2* request) override {
    return Call(kBaseInterfaceMethods + 0, {InvArg{.object = request}});
  }
  std::unique_ptr<InviaDocumentoResponse2> InviaDocumentoRaw(
      const InviaDocumentoRawRequest2* request) override {
    return Call(kBaseInterfaceMethods + 1, {InvArg{.object = request}});
  }
  std::unique_ptr<InviaDocumentoResponse2> InviaDocumentoNoComplexTypesInRequest(
      const std::string& username, const std::string& password, const std::string& documento,
      const std::string& formato, const std::string& formatoSdi, bool InviaSdi) override {
    return Call(kBaseInterfaceMethods + 2,
                {InvArg{.value = username}, InvArg{.value = password}, InvArg{.value = documento},
                 InvArg{.value = formato}, InvArg{.value = formatoSdi},
                 InvArg{.value = int64_t{InviaSdi ? 1 : 0}}});
  }

 private:
  std::unique_ptr<InviaDocumentoResponse2> Call(int slot, std::vector<InvArg> args) {
    InvResult result;
    rio_.Generic(slot, std::move(args), &result);
    // The reader creates the declared class or a class derived from it.
    return std::unique_ptr<InviaDocumentoResponse2>(
        static_cast<InviaDocumentoResponse2*>(result.object.release()));
  }

  RioLink& rio_;
};

void RegisterInterface() {
  const InterfaceInfo& intf = IService::Info();
  TInvokableClassRegistry& r = InvRegistry();
  r.RegisterInterface(intf, kServiceNamespace, "utf-8", "", "");
  r.RegisterDefaultSOAPAction(intf, std::string(kServiceNamespace) + "IService/%operationName%");
  r.RegisterInvokeOptions(intf, InvokeOption::ioDocument);
  for (const MethodInfo& m : intf.methods) {
    const std::string result_name = std::string(m.name) + "Result";
    r.RegisterMethodInfo(intf, m.name, "", "[ReturnName=\"" + result_name + "\"]",
                         IS_OPTN | IS_NLBL);
    const bool plain = m.name == "InviaDocumentoNoComplexTypesInRequest";
    for (const ParamInfo& p : m.params) {
      if (p.name == "InviaSdi") continue;  // registered without an entry
      r.RegisterParamInfo(intf, m.name, p.name, "", plain ? "" : kNamespaceOption, IS_NLBL);
    }
    r.RegisterParamInfo(intf, m.name, result_name, "", kNamespaceOption, IS_NLBL);
  }
  RegisterInterfaceProxy(intf, [](RioLink& rio) -> IInvokable* { return new IServiceProxy(rio); });
}

// The message types, in three steps that stand among the model's own
// registrations: the two request type classes; the strings array and the
// response with its item name; the element forms.
void RegisterMessages(int step) {
  TRemotableTypeRegistry& r = RemTypeRegistry();
  switch (step) {
    case 1:
      RegisterTypeClass(r, InviaDocumentoRequest2::StaticClass(), kMessageNamespace);
      RegisterTypeClass(r, InviaDocumentoRawRequest2::StaticClass(), kMessageNamespace);
      return;
    case 2:
      r.RegisterXSInfo(ArrayOfstringTypeInfo(), kArraysNamespace, "ArrayOfstring");
      RegisterTypeClass(r, InviaDocumentoResponse2::StaticClass(), kMessageNamespace);
      return;
    case 3:
      RegisterElementForm(r, InviaDocumentoRawRequest::StaticClass(), kMessageNamespace);
      RegisterElementForm(r, InviaDocumentoResponse::StaticClass(), kMessageNamespace);
      RegisterElementForm(r, InviaDocumentoRequest::StaticClass(), kMessageNamespace);
      return;
  }
  assert(false && "three message steps");
}

}  // namespace

std::string defURL() { return VORN_DEFAULT_URL; }
std::string defWSDL() { return defURL() + "?singleWsdl"; }

const InterfaceInfo& IService::Info() {
  static const InterfaceInfo info{
      .name = "IService",
      .unit = kServiceUnit,
      .guid = Guid::Parse("{F166B720-221A-3CBB-F11E-3388DFFFA5A8}"),
      .methods = {
          {.name = "InviaDocumento",
           .params = {{.name = "request",
                       .type = TypeInfoOf<std::unique_ptr<InviaDocumentoRequest2>>()}},
           .result = TypeInfoOf<std::unique_ptr<InviaDocumentoResponse2>>()},
          {.name = "InviaDocumentoRaw",
           .params = {{.name = "request",
                       .type = TypeInfoOf<std::unique_ptr<InviaDocumentoRawRequest2>>()}},
           .result = TypeInfoOf<std::unique_ptr<InviaDocumentoResponse2>>()},
          {.name = "InviaDocumentoNoComplexTypesInRequest",
           .params = {{.name = "username", .type = StringTypeInfo()},
                      {.name = "password", .type = StringTypeInfo()},
                      {.name = "documento", .type = StringTypeInfo()},
                      {.name = "formato", .type = StringTypeInfo()},
                      {.name = "formatoSdi", .type = StringTypeInfo()},
                      {.name = "InviaSdi", .type = BooleanTypeInfo()}},
           .result = TypeInfoOf<std::unique_ptr<InviaDocumentoResponse2>>()},
      }};
  return info;
}

void RegisterServiceContract() {
  static std::once_flag once;
  std::call_once(once, [] {
    RegisterInterface();
    RegisterInvoiceTypes(&RegisterMessages);
  });
}

InterfacePtr<IService> GetIService(bool UseWSDL, const std::string& Addr, THTTPRIO* HTTPRIO) {
  RegisterServiceContract();
  std::string addr = Addr;
  if (addr.empty()) addr = UseWSDL ? defWSDL() : defURL();
  THTTPRIO* rio = HTTPRIO != nullptr ? HTTPRIO : new THTTPRIO();
  InterfacePtr<IService> result;
  IInterface* intf = rio->QueryInterface(IService::Info().guid);
  if (intf == nullptr) {
    if (HTTPRIO == nullptr) delete rio;
    throw EIntfCastError();
  }
  result = InterfacePtr<IService>::Adopt(static_cast<IService*>(intf));
  // From here the remote object lives by the result's reference.
  if (UseWSDL) {
    rio->WSDLLocation = addr;
    rio->Service = defSvc;
    rio->Port = defPrt;
  } else {
    rio->SetURL(addr);
  }
  return result;
}

}  // namespace vorn
