// Destroying a whole invoice tree: each object destroys the entries of its
// arrays of objects first, then its object properties, in property order,
// emptying each slot before destroying what it held.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "invoice/fattura_elettronica.h"
#include "service/registry/xml_data.h"

namespace vorn {
namespace {

std::vector<std::string> g_log;

// An object of class Base that logs its name when destroyed, and checks
// that the slot that held it was emptied first.
template <class Base>
class Logged : public Base {
 public:
  explicit Logged(std::string name) : name_(std::move(name)) {}
  ~Logged() override {
    g_log.push_back(name_);
    if (slot_empty_ && !slot_empty_()) g_log.push_back(name_ + " (still in its slot)");
  }
  std::function<bool()> slot_empty_;

 private:
  std::string name_;
};

template <class T>
std::unique_ptr<Logged<T>> Make(std::string name) {
  return std::make_unique<Logged<T>>(std::move(name));
}

// Stores a logged object into an object slot and makes it check that slot.
template <class T, class Slot>
Logged<T>* Put(Slot& slot, std::string name) {
  auto obj = Make<T>(std::move(name));
  Logged<T>* raw = obj.get();
  raw->slot_empty_ = [&slot] { return slot.get() == nullptr; };
  EXPECT_EQ(slot.Set(std::move(obj)), nullptr);
  return raw;
}

// Appends a logged object to an array of objects, checking its entry.
template <class T, class Array>
Logged<T>* Add(Array& array, std::string name) {
  auto obj = Make<T>(std::move(name));
  Logged<T>* raw = obj.get();
  const size_t i = array.size();
  raw->slot_empty_ = [&array, i] { return i >= array.size() || array[i] == nullptr; };
  array.push_back(std::move(obj));
  return raw;
}

void FillBody(FatturaElettronicaBodyType2& body, const std::string& n) {
  Add<AllegatiType2>(body.allegatiField, n + ".allegato");
  auto* pagamento = Add<DatiPagamentoType2>(body.datiPagamentoField, n + ".pagamento");
  Add<DettaglioPagamentoType2>(pagamento->dettaglioPagamentoField, n + ".pagamento.dettaglio");
  auto* beni = Put<DatiBeniServiziType2>(body.datiBeniServiziField, n + ".beni");
  auto* linea1 = Add<DettaglioLineeType2>(beni->dettaglioLineeField, n + ".linea1");
  beni->dettaglioLineeField.push_back(nullptr);  // a nil entry is skipped
  Add<DettaglioLineeType>(beni->dettaglioLineeField, n + ".linea3");
  Add<DatiRiepilogoType2>(beni->datiRiepilogoField, n + ".riepilogo");
  Put<TXSDecimal>(linea1->quantitaField, n + ".linea1.quantita");
  Put<TXSDecimal>(linea1->aliquotaIVAField, n + ".linea1.aliquota");
  Add<ScontoMaggiorazioneType2>(linea1->scontoMaggiorazioneField, n + ".linea1.sconto");
  Add<CodiceArticoloType2>(linea1->codiceArticoloField, n + ".linea1.codice");
  Put<TXSDateTime>(linea1->dataFinePeriodoField, n + ".linea1.fine");
  auto* generali = Put<DatiGeneraliType2>(body.datiGeneraliField, n + ".generali");
  Put<FatturaPrincipaleType2>(generali->fatturaPrincipaleField, n + ".generali.principale");
  Add<DatiDDTType2>(generali->datiDDTField, n + ".generali.ddt");
  Add<DatiDocumentiCorrelatiType2>(generali->datiRicezioneField, n + ".generali.ricezione");
  Add<DatiDocumentiCorrelatiType2>(generali->datiContrattoField, n + ".generali.contratto");
  auto* documento =
      Put<DatiGeneraliDocumentoType2>(generali->datiGeneraliDocumentoField, n + ".documento");
  Put<DatiBolloType2>(documento->datiBolloField, n + ".documento.bollo");
  Put<TXSDateTime>(documento->dataField, n + ".documento.data");
  Add<DatiCassaPrevidenzialeType2>(documento->datiCassaPrevidenzialeField, n + ".documento.cassa");
  Put<DatiVeicoliType2>(body.datiVeicoliField, n + ".veicoli");
}

TEST(InvoiceTree, DestroysDepthFirstArraysBeforeObjectsEachInPropertyOrder) {
  g_log.clear();
  {
    auto root = std::make_unique<Logged<FatturaElettronicaType>>("root");
    // Filled out of property order, so that only the table decides.
    auto* firma = Put<SignatureType2>(root->signatureField, "firma");
    auto* signed_info = Put<SignedInfoType2>(firma->signedInfoField, "firma.signedInfo");
    Put<CanonicalizationMethodType2>(signed_info->canonicalizationMethodField, "firma.c14n");
    auto* object = Add<ObjectType2>(firma->objectField, "firma.object");
    Put<TXMLData>(object->anyField, "firma.object.any");
    Put<KeyInfoType2>(firma->keyInfoField, "firma.keyInfo");
    auto* header =
        Put<FatturaElettronicaHeaderType2>(root->fatturaElettronicaHeaderField, "header");
    Put<DatiTrasmissioneType2>(header->datiTrasmissioneField, "header.trasmissione");
    auto* cedente = Put<CedentePrestatoreType2>(header->cedentePrestatoreField, "header.cedente");
    Put<IndirizzoType2>(cedente->sedeField, "header.cedente.sede");
    Put<AnagraficaType2>(
        Put<DatiAnagraficiCedenteType2>(cedente->datiAnagraficiField, "header.cedente.dati")
            ->anagraficaField,
        "header.cedente.dati.anagrafica");
    FillBody(*Add<FatturaElettronicaBodyType2>(root->fatturaElettronicaBodyField, "body1"),
             "body1");
    Add<FatturaElettronicaBodyType>(root->fatturaElettronicaBodyField, "body2");
  }
  const std::vector<std::string> expected = {
      "root",
      // Bodies first: the root's only array of objects.
      "body1",
      "body1.allegato",
      "body1.pagamento",
      "body1.pagamento.dettaglio",
      "body1.beni",
      "body1.riepilogo",
      "body1.linea1",
      "body1.linea1.codice",
      "body1.linea1.sconto",
      "body1.linea1.aliquota",
      "body1.linea1.fine",
      "body1.linea1.quantita",
      "body1.linea3",
      "body1.generali",
      "body1.generali.contratto",
      "body1.generali.ddt",
      "body1.generali.ricezione",
      "body1.documento",
      "body1.documento.cassa",
      "body1.documento.data",
      "body1.documento.bollo",
      "body1.generali.principale",
      "body1.veicoli",
      "body2",
      // Then the object properties: header, then signature.
      "header",
      "header.cedente",
      "header.cedente.dati",
      "header.cedente.dati.anagrafica",
      "header.cedente.sede",
      "header.trasmissione",
      "firma",
      "firma.object",
      "firma.object.any",
      "firma.keyInfo",
      "firma.signedInfo",
      "firma.c14n",
  };
  EXPECT_EQ(g_log, expected);
}

TEST(InvoiceTree, AnEmptyRootDestroysNothingElse) {
  g_log.clear();
  { Logged<FatturaElettronicaType2> root("root"); }
  EXPECT_EQ(g_log, std::vector<std::string>{"root"});
}

}  // namespace
}  // namespace vorn
