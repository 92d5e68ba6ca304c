// The remote object's pipeline, driven through IService with a web node that
// records the request and answers with a canned reply.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "service/service.h"
#include "soap/soap_errors.h"
#include "tests/service/fpa01_invoice.h"
#include "tests/transport/hub_fixture.h"
#include "transport/http_errors.h"
#include "transport/rio.h"

namespace vorn {
namespace {

struct NodeLog {
  std::vector<std::string> requests;
  std::vector<int> indexes;
  bool destroyed = false;
};

class FakeWebNode : public IWebNode {
 public:
  FakeWebNode(NodeLog& log, std::vector<std::string> replies)
      : log_(log), replies_(std::move(replies)) {}
  ~FakeWebNode() override { log_.destroyed = true; }

  void BeforeExecute(const TIntfMetaData&, const TIntfMethEntry&, int index) override {
    log_.indexes.push_back(index);
  }
  void Execute(ByteSource& request, std::string& reply) override {
    log_.requests.push_back(ReadAll(request));
    const std::string& r = replies_[std::min(next_++, replies_.size() - 1)];
    if (r == "404") throw ESOAPHTTPException("Not Found (404) - 'http://x/'", 404);
    reply += r;
  }
  std::string GetMimeBoundary() const override { return ""; }
  void SetSOAP12(bool) override {}

 private:
  NodeLog& log_;
  std::vector<std::string> replies_;
  size_t next_ = 0;
};

const std::string kAccepted =
    "<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\"><s:Body>"
    "<InviaDocumentoRawResponse xmlns=\"http://tempuri.org/\"><InviaDocumentoRawResult>"
    "<Success>true</Success><Id>5</Id></InviaDocumentoRawResult></InviaDocumentoRawResponse>"
    "</s:Body></s:Envelope>";
const std::string kFault =
    "<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\"><s:Body><s:Fault>"
    "<faultcode>s:Server</faultcode><faultstring>Errore interno</faultstring></s:Fault>"
    "</s:Body></s:Envelope>";

// A remote object without owner whose web node is the fake; the returned
// reference is its only one.
InterfacePtr<IService> FakeService(NodeLog& log, std::vector<std::string> replies) {
  RegisterServiceContract();
  auto* rio = new THTTPRIO();
  rio->SetWebNode(std::make_unique<FakeWebNode>(log, std::move(replies)));
  return InterfacePtr<IService>::Adopt(
      static_cast<IService*>(rio->QueryInterface(IService::Info().guid)));
}

TEST(RemoteObject, CallSendsOneRequestAndReturnsTheResponse) {
  NodeLog log;
  auto service = FakeService(log, {kAccepted});
  InviaDocumentoRawRequest2 request;
  request.SetUsername("u");
  auto response = service->InviaDocumentoRaw(&request);
  ASSERT_NE(response, nullptr);
  EXPECT_TRUE(response->Success());
  EXPECT_EQ(response->Id(), 5);
  ASSERT_EQ(log.requests.size(), 1u);
  EXPECT_EQ(log.indexes, std::vector<int>{1});
  EXPECT_NE(log.requests[0].find("<InviaDocumentoRaw xmlns=\"http://tempuri.org/\">"),
            std::string::npos);
  // The request object is only read.
  EXPECT_EQ(request.Username(), "u");
  EXPECT_FALSE(request.Password_Specified());
}

TEST(RemoteObject, FaultAndHttpErrorsReachTheCallerAndTheObjectStaysUsable) {
  NodeLog log;
  auto service = FakeService(log, {kFault, "404", kAccepted});
  InviaDocumentoRawRequest2 request;
  try {
    service->InviaDocumentoRaw(&request);
    FAIL();
  } catch (const ERemotableException& e) {
    EXPECT_EQ(e.Report(), "ERemotableException: Errore interno");
    EXPECT_EQ(e.FaultCode, "s:Server");
  }
  try {
    service->InviaDocumentoRaw(&request);
    FAIL();
  } catch (const ESOAPHTTPException& e) {
    EXPECT_EQ(e.StatusCode(), 404);
  }
  EXPECT_TRUE(service->InviaDocumentoRaw(&request)->Success());
  EXPECT_EQ(log.requests.size(), 3u);
}

TEST(RemoteObject, LastReferenceDestroysTheObjectAndItsWebNode) {
  NodeLog log;
  auto service = FakeService(log, {kAccepted});
  auto copy = service;
  service.reset();
  EXPECT_FALSE(log.destroyed);
  copy.reset();
  EXPECT_TRUE(log.destroyed);
}

// Destroying an owned object while an IService reference lives cannot raise
// from the destructor; the reference then fails with "Invalid Pointer" on a
// call and is still released safely.
TEST(RemoteObject, ReferencesThatOutliveAnOwnedObjectFailSafely) {
  RegisterServiceContract();
  NodeLog log;
  InterfacePtr<IService> service;
  {
    THTTPRIO rio(/*owned=*/true);
    rio.SetWebNode(std::make_unique<FakeWebNode>(log, std::vector<std::string>{kAccepted}));
    service = InterfacePtr<IService>::Adopt(
        static_cast<IService*>(rio.QueryInterface(IService::Info().guid)));
    ASSERT_TRUE(service);
  }
  EXPECT_TRUE(log.destroyed);
  auto copy = service;
  IInterface* again = copy->QueryInterface(IService::Info().guid);  // answered by itself
  EXPECT_EQ(again, copy.get());
  again->_Release();
  InviaDocumentoRawRequest2 request;
  try {
    copy->InviaDocumentoRaw(&request);
    ADD_FAILURE() << "a call through a reference to a destroyed object went through";
  } catch (const Exception& e) {
    EXPECT_EQ(e.ClassName(), "Exception");
    EXPECT_EQ(e.Message(), "Invalid Pointer");
  }
  EXPECT_THROW(copy->QueryInterface(Guid::Parse("{11111111-2222-3333-4444-555555555555}")),
               Exception);
  EXPECT_TRUE(log.requests.empty());
  service.reset();
  copy.reset();  // the last one frees what outlived the object
}

TEST(RemoteObject, QueryInterfaceAlignsTheConverterWithTheInterface) {
  RegisterServiceContract();
  THTTPRIO rio(/*owned=*/true);
  rio.Converter()->Options.Add(TSOAPConvertOption::soLiteralParams);
  rio.Converter()->Options.Add(TSOAPConvertOption::soSOAP12);
  IInterface* intf = rio.QueryInterface(IService::Info().guid);
  ASSERT_NE(intf, nullptr);
  EXPECT_TRUE(rio.Converter()->Options.Has(TSOAPConvertOption::soDocument));
  EXPECT_FALSE(rio.Converter()->Options.Has(TSOAPConvertOption::soLiteralParams));
  EXPECT_FALSE(rio.Converter()->Options.Has(TSOAPConvertOption::soSOAP12));
  // Before any call the transport holds the interface's action template.
  EXPECT_EQ(rio.HTTPWebNode()->SoapAction, "http://tempuri.org/IService/%operationName%");
  EXPECT_EQ(rio.QueryInterface(Guid::Parse("{11111111-2222-3333-4444-555555555555}")), nullptr);
  intf->_Release();
  EXPECT_EQ(rio.RefCount(), 0);
}

TEST(RemoteObject, CallWithoutAnAddressFailsClearly) {
  RegisterServiceContract();
  THTTPRIO rio(/*owned=*/true);
  auto service = InterfacePtr<IService>::Adopt(
      static_cast<IService*>(rio.QueryInterface(IService::Info().guid)));
  InviaDocumentoRawRequest2 request;
  try {
    service->InviaDocumentoRaw(&request);
    FAIL();
  } catch (const ESOAPHTTPException& e) {
    EXPECT_EQ(e.Message(),
              "No WSDL or URL property was set in the THTTPRIO component. You must set the WSDL "
              "or URL property before invoking the Web Service");
  }
  service.reset();
}

TEST(RemoteObject, SecondCallAfterAFailureReconnectsThroughTheRealTransport) {
  test::TestHub hub({.script = R"(["drop", "accepted"])"});
  auto service = GetIService(false, hub.Url());
  InviaDocumentoRawRequest2 request;
  request.SetDocumento("<a/>\r\n");
  EXPECT_THROW(service->InviaDocumentoRaw(&request), ESOAPHTTPException);
  auto response = service->InviaDocumentoRaw(&request);
  ASSERT_NE(response, nullptr);
  EXPECT_TRUE(response->Success());
  ASSERT_EQ(hub.RequestCount(), 2);
  EXPECT_NE(hub.ConnectionOf(1), hub.ConnectionOf(2));
  // The operation's own action, never the template.
  EXPECT_NE(hub.Request(2).find("SOAPAction: \"http://tempuri.org/IService/InviaDocumentoRaw\""),
            std::string::npos);
}

// The reply of InviaDocumento accepting the invoice as number 42.
const char kInvoiceAccepted[] = R"([{"preset": "accepted", "body":
  "<s:Envelope xmlns:s='http://schemas.xmlsoap.org/soap/envelope/'><s:Body><InviaDocumentoResponse xmlns='http://tempuri.org/'><InviaDocumentoResult xmlns:a='http://schemas.datacontract.org/2004/07/VornMirtel.FE.WebService'><a:Id>42</a:Id><a:Success>true</a:Success></InviaDocumentoResult></InviaDocumentoResponse></s:Body></s:Envelope>"}])";

TEST(RemoteObject, InvoiceTreeReachesTheHubAsItsEnvelope) {
  test::TestHub hub({.script = kInvoiceAccepted});
  auto service = GetIService(false, hub.Url());
  const auto request = test::Fpa01Request();
  const auto response = service->InviaDocumento(request.get());
  ASSERT_NE(response, nullptr);
  EXPECT_TRUE(response->Success());
  EXPECT_EQ(response->Id(), 42);

  ASSERT_EQ(hub.RequestCount(), 1);
  const std::string recorded = hub.Request(1);
  const size_t end_of_head = recorded.find("\r\n\r\n");
  ASSERT_NE(end_of_head, std::string::npos);
  const std::string head = recorded.substr(0, end_of_head + 2);
  const std::string body = recorded.substr(end_of_head + 4);
  EXPECT_EQ(head.rfind("POST /Service.svc HTTP/1.1\r\n", 0), 0u) << head;
  const std::string lines[] = {"SOAPAction: \"http://tempuri.org/IService/InviaDocumento\"\r\n",
                               "Content-Type: text/xml; charset=\"utf-8\"\r\n",
                               "Content-Length: " + std::to_string(body.size()) + "\r\n"};
  for (const std::string& line : lines) {
    EXPECT_NE(head.find(line), std::string::npos) << line << head;
  }
  // The body is the checked-in envelope of the same tree, byte for byte.
  const char* root = std::getenv("VORN_SOURCE_DIR");
  std::ifstream in(
      std::string(root ? root : ".") + "/tests/data/envelopes/invia_documento_fpa01.xml",
      std::ios::binary);
  std::stringstream golden;
  golden << in.rdbuf();
  ASSERT_FALSE(golden.str().empty());
  EXPECT_EQ(body, golden.str());
  // The request still owns its tree, unchanged.
  ASSERT_NE(request->Documento(), nullptr);
  EXPECT_EQ(request->Documento()->fatturaElettronicaBodyField.size(), 1u);
}

}  // namespace
}  // namespace vorn
