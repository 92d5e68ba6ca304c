#include "tests/service/fpa01_invoice.h"

#include <string>

namespace vorn::test {
namespace {

std::unique_ptr<TXSDecimal> Dec(const std::string& text) {
  auto d = std::make_unique<TXSDecimal>();
  d->XSToNative(text);
  return d;
}

std::unique_ptr<TXSDateTime> Date(const std::string& text) {
  auto d = std::make_unique<TXSDateTime>();
  d->XSToNative(text);
  return d;
}

std::unique_ptr<IdFiscaleType2> IdFiscale(const std::string& paese, const std::string& codice) {
  auto id = std::make_unique<IdFiscaleType2>();
  id->idPaeseField = paese;
  id->idCodiceField = codice;
  return id;
}

std::unique_ptr<AnagraficaType2> Denominazione(const std::string& name) {
  auto a = std::make_unique<AnagraficaType2>();
  a->itemsElementNameField = {ItemsChoiceType::Denominazione};
  a->itemsField = {name};
  return a;
}

std::unique_ptr<IndirizzoType2> Sede(const std::string& indirizzo, const std::string& cap,
                                     const std::string& comune, const std::string& provincia) {
  auto s = std::make_unique<IndirizzoType2>();
  s->indirizzoField = indirizzo;
  s->cAPField = cap;
  s->comuneField = comune;
  s->provinciaField = provincia;
  s->nazioneField = "IT";
  return s;
}

// A related document of the sample: line 1, with its CUP and CIG codes.
std::unique_ptr<DatiDocumentiCorrelatiType2> Correlato(const std::string& id,
                                                       const std::string& num_item) {
  auto d = std::make_unique<DatiDocumentiCorrelatiType2>();
  d->riferimentoNumeroLineaField = {"1"};
  d->idDocumentoField = id;
  d->numItemField = num_item;
  d->codiceCUPField = "123abc";
  d->codiceCIGField = "456def";
  return d;
}

std::unique_ptr<FatturaElettronicaHeaderType2> Header() {
  auto header = std::make_unique<FatturaElettronicaHeaderType2>();

  auto trasmissione = std::make_unique<DatiTrasmissioneType2>();
  (void)trasmissione->idTrasmittenteField.Set(IdFiscale("IT", "01234567890"));
  trasmissione->progressivoInvioField = "00001";
  trasmissione->formatoTrasmissioneField = FormatoTrasmissioneType::FPA12;
  trasmissione->codiceDestinatarioField = "AAAAAA";
  (void)header->datiTrasmissioneField.Set(std::move(trasmissione));

  auto cedente = std::make_unique<CedentePrestatoreType2>();
  auto dati_cedente = std::make_unique<DatiAnagraficiCedenteType2>();
  (void)dati_cedente->idFiscaleIVAField.Set(IdFiscale("IT", "01234567890"));
  (void)dati_cedente->anagraficaField.Set(Denominazione("ALPHA SRL"));
  dati_cedente->regimeFiscaleField = RegimeFiscaleType::RF19;
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
  return header;
}

std::unique_ptr<DatiGeneraliType2> DatiGenerali() {
  auto generali = std::make_unique<DatiGeneraliType2>();

  auto documento = std::make_unique<DatiGeneraliDocumentoType2>();
  documento->tipoDocumentoField = TipoDocumentoType::TD01;
  documento->divisaField = "EUR";
  (void)documento->dataField.Set(Date("2017-01-18"));
  documento->numeroField = "123";
  documento->causaleField = {
      "LA FATTURA FA RIFERIMENTO AD UNA OPERAZIONE AAAA BBBBBBBBBBBBBBBBBB CCC DDDDDDDDDDDDDDD E "
      "FFFFFFFFFFFFFFFFFFFF GGGGGGGGGG HHHHHHH II LLLLLLLLLLLLLLLLL MMM NNNNN OO PPPPPPPPPPP QQQQ "
      "RRRR SSSSSSSSSSSSSS",
      "SEGUE DESCRIZIONE CAUSALE NEL CASO IN CUI NON SIANO STATI SUFFICIENTI 200 CARATTERI "
      "AAAAAAAAAAA BBBBBBBBBBBBBBBBB"};
  (void)generali->datiGeneraliDocumentoField.Set(std::move(documento));

  generali->datiOrdineAcquistoField.push_back(Correlato("66685", "1"));
  auto contratto = Correlato("123", "5");
  (void)contratto->dataField.Set(Date("2016-09-01"));
  contratto->dataFieldSpecified = true;
  generali->datiContrattoField.push_back(std::move(contratto));
  generali->datiConvenzioneField.push_back(Correlato("456", "5"));
  generali->datiRicezioneField.push_back(Correlato("789", "5"));

  auto trasporto = std::make_unique<DatiTrasportoType2>();
  auto vettore = std::make_unique<DatiAnagraficiVettoreType2>();
  (void)vettore->idFiscaleIVAField.Set(IdFiscale("IT", "24681012141"));
  (void)vettore->anagraficaField.Set(Denominazione("Trasporto spa"));
  (void)trasporto->datiAnagraficiVettoreField.Set(std::move(vettore));
  (void)trasporto->dataOraConsegnaField.Set(Date("2017-01-10T16:46:12.000+02:00"));
  trasporto->dataOraConsegnaFieldSpecified = true;
  (void)generali->datiTrasportoField.Set(std::move(trasporto));
  return generali;
}

std::unique_ptr<FatturaElettronicaBodyType2> Body() {
  auto body = std::make_unique<FatturaElettronicaBodyType2>();
  (void)body->datiGeneraliField.Set(DatiGenerali());

  auto beni = std::make_unique<DatiBeniServiziType2>();
  auto linea = std::make_unique<DettaglioLineeType2>();
  linea->numeroLineaField = "1";
  linea->descrizioneField = "DESCRIZIONE DELLA FORNITURA";
  (void)linea->quantitaField.Set(Dec("5.00"));
  linea->quantitaFieldSpecified = true;
  (void)linea->prezzoUnitarioField.Set(Dec("1.00"));
  (void)linea->prezzoTotaleField.Set(Dec("5.00"));
  (void)linea->aliquotaIVAField.Set(Dec("22.00"));
  beni->dettaglioLineeField.push_back(std::move(linea));
  auto riepilogo = std::make_unique<DatiRiepilogoType2>();
  (void)riepilogo->aliquotaIVAField.Set(Dec("22.00"));
  (void)riepilogo->imponibileImportoField.Set(Dec("5.00"));
  (void)riepilogo->impostaField.Set(Dec("1.10"));
  riepilogo->esigibilitaIVAField = EsigibilitaIVAType::I;
  riepilogo->esigibilitaIVAFieldSpecified = true;
  beni->datiRiepilogoField.push_back(std::move(riepilogo));
  (void)body->datiBeniServiziField.Set(std::move(beni));

  auto pagamento = std::make_unique<DatiPagamentoType2>();
  pagamento->condizioniPagamentoField = CondizioniPagamentoType::TP01;
  auto dettaglio = std::make_unique<DettaglioPagamentoType2>();
  dettaglio->modalitaPagamentoField = ModalitaPagamentoType::MP01;
  (void)dettaglio->dataScadenzaPagamentoField.Set(Date("2017-02-18"));
  dettaglio->dataScadenzaPagamentoFieldSpecified = true;
  (void)dettaglio->importoPagamentoField.Set(Dec("6.10"));
  pagamento->dettaglioPagamentoField.push_back(std::move(dettaglio));
  body->datiPagamentoField.push_back(std::move(pagamento));
  return body;
}

}  // namespace

std::unique_ptr<FatturaElettronicaType2> Fpa01Invoice() {
  auto root = std::make_unique<FatturaElettronicaType2>();
  root->versioneField = FormatoTrasmissioneType::FPA12;
  (void)root->fatturaElettronicaHeaderField.Set(Header());
  root->fatturaElettronicaBodyField.push_back(Body());
  return root;
}

std::unique_ptr<InviaDocumentoRequest2> Fpa01Request() {
  auto request = std::make_unique<InviaDocumentoRequest2>();
  request->SetUsername("mario.rossi");
  request->SetPassword("segreta");
  (void)request->SetDocumento(Fpa01Invoice());
  return request;
}

}  // namespace vorn::test
