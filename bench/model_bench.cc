// Writing a typed invoice: builds, in code, a model tree of an invoice with
// LINES detail lines and writes it as the InviaDocumento request envelope
// through the converter, as the remote object does.
//
//   model_bench [LINES [CALLS]]     (defaults: 20000 lines, 3 calls)
//
// Prints one "key=value ..." line per call: the time to build the envelope
// and read all its bytes, a piece at a time, as the remote object has them
// sent. The first call is the first envelope written in the process: the classes' wire plans and
// registry answers are worked out during it. Memory: "tree_mib" is what the tree added to the
// resident size; "peak_mib" is the peak resident size during the first call above the size just
// before it (the peak is reset with /proc/self/clear_refs where the kernel allows it; otherwise the
// peak since start is used and "peak_reset=0" is printed).
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "service/messages.h"
#include "service/service.h"
#include "soap/converter.h"
#include "soap/invocation.h"

namespace {

using namespace vorn;
using Clock = std::chrono::steady_clock;

constexpr int kInviaDocumento = 0;  // among IService's own operations

// CPU time of this process, in seconds: on a busy machine the wall time
// also counts the time other processes had the processor.
double CpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

long StatusKiB(const char* key) {
  std::ifstream in("/proc/self/status");
  std::string line;
  const size_t n = std::strlen(key);
  while (std::getline(in, line)) {
    if (line.compare(0, n, key) == 0 && line.size() > n && line[n] == ':') {
      return std::strtol(line.c_str() + n + 1, nullptr, 10);
    }
  }
  return -1;
}

// Resets the peak resident size to the current one.
bool ResetPeak() {
  const int fd = open("/proc/self/clear_refs", O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = write(fd, "5", 1) == 1;
  close(fd);
  return ok;
}

std::unique_ptr<TXSDecimal> Dec(std::string text) {
  auto d = std::make_unique<TXSDecimal>();
  d->DecimalString = std::move(text);
  return d;
}

std::unique_ptr<TXSDateTime> Date(const std::string& text) {
  auto d = std::make_unique<TXSDateTime>();
  d->XSToNative(text);
  return d;
}

std::unique_ptr<IdFiscaleType2> IdFiscale(std::string codice) {
  auto id = std::make_unique<IdFiscaleType2>();
  id->idPaeseField = "IT";
  id->idCodiceField = std::move(codice);
  return id;
}

std::unique_ptr<AnagraficaType2> Denominazione(std::string name) {
  auto a = std::make_unique<AnagraficaType2>();
  a->itemsElementNameField = {ItemsChoiceType::Denominazione};
  a->itemsField = {std::move(name)};
  return a;
}

std::unique_ptr<IndirizzoType2> Sede(std::string indirizzo, std::string cap, std::string comune,
                                     std::string provincia) {
  auto s = std::make_unique<IndirizzoType2>();
  s->indirizzoField = std::move(indirizzo);
  s->cAPField = std::move(cap);
  s->comuneField = std::move(comune);
  s->provinciaField = std::move(provincia);
  s->nazioneField = "IT";
  return s;
}

// One detail line with what a goods line usually carries: an article
// code, a description with accented letters, quantity, unit, prices, rate.
std::unique_ptr<DettaglioLineeType2> Line(size_t n) {
  auto l = std::make_unique<DettaglioLineeType2>();
  l->numeroLineaField = std::to_string(n);
  auto codice = std::make_unique<CodiceArticoloType2>();
  codice->codiceTipoField = "EAN";
  codice->codiceValoreField = std::to_string(8000000000000 + n);
  l->codiceArticoloField.push_back(std::move(codice));
  l->descrizioneField = "Caff\xC3\xA8 espresso in grani, miscela arabica - confezione " +
                        std::to_string(n % 97) + " da 1 kg";
  (void)l->quantitaField.Set(Dec(std::to_string(1 + n % 9) + ".00"));
  l->quantitaFieldSpecified = true;
  l->unitaMisuraField = "KG";
  (void)l->prezzoUnitarioField.Set(Dec("12.50"));
  (void)l->prezzoTotaleField.Set(Dec(std::to_string(12.5 * static_cast<double>(1 + n % 9))));
  (void)l->aliquotaIVAField.Set(Dec("22.00"));
  return l;
}

std::unique_ptr<FatturaElettronicaType2> Invoice(size_t lines) {
  auto root = std::make_unique<FatturaElettronicaType2>();
  auto header = std::make_unique<FatturaElettronicaHeaderType2>();
  auto trasmissione = std::make_unique<DatiTrasmissioneType2>();
  (void)trasmissione->idTrasmittenteField.Set(IdFiscale("01234567890"));
  trasmissione->progressivoInvioField = "00001";
  trasmissione->codiceDestinatarioField = "AAAAAA";
  (void)header->datiTrasmissioneField.Set(std::move(trasmissione));
  auto cedente = std::make_unique<CedentePrestatoreType2>();
  auto dati_cedente = std::make_unique<DatiAnagraficiCedenteType2>();
  (void)dati_cedente->idFiscaleIVAField.Set(IdFiscale("01234567890"));
  (void)dati_cedente->anagraficaField.Set(Denominazione("ALPHA SRL"));
  dati_cedente->regimeFiscaleField = RegimeFiscaleType::RF01;
  (void)cedente->datiAnagraficiField.Set(std::move(dati_cedente));
  (void)cedente->sedeField.Set(Sede("VIALE ROMA 543", "07100", "SASSARI", "SS"));
  (void)header->cedentePrestatoreField.Set(std::move(cedente));
  auto cessionario = std::make_unique<CessionarioCommittenteType2>();
  auto dati_cessionario = std::make_unique<DatiAnagraficiCessionarioType2>();
  dati_cessionario->codiceFiscaleField = "09876543210";
  (void)dati_cessionario->anagraficaField.Set(Denominazione("AMMINISTRAZIONE BETA"));
  (void)cessionario->datiAnagraficiField.Set(std::move(dati_cessionario));
  (void)cessionario->sedeField.Set(Sede("VIA TORINO 38-B", "00145", "ROMA", "RM"));
  (void)header->cessionarioCommittenteField.Set(std::move(cessionario));
  (void)root->fatturaElettronicaHeaderField.Set(std::move(header));

  auto body = std::make_unique<FatturaElettronicaBodyType2>();
  auto generali = std::make_unique<DatiGeneraliType2>();
  auto documento = std::make_unique<DatiGeneraliDocumentoType2>();
  documento->divisaField = "EUR";
  (void)documento->dataField.Set(Date("2017-01-18"));
  documento->numeroField = "123";
  (void)generali->datiGeneraliDocumentoField.Set(std::move(documento));
  (void)body->datiGeneraliField.Set(std::move(generali));
  auto beni = std::make_unique<DatiBeniServiziType2>();
  beni->dettaglioLineeField.reserve(lines);
  for (size_t n = 1; n <= lines; ++n) beni->dettaglioLineeField.push_back(Line(n));
  auto riepilogo = std::make_unique<DatiRiepilogoType2>();
  (void)riepilogo->aliquotaIVAField.Set(Dec("22.00"));
  (void)riepilogo->imponibileImportoField.Set(Dec("1000.00"));
  (void)riepilogo->impostaField.Set(Dec("220.00"));
  beni->datiRiepilogoField.push_back(std::move(riepilogo));
  (void)body->datiBeniServiziField.Set(std::move(beni));
  auto pagamento = std::make_unique<DatiPagamentoType2>();
  auto dettaglio = std::make_unique<DettaglioPagamentoType2>();
  dettaglio->modalitaPagamentoField = ModalitaPagamentoType::MP05;
  (void)dettaglio->importoPagamentoField.Set(Dec("1220.00"));
  pagamento->dettaglioPagamentoField.push_back(std::move(dettaglio));
  body->datiPagamentoField.push_back(std::move(pagamento));
  root->fatturaElettronicaBodyField.push_back(std::move(body));
  return root;
}

}  // namespace

int main(int argc, char** argv) {
  const size_t lines = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 20000;
  const int calls = argc > 2 ? std::atoi(argv[2]) : 3;

  RegisterServiceContract();
  TOPToSoapDomConvert converter;
  converter.Options.Add(TSOAPConvertOption::soDocument);
  const TIntfMetaData intf = TIntfMetaData::FromInterface(IService::Info());
  const int meth_num = kBaseInterfaceMethods + kInviaDocumento;

  const long rss_before_tree = StatusKiB("VmRSS");
  InviaDocumentoRequest2 request;
  request.SetUsername("mario.rossi");
  request.SetPassword("segreta");
  (void)request.SetDocumento(Invoice(lines));
  const long rss_tree = StatusKiB("VmRSS");

  TInvContext ctx;
  ctx.method = intf.MDA[static_cast<size_t>(meth_num)];
  ctx.args = {InvArg{.object = &request}};
  // The bytes are read as the transport reads them: its size first, then a
  // piece at a time into a buffer the size of libcurl's upload buffer.
  std::vector<char> piece(512 * 1024);
  for (int call = 1; call <= calls; ++call) {
    const bool reset = call == 1 && ResetPeak();
    const long rss0 = StatusKiB("VmRSS");
    const auto t0 = Clock::now();
    const double cpu0 = CpuSeconds();
    const std::unique_ptr<ByteSource> envelope = converter.InvContextToStream(intf, meth_num, ctx);
    const uint64_t size = envelope->Size();
    uint64_t read = 0;
    while (const size_t n = envelope->Read(piece.data(), piece.size())) read += n;
    const auto t1 = Clock::now();
    const double cpu = CpuSeconds() - cpu0;
    if (read != size) {
      std::fprintf(stderr, "read %llu bytes of %llu\n", static_cast<unsigned long long>(read),
                   static_cast<unsigned long long>(size));
      return 1;
    }
    const double s = std::chrono::duration<double>(t1 - t0).count();
    std::printf(
        "call=%d lines=%zu envelope_bytes=%llu seconds=%.4f mb_per_s=%.1f us_per_line=%.3f "
        "cpu_seconds=%.4f mb_per_cpu_s=%.1f",
        call, lines, static_cast<unsigned long long>(size), s, static_cast<double>(size) / s / 1e6,
        s * 1e6 / static_cast<double>(lines), cpu, static_cast<double>(size) / cpu / 1e6);
    if (call == 1) {
      std::printf(" tree_mib=%.1f peak_mib=%.1f peak_reset=%d",
                  static_cast<double>(rss_tree - rss_before_tree) / 1024.0,
                  static_cast<double>(StatusKiB("VmHWM") - rss0) / 1024.0, reset ? 1 : 0);
    }
    std::printf("\n");
  }
  return 0;
}
