// Codec throughput and memory: builds and serializes the InviaDocumentoRaw
// request envelope for invoices of growing size, and reads a large
// InviaDocumentoRawResponse, through the converter exactly as the remote
// object drives it.
//
//   codec_bench                 runs every case, each in a fresh child
//                               process, and prints a table
//   codec_bench build BYTES     one case: prints a single "key=value ..." line
//   codec_bench parse BYTES
//
// Environment: VORN_BENCH_SECONDS (default 1.0) is the time spent repeating
// one case once it has run its minimum number of repetitions.
//
// Memory is the peak resident size above the child's baseline. The baseline
// is taken after the input (invoice text, or reply bytes) is in memory, by
// resetting the peak with /proc/self/clear_refs; where that is refused the
// peak before the measured work is used instead.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "service/messages.h"
#include "service/service.h"
#include "soap/converter.h"
#include "soap/invocation.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t KiB = 1024;
constexpr size_t MiB = 1024 * 1024;

// Operation indices among IService's own operations.
constexpr int kInviaDocumentoRaw = 1;

// ---------------------------------------------------------------------------
// Input generation

// Line descriptions with the accented letters Italian invoices are full of.
constexpr const char* kDescriptions[] = {
    "Caff\xC3\xA8 espresso in grani, miscela arabica 100% - confezione da 1 kg",
    "Consulenza tecnica per l'attivit\xC3\xA0 di manutenzione ordinaria (gioved\xC3\xAC)",
    "Pi\xC3\xB9 ore di lavoro straordinario: intervento urgente gi\xC3\xA0 concordato",
    "Servizio di pulizia locali &amp; sanificazione - canone mensile",
    "Fornitura carta A4 80 g/m\xC2\xB2, qualit\xC3\xA0 extra bianca, risma da 500 fogli",
    "Trasporto merce a destinazione: Forl\xC3\xAC \xE2\x86\x92 Citt\xC3\xA0 di Castello",
    "Noleggio attrezzatura per caff\xC3\xA8 bar, perch\xC3\xA9 richiesto dal cliente",
    "Spese di spedizione e imballaggio (\xE2\x82\xAC 12,50 forfettarie)",
};

void AppendLine(std::string& out, int indent, std::string_view text) {
  out.append(static_cast<size_t>(indent) * 2, ' ');
  out.append(text);
  out.append("\r\n");
}

void AppendField(std::string& out, int indent, std::string_view tag, std::string_view value) {
  out.append(static_cast<size_t>(indent) * 2, ' ');
  out.push_back('<');
  out.append(tag);
  out.push_back('>');
  out.append(value);
  out.append("</");
  out.append(tag);
  out.append(">\r\n");
}

std::string Money(long cents) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%ld.%02ld", cents / 100, cents % 100);
  return buf;
}

// An electronic invoice of close to `target` bytes (never more, unless the
// fixed header and footer alone are larger): header, general data, then as
// many detail lines as fit. CR LF line ends, UTF-8 with accented letters.
std::string MakeInvoiceText(size_t target) {
  std::string head;
  AppendLine(head, 0, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
  AppendLine(head, 0,
             "<p:FatturaElettronica versione=\"FPR12\" "
             "xmlns:ds=\"http://www.w3.org/2000/09/xmldsig#\" "
             "xmlns:p=\"http://ivaservizi.agenziaentrate.gov.it/docs/xsd/fatture/v1.2\" "
             "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">");
  AppendLine(head, 1, "<FatturaElettronicaHeader>");
  AppendLine(head, 2, "<DatiTrasmissione>");
  AppendLine(head, 3, "<IdTrasmittente>");
  AppendField(head, 4, "IdPaese", "IT");
  AppendField(head, 4, "IdCodice", "01234567890");
  AppendLine(head, 3, "</IdTrasmittente>");
  AppendField(head, 3, "ProgressivoInvio", "00042");
  AppendField(head, 3, "FormatoTrasmissione", "FPR12");
  AppendField(head, 3, "CodiceDestinatario", "0000000");
  AppendLine(head, 2, "</DatiTrasmissione>");
  AppendLine(head, 2, "<CedentePrestatore>");
  AppendLine(head, 3, "<DatiAnagrafici>");
  AppendLine(head, 4, "<Anagrafica>");
  AppendField(head, 5, "Denominazione", "Torrefazione Nicol\xC3\xB2 &amp; Figli S.r.l.");
  AppendLine(head, 4, "</Anagrafica>");
  AppendField(head, 4, "RegimeFiscale", "RF01");
  AppendLine(head, 3, "</DatiAnagrafici>");
  AppendLine(head, 3, "<Sede>");
  AppendField(head, 4, "Indirizzo", "Via Citt\xC3\xA0 di Castello 12");
  AppendField(head, 4, "CAP", "47121");
  AppendField(head, 4, "Comune", "Forl\xC3\xAC");
  AppendField(head, 4, "Nazione", "IT");
  AppendLine(head, 3, "</Sede>");
  AppendLine(head, 2, "</CedentePrestatore>");
  AppendLine(head, 1, "</FatturaElettronicaHeader>");
  AppendLine(head, 1, "<FatturaElettronicaBody>");
  AppendLine(head, 2, "<DatiGenerali>");
  AppendLine(head, 3, "<DatiGeneraliDocumento>");
  AppendField(head, 4, "TipoDocumento", "TD01");
  AppendField(head, 4, "Divisa", "EUR");
  AppendField(head, 4, "Data", "2024-03-15");
  AppendField(head, 4, "Numero", "2024/0815");
  AppendField(head, 4, "Causale", "Fornitura come da ordine n\xC2\xB0 77 &lt;urgente&gt;");
  AppendLine(head, 3, "</DatiGeneraliDocumento>");
  AppendLine(head, 2, "</DatiGenerali>");
  AppendLine(head, 2, "<DatiBeniServizi>");

  std::string tail;
  AppendLine(tail, 2, "</DatiBeniServizi>");
  AppendLine(tail, 1, "</FatturaElettronicaBody>");
  AppendLine(tail, 0, "</p:FatturaElettronica>");

  std::string text;
  text.reserve(std::max(target, head.size() + tail.size()));
  text = head;
  std::string line;
  for (long n = 1;; ++n) {
    line.clear();
    const long qty = 1 + n % 9;
    const long price = 125 + (n * 37) % 9000;
    AppendLine(line, 3, "<DettaglioLinee>");
    AppendField(line, 4, "NumeroLinea", std::to_string(n));
    AppendField(line, 4, "Descrizione",
                kDescriptions[static_cast<size_t>(n) % std::size(kDescriptions)]);
    AppendField(line, 4, "Quantita", std::to_string(qty) + ".00");
    AppendField(line, 4, "UnitaMisura", "pz");
    AppendField(line, 4, "PrezzoUnitario", Money(price));
    AppendField(line, 4, "PrezzoTotale", Money(price * qty));
    AppendField(line, 4, "AliquotaIVA", "22.00");
    AppendLine(line, 3, "</DettaglioLinee>");
    if (text.size() + line.size() + tail.size() > target) break;
    text += line;
  }
  text += tail;
  return text;
}

// Text escaped as a WCF service writes element content.
std::string EscapeLikeWcf(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 2);
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '\r':
        out += "&#xD;";
        break;
      default:
        out.push_back(c);
    }
  }
  return out;
}

// A WCF-style InviaDocumentoRawResponse whose Xml element holds about
// `xml_bytes` bytes of escaped text. `decoded` receives the text the reader
// should give back.
std::string MakeReply(size_t xml_bytes, std::string& decoded) {
  const std::string sample = MakeInvoiceText(MiB);
  const double growth =
      static_cast<double>(EscapeLikeWcf(sample).size()) / static_cast<double>(sample.size());
  decoded = MakeInvoiceText(static_cast<size_t>(static_cast<double>(xml_bytes) / growth));
  const std::string escaped = EscapeLikeWcf(decoded);
  std::string reply;
  reply.reserve(escaped.size() + 2048);
  reply +=
      "<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\"><s:Body>"
      "<InviaDocumentoRawResponse xmlns=\"http://tempuri.org/\">"
      "<InviaDocumentoRawResult "
      "xmlns:a=\"http://schemas.datacontract.org/2004/07/VornMirtel.FE.WebService\" "
      "xmlns:i=\"http://www.w3.org/2001/XMLSchema-instance\">"
      "<a:Errors xmlns:b=\"http://schemas.microsoft.com/2003/10/Serialization/Arrays\">"
      "<b:string>00404: Fattura duplicata</b:string></a:Errors>"
      "<a:Filename>IT01234567890_00042.xml</a:Filename><a:Id>4242</a:Id>"
      "<a:Success>false</a:Success><a:Xml>";
  reply += escaped;
  reply +=
      "</a:Xml></InviaDocumentoRawResult></InviaDocumentoRawResponse>"
      "</s:Body></s:Envelope>";
  return reply;
}

// ---------------------------------------------------------------------------
// Memory

// A field of /proc/self/status in KiB, or -1.
long StatusKiB(const char* field) {
  std::ifstream in("/proc/self/status");
  std::string line;
  const size_t n = std::strlen(field);
  while (std::getline(in, line)) {
    if (line.compare(0, n, field) == 0 && line.size() > n && line[n] == ':') {
      return std::strtol(line.c_str() + n + 1, nullptr, 10);
    }
  }
  return -1;
}

// Resets the peak resident size to the current one; false when refused.
bool ResetPeak() {
  const int fd = open("/proc/self/clear_refs", O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = write(fd, "5", 1) == 1;
  close(fd);
  return ok;
}

// ---------------------------------------------------------------------------
// One case, in the child

struct Converter {
  Converter() {
    vorn::RegisterServiceContract();
    converter.Options.Add(vorn::TSOAPConvertOption::soDocument);
  }
  const vorn::TIntfMethEntry& Method() const {
    return intf.MDA[static_cast<size_t>(vorn::kBaseInterfaceMethods + kInviaDocumentoRaw)];
  }

  vorn::TIntfMetaData intf = vorn::TIntfMetaData::FromInterface(vorn::IService::Info());
  vorn::TOPToSoapDomConvert converter;
};

double BenchSeconds() {
  const char* s = std::getenv("VORN_BENCH_SECONDS");
  const double v = s != nullptr ? std::atof(s) : 1.0;
  return v > 0 ? v : 1.0;
}

// Runs `op` at least 3 times and then until the time budget is spent
// (bounded by a repetition cap); returns the per-run times in nanoseconds.
template <typename Op>
std::vector<double> Repeat(Op&& op) {
  constexpr int kMinReps = 3;
  constexpr int kMaxReps = 200000;
  const double budget = BenchSeconds();
  std::vector<double> ns;
  const auto start = Clock::now();
  for (int i = 0; i < kMaxReps; ++i) {
    const auto t0 = Clock::now();
    op();
    const auto t1 = Clock::now();
    ns.push_back(std::chrono::duration<double, std::nano>(t1 - t0).count());
    const double spent = std::chrono::duration<double>(t1 - start).count();
    if (i + 1 >= kMinReps && spent >= budget) break;
  }
  return ns;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

int RunChild(const std::string& kind, size_t bytes) {
  Converter c;
  size_t input = 0;
  size_t output = 0;
  std::vector<double> ns;
  long baseline = 0;
  bool reset = false;
  volatile size_t sink = 0;

  if (kind == "build") {
    auto request = std::make_unique<vorn::InviaDocumentoRawRequest2>();
    request->SetUsername("mario.rossi");
    request->SetPassword("p&ss<w>rd");
    request->SetDocumento(MakeInvoiceText(bytes));
    request->SetFormatoSdi("FPR12");
    request->SetInviaSdi(true);
    request->SetCodiceTrasmittente("IT01234567890");
    request->SetProgressivoInvio(42);
    input = request->Documento().size();
    const int meth_num = vorn::kBaseInterfaceMethods + kInviaDocumentoRaw;
    auto build = [&] {
      vorn::TInvContext ctx;
      ctx.method = c.Method();
      ctx.args = {vorn::InvArg{.object = request.get()}};
      std::string envelope = c.converter.InvContextToMsg(c.intf, meth_num, ctx);
      output = envelope.size();
      sink = sink + envelope.size();
    };
    reset = ResetPeak();
    baseline = reset ? StatusKiB("VmRSS") : StatusKiB("VmHWM");
    ns = Repeat(build);
    if (output <= input) {
      std::fprintf(stderr, "envelope of %zu bytes for a %zu-byte invoice\n", output, input);
      return 1;
    }
  } else if (kind == "parse") {
    std::string decoded;
    const std::string reply = MakeReply(bytes, decoded);
    input = reply.size();
    auto read = [&](vorn::InvResult& result) {
      vorn::TInvContext ctx;
      ctx.method = c.Method();
      ctx.result = &result;
      c.converter.ProcessResponse(reply, c.intf, ctx.method, ctx);
      return dynamic_cast<vorn::InviaDocumentoResponse2*>(result.object.get());
    };
    {
      // One checked reading first, outside the measurement.
      vorn::InvResult result;
      const auto* r = read(result);
      if (r == nullptr || r->Xml() != decoded || r->Id() != 4242) {
        std::fprintf(stderr,
                     "the reply was not read back as written (Xml of %zu bytes, %zu "
                     "expected)\n",
                     r != nullptr ? r->Xml().size() : 0, decoded.size());
        return 1;
      }
      output = r->Xml().size();
    }
    auto parse = [&] {
      vorn::InvResult result;
      const auto* r = read(result);
      sink = sink + (r != nullptr ? r->Xml().size() : 0);
    };
    reset = ResetPeak();
    baseline = reset ? StatusKiB("VmRSS") : StatusKiB("VmHWM");
    ns = Repeat(parse);
  } else {
    std::fprintf(stderr, "unknown case %s\n", kind.c_str());
    return 2;
  }

  const long peak = StatusKiB("VmHWM");
  const double min_ns = *std::min_element(ns.begin(), ns.end());
  std::printf(
      "input=%zu output=%zu reps=%zu median_ns=%.0f min_ns=%.0f peak_kib=%ld "
      "baseline_kib=%ld reset=%d\n",
      input, output, ns.size(), Median(ns), min_ns, peak - baseline, baseline, reset ? 1 : 0);
  return 0;
}

// ---------------------------------------------------------------------------
// The driver

struct Case {
  std::string kind;
  size_t bytes;
};

struct Result {
  Case c;
  bool ok = false;
  std::map<std::string, double> v;
};

Result RunInChild(const Case& c) {
  Result r{c};
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return r;
  const std::string size = std::to_string(c.bytes);
  std::fflush(stdout);
  const pid_t pid = fork();
  if (pid < 0) return r;
  if (pid == 0) {
    dup2(fds[1], 1);
    const char* args[] = {"codec_bench", c.kind.c_str(), size.c_str(), nullptr};
    execv("/proc/self/exe", const_cast<char* const*>(args));
    _exit(127);
  }
  close(fds[1]);
  std::string out;
  char buf[4096];
  for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) != 0;) {
    if (n < 0) break;
    out.append(buf, static_cast<size_t>(n));
  }
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return r;
  std::istringstream in(out);
  std::string field;
  while (in >> field) {
    const size_t eq = field.find('=');
    if (eq != std::string::npos) r.v[field.substr(0, eq)] = std::atof(field.c_str() + eq + 1);
  }
  r.ok = r.v.count("median_ns") != 0;
  return r;
}

std::string Size(double bytes) {
  char buf[32];
  if (bytes >= MiB) {
    std::snprintf(buf, sizeof buf, "%.2f MiB", bytes / MiB);
  } else {
    std::snprintf(buf, sizeof buf, "%.1f KiB", bytes / KiB);
  }
  return buf;
}

std::string Duration(double ns) {
  char buf[32];
  if (ns >= 1e9) {
    std::snprintf(buf, sizeof buf, "%.3f s", ns / 1e9);
  } else if (ns >= 1e6) {
    std::snprintf(buf, sizeof buf, "%.2f ms", ns / 1e6);
  } else {
    std::snprintf(buf, sizeof buf, "%.1f us", ns / 1e3);
  }
  return buf;
}

int RunAll() {
  const std::vector<Case> cases = {
      {"build", 10 * KiB}, {"build", 1 * MiB}, {"build", 5 * MiB},
      {"build", 50 * MiB}, {"parse", 5 * MiB},
  };
  std::printf(
      "vorn codec benchmark: InviaDocumentoRaw request envelope (build + serialize)\n"
      "and InviaDocumentoRawResponse reading; each case in a fresh process.\n"
      "input = invoice text (build) or reply bytes (parse); time = median per "
      "operation;\nMiB/s = input / time; peak = resident peak above the baseline "
      "taken with the input in memory.\n\n");
  std::printf("%-16s %11s %11s %6s %10s %10s %9s %8s %11s %7s\n", "case", "input", "output", "reps",
              "time/op", "best", "MiB/s", "ns/byte", "peak", "x input");
  std::vector<Result> results;
  bool all_ok = true;
  bool reset_everywhere = true;
  for (const Case& c : cases) {
    Result r = RunInChild(c);
    results.push_back(r);
    const char* label = c.kind == "build" ? "build+serialize" : "parse reply";
    if (!r.ok) {
      std::printf("%-16s %11s  FAILED (see the child's message above)\n", label,
                  Size(static_cast<double>(c.bytes)).c_str());
      all_ok = false;
      continue;
    }
    const double input = r.v["input"];
    const double median = r.v["median_ns"];
    const double peak = r.v["peak_kib"] * KiB;
    if (r.v["reset"] == 0) reset_everywhere = false;
    std::printf("%-16s %11s %11s %6.0f %10s %10s %9.1f %8.3f %11s %7.2f\n", label,
                Size(input).c_str(), Size(r.v["output"]).c_str(), r.v["reps"],
                Duration(median).c_str(), Duration(r.v["min_ns"]).c_str(),
                input / MiB / (median / 1e9), median / input, Size(peak).c_str(), peak / input);
    std::fflush(stdout);
  }
  if (!reset_everywhere) {
    std::printf(
        "\nnote: the peak could not be reset in some child; its baseline is the peak "
        "before the measured work.\n");
  }

  // The goals, against the figures above.
  std::printf("\ngoals (build + serialize):\n");
  double min_rate = 1e300;
  double worst_mem = 0;
  const Result* small = nullptr;
  const Result* large = nullptr;
  for (const Result& r : results) {
    if (!r.ok || r.c.kind != "build") continue;
    const double input = r.v.at("input");
    min_rate = std::min(min_rate, input / 1e6 / (r.v.at("median_ns") / 1e9));
    worst_mem = std::max(worst_mem, r.v.at("peak_kib") * KiB / input);
    if (small == nullptr || r.c.bytes < small->c.bytes) small = &r;
    if (large == nullptr || r.c.bytes > large->c.bytes) large = &r;
  }
  if (small == nullptr) {
    std::printf("  no build case ran\n");
    return 1;
  }
  std::printf("  throughput >= 200 MB/s at every size    slowest: %.1f MB/s (10^6 bytes)  %s\n",
              min_rate, min_rate >= 200 ? "met" : "MISSED");
  const double ratio = (large->v.at("median_ns") / large->v.at("input")) /
                       (small->v.at("median_ns") / small->v.at("input"));
  std::printf("  cost linear in size                      ns/byte %s vs %s: %.2fx  %s\n",
              Size(large->v.at("input")).c_str(), Size(small->v.at("input")).c_str(), ratio,
              ratio <= 1.5 ? "linear (within 1.5x)" : "NOT linear (over 1.5x)");
  std::printf("  peak memory < 4x invoice size            worst: %.2fx  %s\n", worst_mem,
              worst_mem < 4 ? "met" : "MISSED");
  return all_ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3) {
    char* end = nullptr;
    const unsigned long long bytes = std::strtoull(argv[2], &end, 10);
    if (end == argv[2] || *end != '\0' || bytes == 0) {
      std::fprintf(stderr, "usage: %s [build|parse BYTES]\n", argv[0]);
      return 2;
    }
    return RunChild(argv[1], static_cast<size_t>(bytes));
  }
  if (argc != 1) {
    std::fprintf(stderr, "usage: %s [build|parse BYTES]\n", argv[0]);
    return 2;
  }
  return RunAll();
}
