// The command-line sender through a fake service: outcome lines, argument
// rules, the request it builds and the exit statuses.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <optional>

#include "cli/driver.h"
#include "soap/soap_errors.h"
#include "transport/http_errors.h"

namespace vorn {
namespace {

// Records the request it is called with and answers with a prepared
// response (or throws).
class FakeService : public IService {
 public:
  IInterface* QueryInterface(const Guid&) override { return nullptr; }
  void _AddRef() override { ++refs; }
  void _Release() override { --refs; }

  std::unique_ptr<InviaDocumentoResponse2> InviaDocumento(const InviaDocumentoRequest2*) override {
    return nullptr;
  }
  std::unique_ptr<InviaDocumentoResponse2> InviaDocumentoRaw(
      const InviaDocumentoRawRequest2* request) override {
    ++calls;
    seen = std::make_unique<InviaDocumentoRawRequest2>();
    if (request->Username_Specified()) seen->SetUsername(request->Username());
    if (request->Password_Specified()) seen->SetPassword(request->Password());
    if (request->Documento_Specified()) seen->SetDocumento(request->Documento());
    if (request->FormatoSdi_Specified()) seen->SetFormatoSdi(request->FormatoSdi());
    if (request->InviaSdi_Specified()) seen->SetInviaSdi(request->InviaSdi());
    if (request->CodiceTrasmittente_Specified()) {
      seen->SetCodiceTrasmittente(request->CodiceTrasmittente());
    }
    if (request->ProgressivoInvio_Specified()) {
      seen->SetProgressivoInvio(request->ProgressivoInvio());
    }
    if (fail) fail();
    return std::move(response);
  }
  std::unique_ptr<InviaDocumentoResponse2> InviaDocumentoNoComplexTypesInRequest(
      const std::string&, const std::string&, const std::string&, const std::string&,
      const std::string&, bool) override {
    return nullptr;
  }

  int refs = 0;
  int calls = 0;
  std::unique_ptr<InviaDocumentoRawRequest2> seen;
  std::unique_ptr<InviaDocumentoResponse2> response;
  std::function<void()> fail;
};

class DriverTest : public ::testing::Test {
 protected:
  DriverTest() {
    char tmpl[] = "/tmp/vorn-driver-XXXXXX";
    dir_ = mkdtemp(tmpl);
    invoice_ = dir_ + "/invoice.xml";
    std::ofstream(invoice_, std::ios::binary) << "<a>\nb</a>";
  }
  ~DriverTest() override { std::system(("rm -rf " + dir_).c_str()); }

  // Runs the driver; returns the exit status and fills `output` with the bytes.
  int Run(std::vector<std::string> args) {
    int fds[2];
    EXPECT_EQ(pipe(fds), 0);
    int status;
    {
      Console out(fds[1], "UTF-8");
      status = RunDriver(std::move(args), out, [this] {
        return InterfacePtr<IService>::Adopt((service._AddRef(), &service));
      });
      out.Flush();
    }
    close(fds[1]);
    output.clear();
    char buf[4096];
    for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;) output.append(buf, n);
    close(fds[0]);
    return status;
  }

  static std::unique_ptr<InviaDocumentoResponse2> Answer(bool success, std::string xml,
                                                         ArrayOfstring errors) {
    auto r = std::make_unique<InviaDocumentoResponse2>();
    r->SetSuccess(success);
    r->SetXml(std::move(xml));
    if (!errors.empty()) r->SetErrors(std::move(errors));
    return r;
  }

  std::string dir_, invoice_, output;
  FakeService service;
};

TEST_F(DriverTest, OutcomeLines) {
  struct Case {
    bool success;
    std::string xml;
    ArrayOfstring errors;
    std::string lines;
    int status;
  } cases[] = {
      {true, "", {}, "Invio effettuato correttamente\r\n", 0},
      {false, "", {}, "Errore durante l'invio\r\n\r\n", 3},
      {false,
       "<E>x</E>",
       {"uno", "due", "tre"},
       "Errore durante l'invio\r\n<E>x</E>\r\n0 = uno\r\n1 = due\r\n2 = tre\r\n",
       3},
  };
  for (auto& c : cases) {
    service.response = Answer(c.success, c.xml, c.errors);
    EXPECT_EQ(Run({"u", "p", invoice_}), c.status);
    EXPECT_EQ(output, c.lines);
  }
  EXPECT_EQ(service.refs, 0);  // the interface is released at the end
}

TEST_F(DriverTest, UsageWithFewerThanThreeArguments) {
  const std::string usage =
      "Errore nell'invocazione, utilizzare:\r\n"
      "vorn.exe username password file PA InviaSdi CodiceTrasmittente ProgressivoInvio\r\n";
  EXPECT_EQ(Run({"a", "b"}), 2);
  EXPECT_EQ(output, usage);
  // An empty entry is no argument.
  EXPECT_EQ(Run({"a", "", invoice_}), 2);
  EXPECT_EQ(output, usage);
  EXPECT_EQ(service.calls, 0);
}

TEST_F(DriverTest, ThreeArgumentsSendOnlyTheCredentialsAndTheText) {
  service.response = Answer(true, "", {});
  EXPECT_EQ(Run({"u", "p", invoice_}), 0);
  ASSERT_TRUE(service.seen);
  EXPECT_EQ(service.seen->Username(), "u");
  EXPECT_EQ(service.seen->Password(), "p");
  EXPECT_EQ(service.seen->Documento(), "<a>\r\nb</a>\r\n");
  EXPECT_FALSE(service.seen->FormatoSdi_Specified());
  EXPECT_FALSE(service.seen->InviaSdi_Specified());
  EXPECT_FALSE(service.seen->CodiceTrasmittente_Specified());
  EXPECT_FALSE(service.seen->ProgressivoInvio_Specified());
}

TEST_F(DriverTest, OptionalArgumentRules) {
  struct Case {
    std::vector<std::string> extra;
    std::optional<std::string> formato;
    std::optional<bool> invia;
    std::optional<std::string> codice;
    std::optional<int64_t> progressivo;
  } cases[] = {
      {{"0", "0", "X", "$1A"}, "FPR12", false, "X", 26},
      // An empty entry is no argument: the ones after it move up.
      {{"1", "1", "", "x1A"}, "FPA12", true, "x1A", std::nullopt},
      {{"2", "true", "C", "0x1A"}, std::nullopt, std::nullopt, "C", 26},
      {{"FPA12", "00", "C", "-5"}, std::nullopt, std::nullopt, "C", -5},
      {{" 0", "+1", "C", "9223372036854775807"}, std::nullopt, std::nullopt, "C", INT64_MAX},
      {{"0", "0", "C", "-9223372036854775808"}, "FPR12", false, "C", INT64_MIN},
      {{"1"}, "FPA12", std::nullopt, std::nullopt, std::nullopt},
  };
  auto value = [](bool specified, auto v) { return specified ? std::optional(v) : std::nullopt; };
  for (auto& c : cases) {
    service.response = Answer(true, "", {});
    std::vector<std::string> args = {"u", "p", invoice_};
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    ASSERT_EQ(Run(args), 0) << output;
    const auto& s = *service.seen;
    EXPECT_EQ(value(s.FormatoSdi_Specified(), s.FormatoSdi()), c.formato);
    EXPECT_EQ(value(s.InviaSdi_Specified(), s.InviaSdi()), c.invia);
    EXPECT_EQ(value(s.CodiceTrasmittente_Specified(), s.CodiceTrasmittente()), c.codice);
    EXPECT_EQ(value(s.ProgressivoInvio_Specified(), s.ProgressivoInvio()), c.progressivo);
  }
}

TEST_F(DriverTest, LocalErrorsAreReportedAndNothingIsSent) {
  struct Case {
    std::vector<std::string> args;
    std::string line;
  } cases[] = {
      {{"u", "p", invoice_, "1", "1", "X", "abc"},
       "EConvertError: ''abc'' is not a valid integer value\r\n"},
      {{"u", "p", invoice_, "1", "1", "X", "12 "},
       "EConvertError: ''12 '' is not a valid integer value\r\n"},
      {{"u", "p", invoice_, "1", "1", "X", "9223372036854775808"},
       "EConvertError: ''9223372036854775808'' is not a valid integer value\r\n"},
      // The file is read before the optional arguments are looked at.
      {{"u", "p", dir_ + "/missing.xml", "1", "1", "X", "abc"},
       "EFOpenError: Cannot open file \"" + dir_ + "/missing.xml\". No such file or directory\r\n"},
  };
  for (auto& c : cases) {
    EXPECT_EQ(Run(c.args), 1);
    EXPECT_EQ(output, c.line);
  }
  EXPECT_EQ(service.calls, 0);
}

TEST_F(DriverTest, ServiceErrorsAreOneLine) {
  struct Case {
    std::function<void()> fail;
    std::string line;
  } cases[] = {
      {[] { throw ERemotableException("Credenziali non valide"); },
       "ERemotableException: Credenziali non valide\r\n"},
      {[] { throw ESOAPHTTPException("Not Found (404) - 'http://h/Service.svc'", 404); },
       "ESOAPHTTPException: Not Found (404) - 'http://h/Service.svc'\r\n"},
      // A call that completes without a response object.
      {nullptr, "ESOAPDomConvertError: The reply holds no InviaDocumentoRawResult element\r\n"},
  };
  for (auto& c : cases) {
    service.fail = c.fail;
    service.response = nullptr;
    EXPECT_EQ(Run({"u", "p", invoice_}), 1);
    EXPECT_EQ(output, c.line);
  }
}

}  // namespace
}  // namespace vorn
