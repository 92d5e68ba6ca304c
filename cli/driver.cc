#include "cli/driver.h"

#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <optional>
#include <utility>

#include "base/integer_text.h"
#include "cli/argument_text.h"
#include "cli/cli_errors.h"
#include "cli/command_line.h"
#include "cli/document_loader.h"
#include "cli/exchange_trace.h"
#include "cli/file_path.h"
#include "cli/invoice_check.h"
#include "cli/locale_charset.h"
#include "cli/observer_list.h"
#include "cli/password_input.h"
#include "cli/progress_line.h"
#include "cli/redaction.h"
#include "cli/version.h"
#include "fatturapa/fatturapa_reader.h"
#include "soap/soap_errors.h"

namespace vorn {
namespace {

// What a run reports, and its exit status.
struct Report {
  int status = kExitError;
  std::vector<std::string> lines;
  std::string bytes;  // written as they are after the lines (the dry run's request)
};

// Runs `step`; an exception it throws becomes an error report.
template <typename Step>
Report Guarded(Step&& step) {
  try {
    return step();
  } catch (...) {
    return {kExitError, {CurrentErrorReport()}, {}};
  }
}

// What the PA argument sends as FormatoSdi: "0" FPR12, "1" FPA12, nothing
// for any other value.
std::optional<std::string_view> FormatoOfPA(std::string_view pa) {
  if (pa == "0") return "FPR12";
  if (pa == "1") return "FPA12";
  return std::nullopt;
}

uint64_t FileSize(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 ? static_cast<uint64_t>(st.st_size) : 0;
}

std::string Charset(const DriverIo& io) {
  return io.charset.empty() ? LocaleCharset() : io.charset;
}

// The findings about `path` as report lines; status 4 when there are any.
Report CheckFile(const std::string& path, std::optional<std::string_view> formato,
                 std::string_view text) {
  Report report{kExitOk, {}, {}};
  for (const xml::Finding& f : CheckInvoice(path, text, FileSize(path), formato)) {
    report.lines.push_back(FindingLine(path, f));
    report.status = kExitInvalid;
  }
  return report;
}

// --check INVOICE [PA], or --check in front of the whole command.
// REQUIRES: at least one argument.
Report Check(const std::vector<std::string>& args) {
  const size_t file = args.size() >= 3 ? 2 : 0;
  const std::optional<std::string_view> formato =
      args.size() > file + 1 ? FormatoOfPA(args[file + 1]) : std::nullopt;
  return CheckFile(args[file], formato, LoadDocumentText(args[file]));
}

// The outcome lines of the hub's answer.
Report Outcome(const InviaDocumentoResponse2& response) {
  if (response.Success()) return {kExitOk, {"Invio effettuato correttamente"}, {}};
  Report report{kExitRejected, {"Errore durante l'invio", response.Xml()}, {}};
  const ArrayOfstring& errors = response.Errors();
  for (size_t i = 0; i < errors.size(); ++i) {
    report.lines.push_back(std::to_string(i) + " = " + errors[i]);
  }
  return report;
}

// The typed request of a submission: the file read into the model. The
// typed request has no field for PA, CodiceTrasmittente and
// ProgressivoInvio, whose values the invoice itself carries: PA must agree
// with the invoice's versione, and the other two are refused rather than
// dropped.
std::unique_ptr<InviaDocumentoRequest2> TypedRequest(const std::vector<std::string>& args,
                                                     std::string username, std::string password,
                                                     std::string_view text,
                                                     std::optional<std::string_view> formato) {
  auto request = std::make_unique<InviaDocumentoRequest2>();
  request->SetUsername(std::move(username));
  request->SetPassword(std::move(password));
  std::unique_ptr<FatturaElettronicaType2> invoice = ReadFatturaPA(text);
  const std::string_view versione = EnumTraits<FormatoTrasmissioneType>::kIdentifiers.at(
      static_cast<size_t>(invoice->versioneField));
  if (formato && *formato != versione) {
    throw EArgumentError("The argument PA asks for " + std::string(*formato) +
                         ", but the invoice's versione is " + std::string(versione) +
                         "; with --typed the invoice's own format is sent");
  }
  (void)request->SetDocumento(std::move(invoice));
  if (args.size() > 4) {
    if (args[4] == "0") request->SetInviaSdi(false);
    if (args[4] == "1") request->SetInviaSdi(true);
  }
  return request;
}

// The steps of a submission, in the order of the positional command: the
// request holds the credentials before the file is read, and the file is
// read before the optional arguments are looked at.
Report Send(const CommandLine& command, const DriverIo& io, const ServiceGetter& get_service,
            IHttpObserver* trace) {
  const std::vector<std::string>& args = command.positional;
  const Options& options = command.options;
  const std::string charset = Charset(io);
  auto request = std::make_unique<InviaDocumentoRawRequest2>();
  request->SetUsername(ArgumentText(args[0], "argument username", charset));
  request->SetPassword(args[1] == "-" ? ReadPassword(io.in_fd, charset)
                                      : ArgumentText(args[1], "argument password", charset, true));
  std::string text = LoadDocumentText(args[2]);
  const std::optional<std::string_view> formato =
      args.size() > 3 ? FormatoOfPA(args[3]) : std::nullopt;
  if (options.validate) {
    Report findings = CheckFile(args[2], formato, text);
    if (findings.status != kExitOk) return findings;
  }
  std::unique_ptr<InviaDocumentoRequest2> typed;
  if (options.typed) {
    typed = TypedRequest(args, request->Username(), request->Password(), text, formato);
  }
  request->SetDocumento(std::move(text));
  if (formato) request->SetFormatoSdi(std::string(*formato));
  if (args.size() > 4) {
    if (args[4] == "0") request->SetInviaSdi(false);
    if (args[4] == "1") request->SetInviaSdi(true);
  }
  if (args.size() > 5) {
    request->SetCodiceTrasmittente(ArgumentText(args[5], "argument CodiceTrasmittente", charset));
  }
  if (args.size() > 6) {
    request->SetProgressivoInvio(
        StrToInt64(ArgumentText(args[6], "argument ProgressivoInvio", charset)));
  }

  // The progress line is erased (by its destructor) before anything is
  // reported, also when the call fails.
  const bool show_progress = !options.quiet && isatty(io.err_fd) == 1;
  ProgressLine progress(io.err_fd, show_progress);
  ObserverList observers;
  observers.Add(trace);
  if (show_progress) observers.Add(&progress);
  ExchangeHooks hooks;
  if (!observers.Empty()) hooks.observer = &observers;
  Report dry_run{kExitOk, {}, {}};
  if (options.dry_run) {
    hooks.before_send = [&dry_run](std::string_view head, std::string_view body) {
      dry_run.bytes = MaskCredentialHeaders(head);
      dry_run.bytes += MaskPasswords(body);
      return false;
    };
  }
  InterfacePtr<IService> service = get_service(hooks);
  std::unique_ptr<InviaDocumentoResponse2> response;
  try {
    response =
        typed ? service->InviaDocumento(typed.get()) : service->InviaDocumentoRaw(request.get());
  } catch (const SendStopped&) {
    return dry_run;
  }
  if (response == nullptr) {
    throw ESOAPDomConvertError(typed ? "The reply holds no InviaDocumentoResult element"
                                     : "The reply holds no InviaDocumentoRawResult element");
  }
  return Outcome(*response);
}

// A submission, with its trace when one is asked for.
Report Submit(const CommandLine& command, const DriverIo& io, const ServiceGetter& get_service) {
  const Options& options = command.options;
  std::optional<ExchangeTrace> trace;
  if (!options.trace.empty()) trace.emplace(OpenTraceFile(options.trace));
  Report report =
      Guarded([&] { return Send(command, io, get_service, trace ? &*trace : nullptr); });
  if (trace) {
    trace->Finish(report.lines.empty() && options.dry_run
                      ? std::vector<std::string>{"Nothing sent (--dry-run)"}
                      : report.lines);
    if (trace->Error() != 0) {
      // The submission stands; only the trace is incomplete.
      const EInOutError e("Cannot write the trace file \"" + FullPath(options.trace) + "\". " +
                              SystemErrorText(trace->Error()),
                          trace->Error());
      WriteFully(io.err_fd, e.Report() + "\r\n");
    }
  }
  return report;
}

Report Decide(std::vector<std::string> args, const DriverIo& io, const ServiceGetter& get_service) {
  CommandLine command;
  try {
    command = ParseCommandLine(std::move(args));
  } catch (const EArgumentError& e) {
    return {kExitUsage, {e.Report()}, {}};
  }
  const Options& options = command.options;
  if (options.help) return {kExitOk, HelpLines(defURL()), {}};
  if (options.version) return {kExitOk, VersionLines(), {}};
  if (options.check && command.positional.empty()) {
    const EArgumentError e(
        "The option \"--check\" needs the invoice file: vorn --check INVOICE [PA]");
    return {kExitUsage, {e.Report()}, {}};
  }
  if (options.check) return Check(command.positional);
  if (command.positional.size() < 3) return {kExitUsage, UsageLines(), {}};
  if (options.typed && command.positional.size() > 5) {
    // The typed request has no field for them: the invoice carries its own.
    const EArgumentError e(
        "With --typed, CodiceTrasmittente and ProgressivoInvio come from the invoice's "
        "DatiTrasmissione: leave the arguments out");
    return {kExitUsage, {e.Report()}, {}};
  }
  return Submit(command, io, get_service);
}

}  // namespace

int RunDriver(std::vector<std::string> args, const DriverIo& io, const ServiceGetter& get_service) {
  const Report report = Guarded([&] { return Decide(std::move(args), io, get_service); });
  try {
    for (const std::string& line : report.lines) io.out.WriteLine(line);
    io.out.WriteBytes(report.bytes);
    io.out.Flush();
  } catch (...) {
    WriteFatalDiagnostic(io.err_fd, CurrentError(), io.program);
  }
  return report.status;
}

}  // namespace vorn
