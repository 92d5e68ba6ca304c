// The invoice body: goods and services with their lines and summaries,
// vehicles, payments and attachments.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "invoice/body_general_types.h"

namespace vorn {

class AllegatiType2 : public TRemotable {
  VORN_TYPE_CLASS(AllegatiType2);
  std::string algoritmoCompressioneField;
  TByteDynArray attachmentField;
  std::string descrizioneAttachmentField;
  std::string formatoAttachmentField;
  std::string nomeAttachmentField;
};
using AllegatiType = ElementForm<AllegatiType2>;
VORN_ARRAY_TYPE(ArrayOfAllegatiType, std::unique_ptr<AllegatiType2>, kInvoiceUnit);

class DatiRiepilogoType2 : public TRemotable {
  VORN_TYPE_CLASS(DatiRiepilogoType2);
  Owned<TXSDecimal> aliquotaIVAField;
  Owned<TXSDecimal> arrotondamentoField;
  bool arrotondamentoFieldSpecified = false;
  EsigibilitaIVAType esigibilitaIVAField{};
  bool esigibilitaIVAFieldSpecified = false;
  Owned<TXSDecimal> imponibileImportoField;
  Owned<TXSDecimal> impostaField;
  NaturaType naturaField{};
  bool naturaFieldSpecified = false;
  std::string riferimentoNormativoField;
  Owned<TXSDecimal> speseAccessorieField;
  bool speseAccessorieFieldSpecified = false;
};
using DatiRiepilogoType = ElementForm<DatiRiepilogoType2>;
VORN_ARRAY_TYPE(ArrayOfDatiRiepilogoType, std::unique_ptr<DatiRiepilogoType2>, kInvoiceUnit);

class AltriDatiGestionaliType2 : public TRemotable {
  VORN_TYPE_CLASS(AltriDatiGestionaliType2);
  Owned<TXSDateTime> riferimentoDataField;
  bool riferimentoDataFieldSpecified = false;
  Owned<TXSDecimal> riferimentoNumeroField;
  bool riferimentoNumeroFieldSpecified = false;
  std::string riferimentoTestoField;
  std::string tipoDatoField;
};
using AltriDatiGestionaliType = ElementForm<AltriDatiGestionaliType2>;
VORN_ARRAY_TYPE(ArrayOfAltriDatiGestionaliType, std::unique_ptr<AltriDatiGestionaliType2>,
                kInvoiceUnit);

class CodiceArticoloType2 : public TRemotable {
  VORN_TYPE_CLASS(CodiceArticoloType2);
  std::string codiceTipoField;
  std::string codiceValoreField;
};
using CodiceArticoloType = ElementForm<CodiceArticoloType2>;
VORN_ARRAY_TYPE(ArrayOfCodiceArticoloType, std::unique_ptr<CodiceArticoloType2>, kInvoiceUnit);

class DettaglioLineeType2 : public TRemotable {
  VORN_TYPE_CLASS(DettaglioLineeType2);
  Owned<TXSDecimal> aliquotaIVAField;
  ArrayOfAltriDatiGestionaliType altriDatiGestionaliField;
  ArrayOfCodiceArticoloType codiceArticoloField;
  Owned<TXSDateTime> dataFinePeriodoField;
  bool dataFinePeriodoFieldSpecified = false;
  Owned<TXSDateTime> dataInizioPeriodoField;
  bool dataInizioPeriodoFieldSpecified = false;
  std::string descrizioneField;
  NaturaType naturaField{};
  bool naturaFieldSpecified = false;
  std::string numeroLineaField;
  Owned<TXSDecimal> prezzoTotaleField;
  Owned<TXSDecimal> prezzoUnitarioField;
  Owned<TXSDecimal> quantitaField;
  bool quantitaFieldSpecified = false;
  std::string riferimentoAmministrazioneField;
  RitenutaType ritenutaField{};
  bool ritenutaFieldSpecified = false;
  ArrayOfScontoMaggiorazioneType scontoMaggiorazioneField;
  TipoCessionePrestazioneType tipoCessionePrestazioneField{};
  bool tipoCessionePrestazioneFieldSpecified = false;
  std::string unitaMisuraField;
};
using DettaglioLineeType = ElementForm<DettaglioLineeType2>;
VORN_ARRAY_TYPE(ArrayOfDettaglioLineeType, std::unique_ptr<DettaglioLineeType2>, kInvoiceUnit);

class DatiBeniServiziType2 : public TRemotable {
  VORN_TYPE_CLASS(DatiBeniServiziType2);
  ArrayOfDatiRiepilogoType datiRiepilogoField;
  ArrayOfDettaglioLineeType dettaglioLineeField;
};
using DatiBeniServiziType = ElementForm<DatiBeniServiziType2>;

class DettaglioPagamentoType2 : public TRemotable {
  VORN_TYPE_CLASS(DettaglioPagamentoType2);
  std::string aBIField;
  std::string bICField;
  std::string beneficiarioField;
  std::string cABField;
  std::string cFQuietanzanteField;
  std::string codUfficioPostaleField;
  std::string codicePagamentoField;
  std::string cognomeQuietanzanteField;
  Owned<TXSDateTime> dataDecorrenzaPenaleField;
  bool dataDecorrenzaPenaleFieldSpecified = false;
  Owned<TXSDateTime> dataLimitePagamentoAnticipatoField;
  bool dataLimitePagamentoAnticipatoFieldSpecified = false;
  Owned<TXSDateTime> dataRiferimentoTerminiPagamentoField;
  bool dataRiferimentoTerminiPagamentoFieldSpecified = false;
  Owned<TXSDateTime> dataScadenzaPagamentoField;
  bool dataScadenzaPagamentoFieldSpecified = false;
  std::string giorniTerminiPagamentoField;
  std::string iBANField;
  Owned<TXSDecimal> importoPagamentoField;
  std::string istitutoFinanziarioField;
  ModalitaPagamentoType modalitaPagamentoField{};
  std::string nomeQuietanzanteField;
  Owned<TXSDecimal> penalitaPagamentiRitardatiField;
  bool penalitaPagamentiRitardatiFieldSpecified = false;
  Owned<TXSDecimal> scontoPagamentoAnticipatoField;
  bool scontoPagamentoAnticipatoFieldSpecified = false;
  std::string titoloQuietanzanteField;
};
using DettaglioPagamentoType = ElementForm<DettaglioPagamentoType2>;
VORN_ARRAY_TYPE(ArrayOfDettaglioPagamentoType, std::unique_ptr<DettaglioPagamentoType2>,
                kInvoiceUnit);

class DatiPagamentoType2 : public TRemotable {
  VORN_TYPE_CLASS(DatiPagamentoType2);
  CondizioniPagamentoType condizioniPagamentoField{};
  ArrayOfDettaglioPagamentoType dettaglioPagamentoField;
};
using DatiPagamentoType = ElementForm<DatiPagamentoType2>;
VORN_ARRAY_TYPE(ArrayOfDatiPagamentoType, std::unique_ptr<DatiPagamentoType2>, kInvoiceUnit);

class DatiVeicoliType2 : public TRemotable {
  VORN_TYPE_CLASS(DatiVeicoliType2);
  Owned<TXSDateTime> dataField;
  std::string totalePercorsoField;
};
using DatiVeicoliType = ElementForm<DatiVeicoliType2>;

class FatturaElettronicaBodyType2 : public TRemotable {
  VORN_TYPE_CLASS(FatturaElettronicaBodyType2);
  ArrayOfAllegatiType allegatiField;
  Owned<DatiBeniServiziType2> datiBeniServiziField;
  Owned<DatiGeneraliType2> datiGeneraliField;
  ArrayOfDatiPagamentoType datiPagamentoField;
  Owned<DatiVeicoliType2> datiVeicoliField;
};
using FatturaElettronicaBodyType = ElementForm<FatturaElettronicaBodyType2>;
VORN_ARRAY_TYPE(ArrayOfFatturaElettronicaBodyType, std::unique_ptr<FatturaElettronicaBodyType2>,
                kInvoiceUnit);

}  // namespace vorn
