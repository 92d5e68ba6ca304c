// The general data of an invoice body: the document data with its
// withholding, stamp duty, pension funds and discounts, the related
// documents, transport and the main invoice.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "invoice/header_types.h"

namespace vorn {

class DatiDocumentiCorrelatiType2 : public TRemotable {
  VORN_TYPE_CLASS(DatiDocumentiCorrelatiType2);
  std::string codiceCIGField;
  std::string codiceCUPField;
  std::string codiceCommessaConvenzioneField;
  Owned<TXSDateTime> dataField;
  bool dataFieldSpecified = false;
  std::string idDocumentoField;
  std::string numItemField;
  ArrayOfstring riferimentoNumeroLineaField;
};
using DatiDocumentiCorrelatiType = ElementForm<DatiDocumentiCorrelatiType2>;
VORN_ARRAY_TYPE(ArrayOfDatiDocumentiCorrelatiType, std::unique_ptr<DatiDocumentiCorrelatiType2>,
                kInvoiceUnit);

class DatiDDTType2 : public TRemotable {
  VORN_TYPE_CLASS(DatiDDTType2);
  Owned<TXSDateTime> dataDDTField;
  std::string numeroDDTField;
  ArrayOfstring riferimentoNumeroLineaField;
};
using DatiDDTType = ElementForm<DatiDDTType2>;
VORN_ARRAY_TYPE(ArrayOfDatiDDTType, std::unique_ptr<DatiDDTType2>, kInvoiceUnit);

class DatiBolloType2 : public TRemotable {
  VORN_TYPE_CLASS(DatiBolloType2);
  BolloVirtualeType bolloVirtualeField{};
  Owned<TXSDecimal> importoBolloField;
};
using DatiBolloType = ElementForm<DatiBolloType2>;

class DatiCassaPrevidenzialeType2 : public TRemotable {
  VORN_TYPE_CLASS(DatiCassaPrevidenzialeType2);
  Owned<TXSDecimal> alCassaField;
  Owned<TXSDecimal> aliquotaIVAField;
  Owned<TXSDecimal> imponibileCassaField;
  bool imponibileCassaFieldSpecified = false;
  Owned<TXSDecimal> importoContributoCassaField;
  NaturaType naturaField{};
  bool naturaFieldSpecified = false;
  std::string riferimentoAmministrazioneField;
  RitenutaType ritenutaField{};
  bool ritenutaFieldSpecified = false;
  TipoCassaType tipoCassaField{};
};
using DatiCassaPrevidenzialeType = ElementForm<DatiCassaPrevidenzialeType2>;
VORN_ARRAY_TYPE(ArrayOfDatiCassaPrevidenzialeType, std::unique_ptr<DatiCassaPrevidenzialeType2>,
                kInvoiceUnit);

class DatiRitenutaType2 : public TRemotable {
  VORN_TYPE_CLASS(DatiRitenutaType2);
  Owned<TXSDecimal> aliquotaRitenutaField;
  CausalePagamentoType causalePagamentoField{};
  Owned<TXSDecimal> importoRitenutaField;
  TipoRitenutaType tipoRitenutaField{};
};
using DatiRitenutaType = ElementForm<DatiRitenutaType2>;

class ScontoMaggiorazioneType2 : public TRemotable {
  VORN_TYPE_CLASS(ScontoMaggiorazioneType2);
  Owned<TXSDecimal> importoField;
  bool importoFieldSpecified = false;
  Owned<TXSDecimal> percentualeField;
  bool percentualeFieldSpecified = false;
  TipoScontoMaggiorazioneType tipoField{};
};
using ScontoMaggiorazioneType = ElementForm<ScontoMaggiorazioneType2>;
VORN_ARRAY_TYPE(ArrayOfScontoMaggiorazioneType, std::unique_ptr<ScontoMaggiorazioneType2>,
                kInvoiceUnit);

class DatiGeneraliDocumentoType2 : public TRemotable {
  VORN_TYPE_CLASS(DatiGeneraliDocumentoType2);
  Owned<TXSDecimal> arrotondamentoField;
  bool arrotondamentoFieldSpecified = false;
  Art73Type art73Field{};
  bool art73FieldSpecified = false;
  ArrayOfstring causaleField;
  Owned<TXSDateTime> dataField;
  Owned<DatiBolloType2> datiBolloField;
  ArrayOfDatiCassaPrevidenzialeType datiCassaPrevidenzialeField;
  Owned<DatiRitenutaType2> datiRitenutaField;
  std::string divisaField;
  Owned<TXSDecimal> importoTotaleDocumentoField;
  bool importoTotaleDocumentoFieldSpecified = false;
  std::string numeroField;
  ArrayOfScontoMaggiorazioneType scontoMaggiorazioneField;
  TipoDocumentoType tipoDocumentoField{};
};
using DatiGeneraliDocumentoType = ElementForm<DatiGeneraliDocumentoType2>;

class DatiSALType2 : public TRemotable {
  VORN_TYPE_CLASS(DatiSALType2);
  std::string riferimentoFaseField;
};
using DatiSALType = ElementForm<DatiSALType2>;
VORN_ARRAY_TYPE(ArrayOfDatiSALType, std::unique_ptr<DatiSALType2>, kInvoiceUnit);

class DatiAnagraficiVettoreType2 : public TRemotable {
  VORN_TYPE_CLASS(DatiAnagraficiVettoreType2);
  Owned<AnagraficaType2> anagraficaField;
  std::string codiceFiscaleField;
  Owned<IdFiscaleType2> idFiscaleIVAField;
  std::string numeroLicenzaGuidaField;
};
using DatiAnagraficiVettoreType = ElementForm<DatiAnagraficiVettoreType2>;

class DatiTrasportoType2 : public TRemotable {
  VORN_TYPE_CLASS(DatiTrasportoType2);
  std::string causaleTrasportoField;
  Owned<TXSDateTime> dataInizioTrasportoField;
  bool dataInizioTrasportoFieldSpecified = false;
  Owned<TXSDateTime> dataOraConsegnaField;
  bool dataOraConsegnaFieldSpecified = false;
  Owned<TXSDateTime> dataOraRitiroField;
  bool dataOraRitiroFieldSpecified = false;
  Owned<DatiAnagraficiVettoreType2> datiAnagraficiVettoreField;
  std::string descrizioneField;
  Owned<IndirizzoType2> indirizzoResaField;
  std::string mezzoTrasportoField;
  std::string numeroColliField;
  Owned<TXSDecimal> pesoLordoField;
  bool pesoLordoFieldSpecified = false;
  Owned<TXSDecimal> pesoNettoField;
  bool pesoNettoFieldSpecified = false;
  std::string tipoResaField;
  std::string unitaMisuraPesoField;
};
using DatiTrasportoType = ElementForm<DatiTrasportoType2>;

class FatturaPrincipaleType2 : public TRemotable {
  VORN_TYPE_CLASS(FatturaPrincipaleType2);
  Owned<TXSDateTime> dataFatturaPrincipaleField;
  std::string numeroFatturaPrincipaleField;
};
using FatturaPrincipaleType = ElementForm<FatturaPrincipaleType2>;

class DatiGeneraliType2 : public TRemotable {
  VORN_TYPE_CLASS(DatiGeneraliType2);
  ArrayOfDatiDocumentiCorrelatiType datiContrattoField;
  ArrayOfDatiDocumentiCorrelatiType datiConvenzioneField;
  ArrayOfDatiDDTType datiDDTField;
  ArrayOfDatiDocumentiCorrelatiType datiFattureCollegateField;
  Owned<DatiGeneraliDocumentoType2> datiGeneraliDocumentoField;
  ArrayOfDatiDocumentiCorrelatiType datiOrdineAcquistoField;
  ArrayOfDatiDocumentiCorrelatiType datiRicezioneField;
  ArrayOfDatiSALType datiSALField;
  Owned<DatiTrasportoType2> datiTrasportoField;
  Owned<FatturaPrincipaleType2> fatturaPrincipaleField;
};
using DatiGeneraliType = ElementForm<DatiGeneraliType2>;

}  // namespace vorn
