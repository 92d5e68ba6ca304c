#include "invoice/header_types.h"

namespace vorn {

// clang-format off
VORN_DESCRIBE(FatturaElettronicaHeaderType2, kInvoiceUnit,
              VORN_FIELD(cedentePrestatoreField, IS_NLBL),
              VORN_FIELD(cessionarioCommittenteField, IS_NLBL),
              VORN_FIELD(datiTrasmissioneField, IS_NLBL),
              VORN_FIELD(rappresentanteFiscaleField, IS_NLBL),
              VORN_FIELD(soggettoEmittenteField, IS_NLBL),
              VORN_FIELD(soggettoEmittenteFieldSpecified),
              VORN_FIELD(terzoIntermediarioOSoggettoEmittenteField, IS_NLBL));

VORN_DESCRIBE(DatiTrasmissioneType2, kInvoiceUnit,
              VORN_FIELD(codiceDestinatarioField, IS_NLBL),
              VORN_FIELD(contattiTrasmittenteField, IS_NLBL),
              VORN_FIELD(formatoTrasmissioneField),
              VORN_FIELD(idTrasmittenteField, IS_NLBL),
              VORN_FIELD(pECDestinatarioField, IS_NLBL),
              VORN_FIELD(progressivoInvioField, IS_NLBL));

VORN_DESCRIBE(IdFiscaleType2, kInvoiceUnit,
              VORN_FIELD(idCodiceField, IS_NLBL),
              VORN_FIELD(idPaeseField, IS_NLBL));

VORN_DESCRIBE(ContattiTrasmittenteType2, kInvoiceUnit,
              VORN_FIELD(emailField, IS_NLBL),
              VORN_FIELD(telefonoField, IS_NLBL));

VORN_DESCRIBE(CedentePrestatoreType2, kInvoiceUnit,
              VORN_FIELD(contattiField, IS_NLBL),
              VORN_FIELD(datiAnagraficiField, IS_NLBL),
              VORN_FIELD(iscrizioneREAField, IS_NLBL),
              VORN_FIELD(riferimentoAmministrazioneField, IS_NLBL),
              VORN_FIELD(sedeField, IS_NLBL),
              VORN_FIELD(stabileOrganizzazioneField, IS_NLBL));

VORN_DESCRIBE(DatiAnagraficiCedenteType2, kInvoiceUnit,
              VORN_FIELD(alboProfessionaleField, IS_NLBL),
              VORN_FIELD(anagraficaField, IS_NLBL),
              VORN_FIELD(codiceFiscaleField, IS_NLBL),
              VORN_FIELD(dataIscrizioneAlboField, IS_NLBL),
              VORN_FIELD(dataIscrizioneAlboFieldSpecified),
              VORN_FIELD(idFiscaleIVAField, IS_NLBL),
              VORN_FIELD(numeroIscrizioneAlboField, IS_NLBL),
              VORN_FIELD(provinciaAlboField, IS_NLBL),
              VORN_FIELD(regimeFiscaleField));

VORN_DESCRIBE(AnagraficaType2, kInvoiceUnit,
              VORN_FIELD(codEORIField, IS_NLBL),
              VORN_ARRAY(itemsElementNameField, "ItemsChoiceType", IS_NLBL),
              VORN_ARRAY(itemsField, "string", IS_NLBL),
              VORN_FIELD(titoloField, IS_NLBL));

VORN_DESCRIBE(IndirizzoType2, kInvoiceUnit,
              VORN_FIELD(cAPField, IS_NLBL),
              VORN_FIELD(comuneField, IS_NLBL),
              VORN_FIELD(indirizzoField, IS_NLBL),
              VORN_FIELD(nazioneField, IS_NLBL),
              VORN_FIELD(numeroCivicoField, IS_NLBL),
              VORN_FIELD(provinciaField, IS_NLBL));

VORN_DESCRIBE(IscrizioneREAType2, kInvoiceUnit,
              VORN_FIELD(capitaleSocialeField, IS_NLBL),
              VORN_FIELD(capitaleSocialeFieldSpecified),
              VORN_FIELD(numeroREAField, IS_NLBL),
              VORN_FIELD(socioUnicoField, IS_NLBL),
              VORN_FIELD(socioUnicoFieldSpecified),
              VORN_FIELD(statoLiquidazioneField),
              VORN_FIELD(ufficioField, IS_NLBL));

VORN_DESCRIBE(ContattiType2, kInvoiceUnit,
              VORN_FIELD(emailField, IS_NLBL),
              VORN_FIELD(faxField, IS_NLBL),
              VORN_FIELD(telefonoField, IS_NLBL));

VORN_DESCRIBE(RappresentanteFiscaleType2, kInvoiceUnit,
              VORN_FIELD(datiAnagraficiField, IS_NLBL));

VORN_DESCRIBE(DatiAnagraficiRappresentanteType2, kInvoiceUnit,
              VORN_FIELD(anagraficaField, IS_NLBL),
              VORN_FIELD(codiceFiscaleField, IS_NLBL),
              VORN_FIELD(idFiscaleIVAField, IS_NLBL));

VORN_DESCRIBE(CessionarioCommittenteType2, kInvoiceUnit,
              VORN_FIELD(datiAnagraficiField, IS_NLBL),
              VORN_FIELD(rappresentanteFiscaleField, IS_NLBL),
              VORN_FIELD(sedeField, IS_NLBL),
              VORN_FIELD(stabileOrganizzazioneField, IS_NLBL));

VORN_DESCRIBE(DatiAnagraficiCessionarioType2, kInvoiceUnit,
              VORN_FIELD(anagraficaField, IS_NLBL),
              VORN_FIELD(codiceFiscaleField, IS_NLBL),
              VORN_FIELD(idFiscaleIVAField, IS_NLBL));

VORN_DESCRIBE(RappresentanteFiscaleCessionarioType2, kInvoiceUnit,
              VORN_FIELD(idFiscaleIVAField, IS_NLBL),
              VORN_ARRAY(itemsElementNameField, "ItemsChoiceType1", IS_NLBL),
              VORN_ARRAY(itemsField, "string", IS_NLBL));

VORN_DESCRIBE(TerzoIntermediarioSoggettoEmittenteType2, kInvoiceUnit,
              VORN_FIELD(datiAnagraficiField, IS_NLBL));

VORN_DESCRIBE(DatiAnagraficiTerzoIntermediarioType2, kInvoiceUnit,
              VORN_FIELD(anagraficaField, IS_NLBL),
              VORN_FIELD(codiceFiscaleField, IS_NLBL),
              VORN_FIELD(idFiscaleIVAField, IS_NLBL));
// clang-format on

}  // namespace vorn
