// The command-line sender through a fake service: outcome lines, argument
// rules, options, the request it builds and the exit statuses.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>

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

  std::unique_ptr<InviaDocumentoResponse2> InviaDocumento(
      const InviaDocumentoRequest2* request) override {
    ++typed_calls;
    typed_seen = {request->Username(), request->Password(),
                  request->InviaSdi_Specified() ? (request->InviaSdi() ? "1" : "0") : "-",
                  request->Documento() != nullptr ? request->Documento()->versioneField
                                                  : FormatoTrasmissioneType{}};
    return std::move(response);
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
    if (before_send && !before_send("POST / HTTP/1.1\r\nAuthorization: Basic dTpw\r\n\r\n",
                                    "<r><Password>" + request->Password() + "</Password></r>")) {
      throw SendStopped{};
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
  int typed_calls = 0;
  // What a typed request held: user, password, InviaSdi ("-" when not
  // given) and the invoice's versione.
  struct Typed {
    std::string username, password, invia_sdi;
    FormatoTrasmissioneType versione{};
  } typed_seen;
  std::unique_ptr<InviaDocumentoRawRequest2> seen;
  std::unique_ptr<InviaDocumentoResponse2> response;
  std::function<void()> fail;
  // The hook of the last binding, called as the transport would.
  std::function<bool(std::string_view, std::string_view)> before_send;
};

// A pipe; what was written is read back after the write end closes.
class Pipe {
 public:
  Pipe() { EXPECT_EQ(pipe(fds_), 0); }
  ~Pipe() {
    CloseWrite();
    if (fds_[0] >= 0) close(fds_[0]);
  }
  int read_fd() const { return fds_[0]; }
  int write_fd() const { return fds_[1]; }
  void CloseWrite() {
    if (fds_[1] >= 0) close(fds_[1]);
    fds_[1] = -1;
  }
  void CloseRead() {
    if (fds_[0] >= 0) close(fds_[0]);
    fds_[0] = -1;
  }
  std::string ReadAll() {
    CloseWrite();
    std::string out;
    char buf[4096];
    for (ssize_t n; (n = read(fds_[0], buf, sizeof buf)) > 0;) out.append(buf, n);
    return out;
  }

 private:
  int fds_[2] = {-1, -1};
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

  // Runs the driver; returns the exit status and fills `output` and `errors`
  // with the bytes written to standard output and standard error. `input`
  // is standard input. With `closed_output` the output's reader is gone.
  int Run(std::vector<std::string> args, const std::string& input = "",
          const std::string& charset = "UTF-8", bool closed_output = false) {
    Pipe out, err, in;
    EXPECT_EQ(write(in.write_fd(), input.data(), input.size()), static_cast<ssize_t>(input.size()));
    in.CloseWrite();
    if (closed_output) out.CloseRead();
    int status;
    {
      Console console(out.write_fd(), "UTF-8");
      const DriverIo io{console, in.read_fd(), err.write_fd(), "/usr/bin/vorn", charset};
      status = RunDriver(std::move(args), io, [this](const ExchangeHooks& hooks) {
        service.before_send = hooks.before_send;
        return InterfacePtr<IService>::Adopt((service._AddRef(), &service));
      });
    }
    output = closed_output ? "" : out.ReadAll();
    errors = err.ReadAll();
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

  std::string dir_, invoice_, output, errors;
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

TEST_F(DriverTest, AReportThatCannotBeWrittenKeepsItsStatus) {
  std::signal(SIGPIPE, SIG_IGN);
  struct Case {
    bool success;
    std::vector<std::string> args;
    int status;
  } cases[] = {
      {true, {"u", "p", invoice_}, 0},   // the hub accepted: never send it again
      {false, {"u", "p", invoice_}, 3},  // the hub rejected
      {true, {"u", "p"}, 2},             // the usage text
      {true, {"u", "p", dir_ + "/missing.xml"}, 1},
  };
  for (auto& c : cases) {
    service.response = Answer(c.success, "", {});
    EXPECT_EQ(Run(c.args, "", "UTF-8", true), c.status);
    EXPECT_TRUE(errors.starts_with("Exception EInOutError in module vorn at ")) << errors;
    EXPECT_NE(errors.find("\r\nI/O error 32.\r\n"), std::string::npos) << errors;
  }
}

TEST_F(DriverTest, AnyOtherExceptionIsOneErrorLine) {
  struct Case {
    std::function<void()> fail;
    std::string line;
  } cases[] = {
      {[] { throw std::length_error("basic_string::_M_create"); },
       "std::length_error: basic_string::_M_create\r\n"},
      {[] { throw std::bad_alloc(); }, "EOutOfMemory: Out of memory\r\n"},
      {[] { throw 42; }, "Exception: Unknown exception\r\n"},
  };
  for (auto& c : cases) {
    service.fail = c.fail;
    EXPECT_EQ(Run({"u", "p", invoice_}), 1);
    EXPECT_EQ(output, c.line);
  }
}

TEST_F(DriverTest, ArgumentsAreDecodedFromTheLocaleCharset) {
  service.response = Answer(true, "", {});
  ASSERT_EQ(Run({"perch\xE9", "p\xE8", invoice_, "1", "1", "C\xF2", "$1A"}, "", "ISO-8859-1"), 0)
      << output;
  EXPECT_EQ(service.seen->Username(), "perché");
  EXPECT_EQ(service.seen->Password(), "pè");
  EXPECT_EQ(service.seen->CodiceTrasmittente(), "Cò");
  EXPECT_EQ(service.seen->ProgressivoInvio(), 26);
}

TEST_F(DriverTest, AnArgumentThatXmlCannotCarryIsOneLineAndNothingIsSent) {
  struct Case {
    std::vector<std::string> args;
    std::string line;
  } cases[] = {
      {{"a\x01"
        "b",
        "p", invoice_},
       "EArgumentError: The character U+0001 at position 2 of argument username is not allowed "
       "in XML\r\n"},
      {{"u",
        "se\x02"
        "cret",
        invoice_},
       "EArgumentError: The character at position 3 of argument password is not allowed in "
       "XML\r\n"},
      {{"u", "\xFFsecret", invoice_},
       "EArgumentError: Invalid UTF-8 byte sequence at byte offset 0 of argument password\r\n"},
      {{"u", "p", invoice_, "1", "1", "C\xC3"},
       "EArgumentError: Invalid UTF-8 byte sequence at byte offset 1 of argument "
       "CodiceTrasmittente\r\n"},
      {{"u", "p", invoice_, "1", "1", "C", "1\x1B"},
       "EArgumentError: The character U+001B at position 2 of argument ProgressivoInvio is not "
       "allowed in XML\r\n"},
  };
  for (auto& c : cases) {
    EXPECT_EQ(Run(c.args), 1);
    EXPECT_EQ(output, c.line);
    EXPECT_EQ(output.find("secret"), std::string::npos);
  }
  EXPECT_EQ(service.calls, 0);
}

TEST_F(DriverTest, APasswordOfDashIsTheFirstLineOfStandardInput) {
  struct Case {
    std::string input;
    std::string charset;
    std::string password;
  } cases[] = {
      {"s3cret\nnext line\n", "UTF-8", "s3cret"},
      {"s3cret\r\n", "UTF-8", "s3cret"},
      {"no line end", "UTF-8", "no line end"},
      {"p\xE8\n", "ISO-8859-1", "pè"},
  };
  for (auto& c : cases) {
    service.response = Answer(true, "", {});
    ASSERT_EQ(Run({"u", "-", invoice_}, c.input, c.charset), 0) << output;
    EXPECT_EQ(service.seen->Password(), c.password);
  }
  const int calls = service.calls;
  EXPECT_EQ(Run({"u", "-", invoice_}, "\nsecond\n"), 1);
  EXPECT_EQ(output, "EArgumentError: The password read from standard input is empty\r\n");
  EXPECT_EQ(Run({"u", "-", invoice_}, "a\x01secret\n"), 1);
  EXPECT_EQ(output,
            "EArgumentError: The character at position 2 of the password read from standard "
            "input is not allowed in XML\r\n");
  EXPECT_EQ(service.calls, calls);
}

TEST_F(DriverTest, OptionsComeBeforeThePositionalArguments) {
  EXPECT_EQ(Run({"--help"}), 0);
  EXPECT_TRUE(output.starts_with("Usage: vorn [OPTION]... USERNAME PASSWORD INVOICE\r\n"))
      << output;
  EXPECT_EQ(Run({"--version", "u", "p", invoice_}), 0);
  EXPECT_TRUE(output.starts_with("vorn ")) << output;
  EXPECT_EQ(Run({"--frob", "u", "p", invoice_}), 2);
  EXPECT_EQ(output,
            "EArgumentError: Unknown option \"--frob\"; \"vorn --help\" lists the options\r\n");
  EXPECT_EQ(Run({"--check"}), 2);
  EXPECT_EQ(output,
            "EArgumentError: The option \"--check\" needs the invoice file: vorn --check INVOICE "
            "[PA]\r\n");
  EXPECT_EQ(service.calls, 0);
  // After "--", and after the first positional argument, "--" begins no option.
  service.response = Answer(true, "", {});
  EXPECT_EQ(Run({"--", "--user", "--pass", invoice_}), 0) << output;
  EXPECT_EQ(service.seen->Username(), "--user");
  EXPECT_EQ(service.seen->Password(), "--pass");
}

TEST_F(DriverTest, DryRunPrintsTheRequestWithCredentialsHiddenAndSendsNothing) {
  service.response = Answer(true, "", {});
  EXPECT_EQ(Run({"--dry-run", "u", "pw", invoice_}), 0);
  EXPECT_EQ(output,
            "POST / HTTP/1.1\r\nAuthorization: ********\r\n\r\n"
            "<r><Password>********</Password></r>");
  EXPECT_TRUE(service.response);  // the call stopped before any answer
}

TEST_F(DriverTest, CheckAndValidateSendNothingWhenTheInvoiceIsInvalid) {
  // Not FatturaPA, and not named like an invoice file.
  EXPECT_EQ(Run({"--check", invoice_}), 4);
  EXPECT_TRUE(output.starts_with(invoice_ + ":1:1: The file name \"invoice.xml\" does not follow"))
      << output;
  EXPECT_NE(output.find(invoice_ + ":1:1: Element 'a': No matching global declaration"),
            std::string::npos)
      << output;
  EXPECT_EQ(Run({"--validate", "u", "p", invoice_}), 4);
  EXPECT_EQ(service.calls, 0);

  const std::string sample = "fatturapa/IT01234567890_FPA01.xml";
  EXPECT_EQ(Run({"--check", sample}), 0);
  EXPECT_EQ(output, "");
  // PA 0 sends FPR12, which this FPA12 invoice does not match.
  EXPECT_EQ(Run({"--check", "u", "p", sample, "0"}), 4);
  EXPECT_EQ(output, sample +
                        ":13:7: FormatoTrasmissione FPA12 does not agree with the PA argument, "
                        "which sends FPR12\r\n");
  service.response = Answer(true, "", {});
  EXPECT_EQ(Run({"--validate", "u", "p", sample, "1"}), 0);
  EXPECT_EQ(output, "Invio effettuato correttamente\r\n");
  EXPECT_EQ(service.calls, 1);
}

TEST_F(DriverTest, TraceRecordsTheOutcome) {
  const std::string trace = dir_ + "/trace.txt";
  service.response = Answer(false, "<E/>", {"uno"});
  EXPECT_EQ(Run({"--trace", trace, "u", "p", invoice_}), 3);
  std::ifstream in(trace, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text, "== Outcome\nErrore durante l'invio\n<E/>\n0 = uno\n");
  // A trace that cannot be opened stops everything.
  EXPECT_EQ(Run({"--trace=" + dir_ + "/no/such/dir/t.txt", "u", "p", invoice_}), 1);
  EXPECT_EQ(output, "EFOpenError: Cannot open file \"" + dir_ +
                        "/no/such/dir/t.txt\". No such file or directory\r\n");
  EXPECT_EQ(service.calls, 1);
}

TEST_F(DriverTest, TypedSendsTheFileThroughTheModel) {
  const std::string sample = "fatturapa/IT01234567890_FPR01.xml";
  service.response = Answer(true, "", {});
  EXPECT_EQ(Run({"--typed", "u", "p", sample, "0", "0"}), 0);
  EXPECT_EQ(output, "Invio effettuato correttamente\r\n");
  EXPECT_EQ(service.calls, 0);
  ASSERT_EQ(service.typed_calls, 1);
  EXPECT_EQ(service.typed_seen.username, "u");
  EXPECT_EQ(service.typed_seen.password, "p");
  EXPECT_EQ(service.typed_seen.invia_sdi, "0");
  EXPECT_EQ(service.typed_seen.versione, FormatoTrasmissioneType::FPR12);
}

TEST_F(DriverTest, TypedRefusesWhatItCannotSend) {
  const std::string sample = "fatturapa/IT01234567890_FPR01.xml";
  struct Case {
    std::vector<std::string> args;
    std::string line;
    int status;
  } cases[] = {
      {{"--typed", "u", "p", invoice_},
       "EInvoiceFileError: Line 1: the document element {}a is not a FatturaPA 1.2 invoice "
       "(FatturaElettronica in namespace "
       "http://ivaservizi.agenziaentrate.gov.it/docs/xsd/fatture/v1.2); the raw operation "
       "(vorn without --typed) sends the file as it is",
       1},
      {{"--typed", "u", "p", sample, "1"},
       "EArgumentError: The argument PA asks for FPA12, but the invoice's versione is FPR12; "
       "with --typed the invoice's own format is sent",
       1},
      {{"--typed", "u", "p", sample, "0", "1", "IT01234567890"},
       "EArgumentError: With --typed, CodiceTrasmittente and ProgressivoInvio come from the "
       "invoice's DatiTrasmissione: leave the arguments out",
       2},
  };
  for (const Case& c : cases) {
    service.response = Answer(true, "", {});
    EXPECT_EQ(Run(c.args), c.status) << c.line;
    EXPECT_EQ(output, c.line + "\r\n");
  }
  EXPECT_EQ(service.typed_calls, 0);
  EXPECT_EQ(service.calls, 0);
}

}  // namespace
}  // namespace vorn
