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
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
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

double CpuNowNs() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) * 1e9 + static_cast<double>(ts.tv_nsec);
}

long MinorFaults() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_minflt;
}

struct Timings {
  std::vector<double> wall_ns;
  std::vector<double> cpu_ns;
  long minor_faults = 0;     // over all runs
  long first_peak_kib = -1;  // VmHWM right after the first run
};

constexpr size_t kMinReps = 3;
constexpr size_t kMaxReps = 100000;

// Room for every run's times, written through once so that recording them
// later adds nothing to the resident size being measured.
Timings PrepareTimings() {
  Timings t;
  t.wall_ns.assign(kMaxReps, 1.0);
  t.cpu_ns.assign(kMaxReps, 1.0);
  return t;
}

// Runs `op` at least kMinReps times and then until the time budget is spent
// (at most kMaxReps times); records wall and CPU time of every run into `t`,
// which PrepareTimings made.
template <typename Op>
void Repeat(Op&& op, Timings& t) {
  const double budget = BenchSeconds();
  const long faults = MinorFaults();
  const auto start = Clock::now();
  size_t n = 0;
  while (n < kMaxReps) {
    const double c0 = CpuNowNs();
    const auto t0 = Clock::now();
    op();
    const auto t1 = Clock::now();
    const double c1 = CpuNowNs();
    t.wall_ns[n] = std::chrono::duration<double, std::nano>(t1 - t0).count();
    t.cpu_ns[n] = c1 - c0;
    if (n == 0) t.first_peak_kib = StatusKiB("VmHWM");
    ++n;
    if (n >= kMinReps && std::chrono::duration<double>(t1 - start).count() >= budget) break;
  }
  t.minor_faults = MinorFaults() - faults;
  t.wall_ns.resize(n);
  t.cpu_ns.resize(n);
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
  Timings t = PrepareTimings();
  long baseline = 0;
  long file_baseline = 0;
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
    file_baseline = StatusKiB("RssFile");
    Repeat(build, t);
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
    file_baseline = StatusKiB("RssFile");
    Repeat(parse, t);
  } else {
    std::fprintf(stderr, "unknown case %s\n", kind.c_str());
    return 2;
  }

  const long peak = StatusKiB("VmHWM");
  const size_t reps = t.wall_ns.size();
  std::printf(
      "input=%zu output=%zu reps=%zu wall_ns=%.0f best_wall_ns=%.0f cpu_ns=%.0f "
      "first_wall_ns=%.0f first_cpu_ns=%.0f "
      "faults_per_op=%.1f peak_kib=%ld first_peak_kib=%ld file_kib=%ld baseline_kib=%ld "
      "reset=%d\n",
      input, output, reps, Median(t.wall_ns), *std::min_element(t.wall_ns.begin(), t.wall_ns.end()),
      Median(t.cpu_ns), t.wall_ns.front(), t.cpu_ns.front(),
      static_cast<double>(t.minor_faults) / static_cast<double>(reps), peak - baseline,
      t.first_peak_kib - baseline, StatusKiB("RssFile") - file_baseline, baseline, reset ? 1 : 0);
  return 0;
}

// ---------------------------------------------------------------------------
// The driver

struct Case {
  std::string kind;
  size_t bytes;
  std::string label;
};

struct Result {
  Case c;
  bool ok = false;
  std::map<std::string, double> v;

  double At(const char* key) const { return v.at(key); }
  double PerByte(const char* key) const { return At(key) / At("input"); }
  double MBps(const char* key) const { return At("input") / 1e6 / (At(key) / 1e9); }
  double PeakBytes() const { return At("peak_kib") * KiB; }
  // File-backed pages (program and library code first run) that joined the
  // resident set during the measurement.
  double FileBytes() const { return std::max(0.0, At("file_kib")) * KiB; }
  // The peak less those pages, per byte of input.
  double DataPeakRatio() const { return (PeakBytes() - FileBytes()) / At("input"); }
  // The same after the first operation alone, as one vorn run does it.
  double FirstPeakBytes() const { return At("first_peak_kib") * KiB; }
  double FirstDataPeakRatio() const {
    return std::max(0.0, FirstPeakBytes() - FileBytes()) / At("input");
  }
};

Result RunInChild(const Case& c) {
  Result r;
  r.c = c;
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
  r.ok = r.v.count("wall_ns") != 0 && r.v.count("cpu_ns") != 0;
  return r;
}

std::string Size(double bytes) {
  char buf[32];
  if (bytes >= static_cast<double>(MiB)) {
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

std::string LoadAverage() {
  std::ifstream in("/proc/loadavg");
  std::string one, five, fifteen;
  in >> one >> five >> fifteen;
  return one + " " + five + " " + fifteen;
}

// The spread (largest / smallest) of `per_byte` over `rows`.
template <typename F>
double Spread(const std::vector<const Result*>& rows, F per_byte) {
  double lo = 1e300, hi = 0;
  for (const Result* r : rows) {
    lo = std::min(lo, per_byte(*r));
    hi = std::max(hi, per_byte(*r));
  }
  return hi / lo;
}

int RunAll() {
  const std::vector<Case> cases = {
      {"build", 1, "build (no lines)"},       {"build", 10 * KiB, "build+serialize"},
      {"build", 1 * MiB, "build+serialize"},  {"build", 5 * MiB, "build+serialize"},
      {"build", 50 * MiB, "build+serialize"}, {"parse", 5 * MiB, "parse reply"},
  };
  std::printf(
      "vorn codec benchmark: InviaDocumentoRaw request envelope (build + serialize) and\n"
      "InviaDocumentoRawResponse reading, through TOPToSoapDomConvert; each case in a fresh\n"
      "process. input = invoice text (build) or reply bytes (parse). wall, cpu = median per\n"
      "operation over the repetitions; 1st op = the first operation of the process, as the\n"
      "vorn binary does it once per run (code and memory touched for the first time).\n"
      "MB/s = 10^6 bytes of input per second. The first row is an invoice without detail\n"
      "lines: the fixed cost of one envelope.\n"
      "load average at start: %s (machine has %ld CPUs)\n\n",
      LoadAverage().c_str(), sysconf(_SC_NPROCESSORS_ONLN));
  std::printf("%-17s %10s %10s %6s %10s %10s %7s %7s %10s %7s %7s\n", "case", "input", "output",
              "reps", "wall/op", "cpu/op", "MB/s", "MB/s", "1st op", "MB/s", "faults");
  std::printf("%-17s %10s %10s %6s %10s %10s %7s %7s %10s %7s %7s\n", "", "", "", "", "", "",
              "(wall)", "(cpu)", "(wall)", "(1st)", "per op");
  std::vector<Result> results;
  bool all_ok = true;
  bool reset_everywhere = true;
  for (const Case& c : cases) {
    Result r = RunInChild(c);
    results.push_back(r);
    if (!r.ok) {
      std::printf("%-17s %10s  FAILED (see the child's message above)\n", c.label.c_str(),
                  Size(static_cast<double>(c.bytes)).c_str());
      all_ok = false;
      continue;
    }
    if (r.At("reset") == 0) reset_everywhere = false;
    std::printf("%-17s %10s %10s %6.0f %10s %10s %7.1f %7.1f %10s %7.1f %7.0f\n", c.label.c_str(),
                Size(r.At("input")).c_str(), Size(r.At("output")).c_str(), r.At("reps"),
                Duration(r.At("wall_ns")).c_str(), Duration(r.At("cpu_ns")).c_str(),
                r.MBps("wall_ns"), r.MBps("cpu_ns"), Duration(r.At("first_wall_ns")).c_str(),
                r.MBps("first_wall_ns"), r.At("faults_per_op"));
    std::fflush(stdout);
  }
  std::printf("load average at end: %s\n", LoadAverage().c_str());

  std::printf(
      "\nmemory: peak = resident peak above the baseline taken with the input in memory, over\n"
      "all repetitions, and after the 1st op alone; file = file-backed pages (code run for\n"
      "the first time) among it; x input = (peak - file) / input; above fixed = the same\n"
      "above the no-lines envelope's (peak - file).\n");
  const Result& fixed = results.front();
  std::printf("%-17s %10s %10s %10s %9s %8s %8s %12s\n", "case", "input", "peak", "1st op", "file",
              "x input", "(1st op)", "above fixed");
  for (const Result& r : results) {
    if (!r.ok) continue;
    std::printf("%-17s %10s %10s %10s %9s %7.2fx %7.2fx", r.c.label.c_str(),
                Size(r.At("input")).c_str(), Size(r.PeakBytes()).c_str(),
                Size(r.FirstPeakBytes()).c_str(), Size(r.FileBytes()).c_str(), r.DataPeakRatio(),
                r.FirstDataPeakRatio());
    if (fixed.ok && &r != &fixed && r.c.kind == "build") {
      const double data = r.PeakBytes() - r.FileBytes();
      const double fixed_data = fixed.PeakBytes() - fixed.FileBytes();
      std::printf(" %11.2fx", (data - fixed_data) / r.At("input"));
    }
    std::printf("\n");
  }
  if (!reset_everywhere) {
    std::printf(
        "note: the peak could not be reset in some child; its baseline is the peak "
        "before the measured work.\n");
  }

  // The goals, against the build rows of the sizes they are set for
  // (10 KiB and up).
  std::vector<const Result*> sized;
  for (const Result& r : results) {
    if (r.ok && r.c.kind == "build" && r.c.bytes >= 10 * KiB) sized.push_back(&r);
  }
  std::printf("\ngoals (build + serialize, 10 KiB to 50 MiB):\n");
  if (sized.empty() || !fixed.ok) {
    std::printf("  not every build case ran\n");
    return 1;
  }
  double slow_wall = 1e300, slow_cpu = 1e300, slow_first = 1e300, worst_mem = 0, worst_raw = 0;
  for (const Result* r : sized) {
    slow_wall = std::min(slow_wall, r->MBps("wall_ns"));
    slow_cpu = std::min(slow_cpu, r->MBps("cpu_ns"));
    slow_first = std::min(slow_first, r->MBps("first_wall_ns"));
    worst_mem = std::max(worst_mem, r->DataPeakRatio());
    worst_raw = std::max(worst_raw, r->PeakBytes() / r->At("input"));
  }
  std::printf("  >= 200 MB/s at every size: slowest median %.1f MB/s wall (%.1f cpu) -> %s;\n",
              slow_wall, slow_cpu, slow_wall >= 200 ? "met" : "MISSED");
  std::printf("      first operation:");
  for (const Result* r : sized) {
    std::printf(" %s %.1f MB/s", Size(r->At("input")).c_str(), r->MBps("first_wall_ns"));
  }
  std::printf(" -> %s\n", slow_first >= 200 ? "met" : "MISSED");

  // Per-byte cost above the fixed cost of an envelope, so that a fixed cost
  // does not pass for a non-linear one.
  auto marginal = [&fixed](const char* key) {
    return [&fixed, key](const Result& r) {
      return (r.At(key) - fixed.At(key)) / (r.At("input") - fixed.At("input"));
    };
  };
  const auto warm = marginal("cpu_ns");
  const auto first = marginal("first_wall_ns");
  std::printf("  cost linear in size: ns per byte above the no-lines envelope's cost\n");
  std::printf("      median cpu: ");
  for (const Result* r : sized) {
    std::printf(" %s %.2f", Size(r->At("input")).c_str(), warm(*r));
  }
  const double warm_spread = Spread(sized, warm);
  std::printf("  -> spread %.2fx\n      1st op wall:", warm_spread);
  for (const Result* r : sized) {
    std::printf(" %s %.2f", Size(r->At("input")).c_str(), first(*r));
  }
  const double first_spread = Spread(sized, first);
  std::printf("  -> spread %.2fx\n", first_spread);
  std::printf("      -> %s (median), %s (1st op)   [linear = spread within 1.5x]\n",
              warm_spread <= 1.5 ? "linear" : "NOT linear",
              first_spread <= 1.5 ? "linear" : "NOT linear");

  std::printf("  peak memory < 4x invoice size: x input");
  for (const Result* r : sized) {
    std::printf(" %s %.2fx (1st op %.2fx)", Size(r->At("input")).c_str(), r->DataPeakRatio(),
                r->FirstDataPeakRatio());
  }
  std::printf(" -> %s (worst %.2fx; with file-backed pages %.2fx)\n",
              worst_mem < 4 ? "met" : "MISSED", worst_mem, worst_raw);
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
