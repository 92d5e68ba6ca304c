// The service contract's registrations and the getter that binds IService.
#include <gtest/gtest.h>

#include "service/registry/invoke_registry.h"
#include "service/registry/type_registry.h"
#include "service/service.h"
#include "transport/http_errors.h"

namespace vorn {
namespace {

class ServiceContract : public ::testing::Test {
 protected:
  ServiceContract() { RegisterServiceContract(); }
  const InterfaceInfo& intf = IService::Info();
};

TEST_F(ServiceContract, InterfaceRegistrations) {
  TInvokableClassRegistry& r = InvRegistry();
  EXPECT_EQ(r.GetIntfInvokeOptions(intf),
            (InvokeOptions{InvokeOption::ioDocument, InvokeOption::ioHasDefaultSOAPAction,
                           InvokeOption::ioHasNamespace}));
  EXPECT_EQ(r.GetActionURIOfInfo(intf, "InviaDocumento", 0),
            "http://tempuri.org/IService/InviaDocumento");
  EXPECT_EQ(r.GetNamespaceByGUID(intf.guid), "http://tempuri.org/");
  const auto m = r.GetMethodInfo(intf, "invIAdocumentoRAW");
  EXPECT_EQ(m.return_name, "[ReturnName=\"InviaDocumentoRawResult\"]");
  EXPECT_EQ(m.flags, IS_OPTN | IS_NLBL);
  const auto request = r.GetParamInfo(intf, "InviaDocumentoRaw", "request");
  EXPECT_EQ(request.ns,
            "[Namespace=\"http://schemas.datacontract.org/2004/07/VornMirtel.FE.WebService\"]");
  EXPECT_EQ(request.flags, IS_NLBL);
  // Five of the six plain parameters have entries; InviaSdi has none.
  for (const char* p : {"username", "password", "documento", "formato", "formatoSdi"}) {
    const auto info = r.GetParamInfo(intf, "InviaDocumentoNoComplexTypesInRequest", p);
    EXPECT_EQ(info.flags, IS_NLBL) << p;
    EXPECT_EQ(info.ns, "") << p;
  }
  EXPECT_EQ(r.GetParamInfo(intf, "InviaDocumentoNoComplexTypesInRequest", "InviaSdi").flags, 0u);
}

TEST_F(ServiceContract, MessageTypeRegistrations) {
  TRemotableTypeRegistry& t = RemTypeRegistry();
  const std::string msg = "http://schemas.datacontract.org/2004/07/VornMirtel.FE.WebService";
  // Both classes of a pair answer to one XML type; a lookup yields the type class.
  EXPECT_EQ(t.ClassToURI(InviaDocumentoResponse2::StaticClass()).name, "InviaDocumentoResponse");
  EXPECT_EQ(t.ClassToURI(InviaDocumentoResponse::StaticClass()).name, "InviaDocumentoResponse");
  EXPECT_EQ(t.URIToClass(msg, "InviaDocumentoResponse"), &InviaDocumentoResponse2::StaticClass());
  EXPECT_EQ(t.InfoToURI(ArrayOfstringTypeInfo()).uri,
            "http://schemas.microsoft.com/2003/10/Serialization/Arrays");
  EXPECT_EQ(t.GetExternalPropName(InviaDocumentoResponse::StaticClass().type_info, "Errors"),
            "[ArrayItemName=\"string\"]");
}

TEST_F(ServiceContract, GetIServiceBindsTheAddress) {
  THTTPRIO rio(/*owned=*/true);
  {
    auto s = GetIService(false, "", &rio);
    EXPECT_EQ(rio.URL(), defURL());
    EXPECT_EQ(rio.RefCount(), 1);
  }
  EXPECT_EQ(rio.RefCount(), 0);
  auto s = GetIService(false, "http://127.0.0.1:9/Service.svc", &rio);
  EXPECT_EQ(rio.URL(), "http://127.0.0.1:9/Service.svc");
}

TEST_F(ServiceContract, GetIServiceWithWsdlSetsTheWsdlFieldsOnly) {
  THTTPRIO rio(/*owned=*/true);
  auto s = GetIService(true, "", &rio);
  EXPECT_EQ(rio.WSDLLocation, defWSDL());
  EXPECT_EQ(rio.Service, "Service");
  EXPECT_EQ(rio.Port, "BasicHttpsBinding_IService");
  EXPECT_EQ(rio.URL(), "");
  // Binding through the WSDL document is not supported: a clear error.
  InviaDocumentoRawRequest2 request;
  EXPECT_THROW(s->InviaDocumentoRaw(&request), ESOAPHTTPException);
}

TEST_F(ServiceContract, GivenRemoteObjectSurvivesAFailingGetter) {
  THTTPRIO rio(/*owned=*/true);
  try {
    GetIService(false, "ftp://example.invalid/x", &rio);
    FAIL();
  } catch (const ESOAPHTTPException& e) {
    EXPECT_EQ(e.Message(),
              "Invalid url 'ftp://example.invalid/x' - only supports 'http' and 'https' schemes");
  }
  EXPECT_EQ(rio.RefCount(), 0);
  EXPECT_TRUE(GetIService(false, "https://127.0.0.1/Service.svc", &rio));
}

}  // namespace
}  // namespace vorn
