// Building an invoice in code, writing it as a FatturaPA file and sending it
// with the typed operation InviaDocumento.
//
//   typed_invoice USERNAME PASSWORD OUTPUT.xml
//
// The hub's address comes from VORN_URL (the build's default otherwise).
// Exit status: 0 sent, 1 an error, 3 the hub refused the invoice, 4 the
// written file is not valid against the official schema (nothing sent).
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>

#include "base/exception.h"
#include "cli/embedded_schemas.h"
#include "fatturapa/fatturapa_writer.h"
#include "service/service.h"
#include "soap/xml/schema_validator.h"

namespace {

using namespace vorn;

// Small helpers: decimals and dates are value objects that keep their text.
std::unique_ptr<TXSDecimal> Decimal(const std::string& text) {
  auto d = std::make_unique<TXSDecimal>();
  d->XSToNative(text);
  return d;
}

// A date travels as a date-time at midnight; the file shows the date alone.
std::unique_ptr<TXSDateTime> Date(const std::string& yyyy_mm_dd) {
  auto d = std::make_unique<TXSDateTime>();
  d->XSToNative(yyyy_mm_dd + "T00:00:00");
  return d;
}

std::unique_ptr<IdFiscaleType2> IdFiscale(const std::string& country, const std::string& code) {
  auto id = std::make_unique<IdFiscaleType2>();
  id->idPaeseField = country;
  id->idCodiceField = code;
  return id;
}

// Anagrafica holds a choice: Denominazione, or Nome and Cognome. The names
// of the chosen elements and their values go side by side.
std::unique_ptr<AnagraficaType2> Company(const std::string& name) {
  auto a = std::make_unique<AnagraficaType2>();
  a->itemsElementNameField = {ItemsChoiceType::Denominazione};
  a->itemsField = {name};
  return a;
}

std::unique_ptr<IndirizzoType2> Address(const std::string& street, const std::string& cap,
                                        const std::string& town, const std::string& province) {
  auto s = std::make_unique<IndirizzoType2>();
  s->indirizzoField = street;
  s->cAPField = cap;
  s->comuneField = town;
  s->provinciaField = province;
  s->nazioneField = "IT";
  return s;
}

std::unique_ptr<FatturaElettronicaHeaderType2> Header() {
  auto header = std::make_unique<FatturaElettronicaHeaderType2>();

  auto transmission = std::make_unique<DatiTrasmissioneType2>();
  // Set() hands back what a slot held before: nothing, for a new object.
  (void)transmission->idTrasmittenteField.Set(IdFiscale("IT", "01234567890"));
  transmission->progressivoInvioField = "00042";
  transmission->formatoTrasmissioneField = FormatoTrasmissioneType::FPR12;
  transmission->codiceDestinatarioField = "ABC1234";
  (void)header->datiTrasmissioneField.Set(std::move(transmission));

  auto seller = std::make_unique<CedentePrestatoreType2>();
  auto seller_data = std::make_unique<DatiAnagraficiCedenteType2>();
  (void)seller_data->idFiscaleIVAField.Set(IdFiscale("IT", "01234567890"));
  (void)seller_data->anagraficaField.Set(Company("Torrefazione Sarda & C. S.r.l."));
  seller_data->regimeFiscaleField = RegimeFiscaleType::RF01;
  (void)seller->datiAnagraficiField.Set(std::move(seller_data));
  (void)seller->sedeField.Set(Address("Viale Roma 543", "07100", "Sassari", "SS"));
  (void)header->cedentePrestatoreField.Set(std::move(seller));

  auto buyer = std::make_unique<CessionarioCommittenteType2>();
  auto buyer_data = std::make_unique<DatiAnagraficiCessionarioType2>();
  (void)buyer_data->idFiscaleIVAField.Set(IdFiscale("IT", "09876543210"));
  (void)buyer_data->anagraficaField.Set(Company("Caffè Città S.p.A."));
  (void)buyer->datiAnagraficiField.Set(std::move(buyer_data));
  (void)buyer->sedeField.Set(Address("Via Torino 38", "00145", "Roma", "RM"));
  (void)header->cessionarioCommittenteField.Set(std::move(buyer));
  return header;
}

std::unique_ptr<FatturaElettronicaBodyType2> Body() {
  auto body = std::make_unique<FatturaElettronicaBodyType2>();

  auto general = std::make_unique<DatiGeneraliType2>();
  auto document = std::make_unique<DatiGeneraliDocumentoType2>();
  document->tipoDocumentoField = TipoDocumentoType::TD01;
  document->divisaField = "EUR";
  (void)document->dataField.Set(Date("2024-03-15"));
  document->numeroField = "2024/42";
  // An optional value is written only when its companion says it is there.
  (void)document->importoTotaleDocumentoField.Set(Decimal("61.00"));
  document->importoTotaleDocumentoFieldSpecified = true;
  document->causaleField = {"Fornitura di caffè in grani"};
  (void)general->datiGeneraliDocumentoField.Set(std::move(document));
  (void)body->datiGeneraliField.Set(std::move(general));

  auto goods = std::make_unique<DatiBeniServiziType2>();
  auto line = std::make_unique<DettaglioLineeType2>();
  line->numeroLineaField = "1";
  line->descrizioneField = "Caffè in grani, miscela \"Oro\", 1 kg";
  (void)line->quantitaField.Set(Decimal("5.00"));
  line->quantitaFieldSpecified = true;
  line->unitaMisuraField = "KG";
  (void)line->prezzoUnitarioField.Set(Decimal("10.00"));
  (void)line->prezzoTotaleField.Set(Decimal("50.00"));
  (void)line->aliquotaIVAField.Set(Decimal("22.00"));
  goods->dettaglioLineeField.push_back(std::move(line));
  auto summary = std::make_unique<DatiRiepilogoType2>();
  (void)summary->aliquotaIVAField.Set(Decimal("22.00"));
  (void)summary->imponibileImportoField.Set(Decimal("50.00"));
  (void)summary->impostaField.Set(Decimal("11.00"));
  summary->esigibilitaIVAField = EsigibilitaIVAType::I;
  summary->esigibilitaIVAFieldSpecified = true;
  goods->datiRiepilogoField.push_back(std::move(summary));
  (void)body->datiBeniServiziField.Set(std::move(goods));

  auto payment = std::make_unique<DatiPagamentoType2>();
  payment->condizioniPagamentoField = CondizioniPagamentoType::TP02;
  auto detail = std::make_unique<DettaglioPagamentoType2>();
  detail->modalitaPagamentoField = ModalitaPagamentoType::MP05;
  (void)detail->dataScadenzaPagamentoField.Set(Date("2024-04-14"));
  detail->dataScadenzaPagamentoFieldSpecified = true;
  (void)detail->importoPagamentoField.Set(Decimal("61.00"));
  detail->iBANField = "IT60X0542811101000000123456";
  payment->dettaglioPagamentoField.push_back(std::move(detail));
  body->datiPagamentoField.push_back(std::move(payment));
  return body;
}

// The official FatturaPA 1.2.2 schema, built into the library together with
// the signature schema that it imports from this location.
xml::Schema OfficialSchema() {
  const std::span<const EmbeddedFile> files = EmbeddedSchemas();
  return xml::Schema::Compile(
      files[0].bytes,
      {{"http://www.w3.org/TR/2002/REC-xmldsig-core-20020212/xmldsig-core-schema.xsd",
        files[1].bytes}});
}

std::unique_ptr<FatturaElettronicaType2> BuildInvoice() {
  auto invoice = std::make_unique<FatturaElettronicaType2>();
  invoice->versioneField = FormatoTrasmissioneType::FPR12;
  (void)invoice->fatturaElettronicaHeaderField.Set(Header());
  invoice->fatturaElettronicaBodyField.push_back(Body());
  return invoice;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: typed_invoice USERNAME PASSWORD OUTPUT.xml\n";
    return 2;
  }
  // Registers the service contract and the invoice model once per process.
  vorn::RegisterServiceContract();
  try {
    // 1. The invoice as objects.
    std::unique_ptr<vorn::FatturaElettronicaType2> invoice = BuildInvoice();

    // 2. The official file: UTF-8, elements in schema order, dates as dates.
    const std::string file = vorn::WriteFatturaPA(*invoice);
    std::ofstream(argv[3], std::ios::binary) << file;
    std::cout << "Written " << argv[3] << " (" << file.size() << " bytes)\n";

    // 3. The file against the official schema: each finding with its place.
    const vorn::xml::CheckedDocument checked = OfficialSchema().Check(file);
    for (const vorn::xml::Finding& f : checked.Findings()) {
      std::cerr << argv[3] << ":" << f.at.line << ":" << f.at.column << ": " << f.message << "\n";
    }
    if (!checked.Findings().empty()) return 4;
    std::cout << "Valid against the FatturaPA 1.2.2 schema\n";

    // 4. The same tree, sent with the typed operation. The request owns it.
    auto request = std::make_unique<vorn::InviaDocumentoRequest2>();
    request->SetUsername(argv[1]);
    request->SetPassword(argv[2]);
    (void)request->SetDocumento(std::move(invoice));
    const char* url = std::getenv("VORN_URL");
    vorn::InterfacePtr<vorn::IService> service = vorn::GetIService(false, url ? url : "");
    std::unique_ptr<vorn::InviaDocumentoResponse2> response =
        service->InviaDocumento(request.get());
    if (response == nullptr) {
      std::cerr << "The reply held no result\n";
      return 1;
    }
    if (!response->Success()) {
      std::cout << "Refused by the hub:\n";
      for (const std::string& error : response->Errors()) std::cout << "  " << error << "\n";
      return 3;
    }
    std::cout << "Sent\n";
    return 0;
  } catch (const vorn::Exception& e) {
    // Every failure of the library is a vorn::Exception: "ClassName: message".
    std::cerr << e.Report() << "\n";
    return 1;
  }
}
