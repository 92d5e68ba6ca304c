#include "invoice/body_general_types.h"

namespace vorn {

// clang-format off
VORN_DESCRIBE(DatiGeneraliType2, kInvoiceUnit,
              VORN_ARRAY(datiContrattoField, "DatiDocumentiCorrelatiType", IS_NLBL),
              VORN_ARRAY(datiConvenzioneField, "DatiDocumentiCorrelatiType", IS_NLBL),
              VORN_ARRAY(datiDDTField, "DatiDDTType", IS_NLBL),
              VORN_ARRAY(datiFattureCollegateField, "DatiDocumentiCorrelatiType", IS_NLBL),
              VORN_FIELD(datiGeneraliDocumentoField, IS_NLBL),
              VORN_ARRAY(datiOrdineAcquistoField, "DatiDocumentiCorrelatiType", IS_NLBL),
              VORN_ARRAY(datiRicezioneField, "DatiDocumentiCorrelatiType", IS_NLBL),
              VORN_ARRAY(datiSALField, "DatiSALType", IS_NLBL),
              VORN_FIELD(datiTrasportoField, IS_NLBL),
              VORN_FIELD(fatturaPrincipaleField, IS_NLBL));

VORN_DESCRIBE(DatiGeneraliDocumentoType2, kInvoiceUnit,
              VORN_FIELD(arrotondamentoField, IS_NLBL),
              VORN_FIELD(arrotondamentoFieldSpecified),
              VORN_FIELD(art73Field, IS_NLBL),
              VORN_FIELD(art73FieldSpecified),
              VORN_ARRAY(causaleField, "string", IS_NLBL),
              VORN_FIELD(dataField),
              VORN_FIELD(datiBolloField, IS_NLBL),
              VORN_ARRAY(datiCassaPrevidenzialeField, "DatiCassaPrevidenzialeType", IS_NLBL),
              VORN_FIELD(datiRitenutaField, IS_NLBL),
              VORN_FIELD(divisaField, IS_NLBL),
              VORN_FIELD(importoTotaleDocumentoField, IS_NLBL),
              VORN_FIELD(importoTotaleDocumentoFieldSpecified),
              VORN_FIELD(numeroField, IS_NLBL),
              VORN_ARRAY(scontoMaggiorazioneField, "ScontoMaggiorazioneType", IS_NLBL),
              VORN_FIELD(tipoDocumentoField));

VORN_DESCRIBE(DatiRitenutaType2, kInvoiceUnit,
              VORN_FIELD(aliquotaRitenutaField),
              VORN_FIELD(causalePagamentoField),
              VORN_FIELD(importoRitenutaField),
              VORN_FIELD(tipoRitenutaField));

VORN_DESCRIBE(DatiBolloType2, kInvoiceUnit,
              VORN_FIELD(bolloVirtualeField),
              VORN_FIELD(importoBolloField));

VORN_DESCRIBE(DatiCassaPrevidenzialeType2, kInvoiceUnit,
              VORN_FIELD(alCassaField),
              VORN_FIELD(aliquotaIVAField),
              VORN_FIELD(imponibileCassaField, IS_NLBL),
              VORN_FIELD(imponibileCassaFieldSpecified),
              VORN_FIELD(importoContributoCassaField),
              VORN_FIELD(naturaField, IS_NLBL),
              VORN_FIELD(naturaFieldSpecified),
              VORN_FIELD(riferimentoAmministrazioneField, IS_NLBL),
              VORN_FIELD(ritenutaField, IS_NLBL),
              VORN_FIELD(ritenutaFieldSpecified),
              VORN_FIELD(tipoCassaField));

VORN_DESCRIBE(ScontoMaggiorazioneType2, kInvoiceUnit,
              VORN_FIELD(importoField, IS_NLBL),
              VORN_FIELD(importoFieldSpecified),
              VORN_FIELD(percentualeField, IS_NLBL),
              VORN_FIELD(percentualeFieldSpecified),
              VORN_FIELD(tipoField));

VORN_DESCRIBE(DatiDocumentiCorrelatiType2, kInvoiceUnit,
              VORN_FIELD(codiceCIGField, IS_NLBL),
              VORN_FIELD(codiceCUPField, IS_NLBL),
              VORN_FIELD(codiceCommessaConvenzioneField, IS_NLBL),
              VORN_FIELD(dataField, IS_NLBL),
              VORN_FIELD(dataFieldSpecified),
              VORN_FIELD(idDocumentoField, IS_NLBL),
              VORN_FIELD(numItemField, IS_NLBL),
              VORN_ARRAY(riferimentoNumeroLineaField, "string", IS_NLBL));

VORN_DESCRIBE(DatiSALType2, kInvoiceUnit,
              VORN_FIELD(riferimentoFaseField, IS_NLBL));

VORN_DESCRIBE(DatiDDTType2, kInvoiceUnit,
              VORN_FIELD(dataDDTField),
              VORN_FIELD(numeroDDTField, IS_NLBL),
              VORN_ARRAY(riferimentoNumeroLineaField, "string", IS_NLBL));

VORN_DESCRIBE(DatiTrasportoType2, kInvoiceUnit,
              VORN_FIELD(causaleTrasportoField, IS_NLBL),
              VORN_FIELD(dataInizioTrasportoField, IS_NLBL),
              VORN_FIELD(dataInizioTrasportoFieldSpecified),
              VORN_FIELD(dataOraConsegnaField, IS_NLBL),
              VORN_FIELD(dataOraConsegnaFieldSpecified),
              VORN_FIELD(dataOraRitiroField, IS_NLBL),
              VORN_FIELD(dataOraRitiroFieldSpecified),
              VORN_FIELD(datiAnagraficiVettoreField, IS_NLBL),
              VORN_FIELD(descrizioneField, IS_NLBL),
              VORN_FIELD(indirizzoResaField, IS_NLBL),
              VORN_FIELD(mezzoTrasportoField, IS_NLBL),
              VORN_FIELD(numeroColliField, IS_NLBL),
              VORN_FIELD(pesoLordoField, IS_NLBL),
              VORN_FIELD(pesoLordoFieldSpecified),
              VORN_FIELD(pesoNettoField, IS_NLBL),
              VORN_FIELD(pesoNettoFieldSpecified),
              VORN_FIELD(tipoResaField, IS_NLBL),
              VORN_FIELD(unitaMisuraPesoField, IS_NLBL));

VORN_DESCRIBE(DatiAnagraficiVettoreType2, kInvoiceUnit,
              VORN_FIELD(anagraficaField, IS_NLBL),
              VORN_FIELD(codiceFiscaleField, IS_NLBL),
              VORN_FIELD(idFiscaleIVAField, IS_NLBL),
              VORN_FIELD(numeroLicenzaGuidaField, IS_NLBL));

VORN_DESCRIBE(FatturaPrincipaleType2, kInvoiceUnit,
              VORN_FIELD(dataFatturaPrincipaleField),
              VORN_FIELD(numeroFatturaPrincipaleField, IS_NLBL));
// clang-format on

}  // namespace vorn
