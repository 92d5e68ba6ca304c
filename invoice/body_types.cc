#include "invoice/body_types.h"

namespace vorn {

// clang-format off
VORN_DESCRIBE(FatturaElettronicaBodyType2, kInvoiceUnit,
              VORN_ARRAY(allegatiField, "AllegatiType", IS_NLBL),
              VORN_FIELD(datiBeniServiziField, IS_NLBL),
              VORN_FIELD(datiGeneraliField, IS_NLBL),
              VORN_ARRAY(datiPagamentoField, "DatiPagamentoType", IS_NLBL),
              VORN_FIELD(datiVeicoliField, IS_NLBL));

VORN_DESCRIBE(DatiBeniServiziType2, kInvoiceUnit,
              VORN_ARRAY(datiRiepilogoField, "DatiRiepilogoType", IS_NLBL),
              VORN_ARRAY(dettaglioLineeField, "DettaglioLineeType", IS_NLBL));

VORN_DESCRIBE(DettaglioLineeType2, kInvoiceUnit,
              VORN_FIELD(aliquotaIVAField),
              VORN_ARRAY(altriDatiGestionaliField, "AltriDatiGestionaliType", IS_NLBL),
              VORN_ARRAY(codiceArticoloField, "CodiceArticoloType", IS_NLBL),
              VORN_FIELD(dataFinePeriodoField, IS_NLBL),
              VORN_FIELD(dataFinePeriodoFieldSpecified),
              VORN_FIELD(dataInizioPeriodoField, IS_NLBL),
              VORN_FIELD(dataInizioPeriodoFieldSpecified),
              VORN_FIELD(descrizioneField, IS_NLBL),
              VORN_FIELD(naturaField, IS_NLBL),
              VORN_FIELD(naturaFieldSpecified),
              VORN_FIELD(numeroLineaField, IS_NLBL),
              VORN_FIELD(prezzoTotaleField),
              VORN_FIELD(prezzoUnitarioField),
              VORN_FIELD(quantitaField, IS_NLBL),
              VORN_FIELD(quantitaFieldSpecified),
              VORN_FIELD(riferimentoAmministrazioneField, IS_NLBL),
              VORN_FIELD(ritenutaField, IS_NLBL),
              VORN_FIELD(ritenutaFieldSpecified),
              VORN_ARRAY(scontoMaggiorazioneField, "ScontoMaggiorazioneType", IS_NLBL),
              VORN_FIELD(tipoCessionePrestazioneField, IS_NLBL),
              VORN_FIELD(tipoCessionePrestazioneFieldSpecified),
              VORN_FIELD(unitaMisuraField, IS_NLBL));

VORN_DESCRIBE(CodiceArticoloType2, kInvoiceUnit,
              VORN_FIELD(codiceTipoField, IS_NLBL),
              VORN_FIELD(codiceValoreField, IS_NLBL));

VORN_DESCRIBE(AltriDatiGestionaliType2, kInvoiceUnit,
              VORN_FIELD(riferimentoDataField, IS_NLBL),
              VORN_FIELD(riferimentoDataFieldSpecified),
              VORN_FIELD(riferimentoNumeroField, IS_NLBL),
              VORN_FIELD(riferimentoNumeroFieldSpecified),
              VORN_FIELD(riferimentoTestoField, IS_NLBL),
              VORN_FIELD(tipoDatoField, IS_NLBL));

VORN_DESCRIBE(DatiRiepilogoType2, kInvoiceUnit,
              VORN_FIELD(aliquotaIVAField),
              VORN_FIELD(arrotondamentoField, IS_NLBL),
              VORN_FIELD(arrotondamentoFieldSpecified),
              VORN_FIELD(esigibilitaIVAField, IS_NLBL),
              VORN_FIELD(esigibilitaIVAFieldSpecified),
              VORN_FIELD(imponibileImportoField),
              VORN_FIELD(impostaField),
              VORN_FIELD(naturaField, IS_NLBL),
              VORN_FIELD(naturaFieldSpecified),
              VORN_FIELD(riferimentoNormativoField, IS_NLBL),
              VORN_FIELD(speseAccessorieField, IS_NLBL),
              VORN_FIELD(speseAccessorieFieldSpecified));

VORN_DESCRIBE(DatiVeicoliType2, kInvoiceUnit,
              VORN_FIELD(dataField),
              VORN_FIELD(totalePercorsoField, IS_NLBL));

VORN_DESCRIBE(DatiPagamentoType2, kInvoiceUnit,
              VORN_FIELD(condizioniPagamentoField),
              VORN_ARRAY(dettaglioPagamentoField, "DettaglioPagamentoType", IS_NLBL));

VORN_DESCRIBE(DettaglioPagamentoType2, kInvoiceUnit,
              VORN_FIELD(aBIField, IS_NLBL),
              VORN_FIELD(bICField, IS_NLBL),
              VORN_FIELD(beneficiarioField, IS_NLBL),
              VORN_FIELD(cABField, IS_NLBL),
              VORN_FIELD(cFQuietanzanteField, IS_NLBL),
              VORN_FIELD(codUfficioPostaleField, IS_NLBL),
              VORN_FIELD(codicePagamentoField, IS_NLBL),
              VORN_FIELD(cognomeQuietanzanteField, IS_NLBL),
              VORN_FIELD(dataDecorrenzaPenaleField, IS_NLBL),
              VORN_FIELD(dataDecorrenzaPenaleFieldSpecified),
              VORN_FIELD(dataLimitePagamentoAnticipatoField, IS_NLBL),
              VORN_FIELD(dataLimitePagamentoAnticipatoFieldSpecified),
              VORN_FIELD(dataRiferimentoTerminiPagamentoField, IS_NLBL),
              VORN_FIELD(dataRiferimentoTerminiPagamentoFieldSpecified),
              VORN_FIELD(dataScadenzaPagamentoField, IS_NLBL),
              VORN_FIELD(dataScadenzaPagamentoFieldSpecified),
              VORN_FIELD(giorniTerminiPagamentoField, IS_NLBL),
              VORN_FIELD(iBANField, IS_NLBL),
              VORN_FIELD(importoPagamentoField),
              VORN_FIELD(istitutoFinanziarioField, IS_NLBL),
              VORN_FIELD(modalitaPagamentoField),
              VORN_FIELD(nomeQuietanzanteField, IS_NLBL),
              VORN_FIELD(penalitaPagamentiRitardatiField, IS_NLBL),
              VORN_FIELD(penalitaPagamentiRitardatiFieldSpecified),
              VORN_FIELD(scontoPagamentoAnticipatoField, IS_NLBL),
              VORN_FIELD(scontoPagamentoAnticipatoFieldSpecified),
              VORN_FIELD(titoloQuietanzanteField, IS_NLBL));

VORN_DESCRIBE(AllegatiType2, kInvoiceUnit,
              VORN_FIELD(algoritmoCompressioneField, IS_NLBL),
              VORN_FIELD(attachmentField, IS_NLBL),
              VORN_FIELD(descrizioneAttachmentField, IS_NLBL),
              VORN_FIELD(formatoAttachmentField, IS_NLBL),
              VORN_FIELD(nomeAttachmentField, IS_NLBL));
// clang-format on

}  // namespace vorn
