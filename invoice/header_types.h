// The invoice header: transmission data, the seller, the buyer, their
// representatives and the intermediary. AnagraficaType2, IdFiscaleType2 and
// IndirizzoType2 serve the body as well.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "invoice/code_lists.h"
#include "service/registry/class_table.h"
#include "service/registry/xs_datetime.h"
#include "service/registry/xs_decimal.h"

namespace vorn {

class ContattiType2 : public TRemotable {
  VORN_TYPE_CLASS(ContattiType2);
  std::string emailField;
  std::string faxField;
  std::string telefonoField;
};
using ContattiType = ElementForm<ContattiType2>;

class AnagraficaType2 : public TRemotable {
  VORN_TYPE_CLASS(AnagraficaType2);
  std::string codEORIField;
  ArrayOfItemsChoiceType itemsElementNameField;
  ArrayOfstring itemsField;
  std::string titoloField;
};
using AnagraficaType = ElementForm<AnagraficaType2>;

class IdFiscaleType2 : public TRemotable {
  VORN_TYPE_CLASS(IdFiscaleType2);
  std::string idCodiceField;
  std::string idPaeseField;
};
using IdFiscaleType = ElementForm<IdFiscaleType2>;

class DatiAnagraficiCedenteType2 : public TRemotable {
  VORN_TYPE_CLASS(DatiAnagraficiCedenteType2);
  std::string alboProfessionaleField;
  Owned<AnagraficaType2> anagraficaField;
  std::string codiceFiscaleField;
  Owned<TXSDateTime> dataIscrizioneAlboField;
  bool dataIscrizioneAlboFieldSpecified = false;
  Owned<IdFiscaleType2> idFiscaleIVAField;
  std::string numeroIscrizioneAlboField;
  std::string provinciaAlboField;
  RegimeFiscaleType regimeFiscaleField{};
};
using DatiAnagraficiCedenteType = ElementForm<DatiAnagraficiCedenteType2>;

class IscrizioneREAType2 : public TRemotable {
  VORN_TYPE_CLASS(IscrizioneREAType2);
  Owned<TXSDecimal> capitaleSocialeField;
  bool capitaleSocialeFieldSpecified = false;
  std::string numeroREAField;
  SocioUnicoType socioUnicoField{};
  bool socioUnicoFieldSpecified = false;
  StatoLiquidazioneType statoLiquidazioneField{};
  std::string ufficioField;
};
using IscrizioneREAType = ElementForm<IscrizioneREAType2>;

class IndirizzoType2 : public TRemotable {
  VORN_TYPE_CLASS(IndirizzoType2);
  std::string cAPField;
  std::string comuneField;
  std::string indirizzoField;
  std::string nazioneField;
  std::string numeroCivicoField;
  std::string provinciaField;
};
using IndirizzoType = ElementForm<IndirizzoType2>;

class CedentePrestatoreType2 : public TRemotable {
  VORN_TYPE_CLASS(CedentePrestatoreType2);
  Owned<ContattiType2> contattiField;
  Owned<DatiAnagraficiCedenteType2> datiAnagraficiField;
  Owned<IscrizioneREAType2> iscrizioneREAField;
  std::string riferimentoAmministrazioneField;
  Owned<IndirizzoType2> sedeField;
  Owned<IndirizzoType2> stabileOrganizzazioneField;
};
using CedentePrestatoreType = ElementForm<CedentePrestatoreType2>;

class DatiAnagraficiCessionarioType2 : public TRemotable {
  VORN_TYPE_CLASS(DatiAnagraficiCessionarioType2);
  Owned<AnagraficaType2> anagraficaField;
  std::string codiceFiscaleField;
  Owned<IdFiscaleType2> idFiscaleIVAField;
};
using DatiAnagraficiCessionarioType = ElementForm<DatiAnagraficiCessionarioType2>;

class RappresentanteFiscaleCessionarioType2 : public TRemotable {
  VORN_TYPE_CLASS(RappresentanteFiscaleCessionarioType2);
  Owned<IdFiscaleType2> idFiscaleIVAField;
  ArrayOfItemsChoiceType1 itemsElementNameField;
  ArrayOfstring itemsField;
};
using RappresentanteFiscaleCessionarioType = ElementForm<RappresentanteFiscaleCessionarioType2>;

class CessionarioCommittenteType2 : public TRemotable {
  VORN_TYPE_CLASS(CessionarioCommittenteType2);
  Owned<DatiAnagraficiCessionarioType2> datiAnagraficiField;
  Owned<RappresentanteFiscaleCessionarioType2> rappresentanteFiscaleField;
  Owned<IndirizzoType2> sedeField;
  Owned<IndirizzoType2> stabileOrganizzazioneField;
};
using CessionarioCommittenteType = ElementForm<CessionarioCommittenteType2>;

class ContattiTrasmittenteType2 : public TRemotable {
  VORN_TYPE_CLASS(ContattiTrasmittenteType2);
  std::string emailField;
  std::string telefonoField;
};
using ContattiTrasmittenteType = ElementForm<ContattiTrasmittenteType2>;

class DatiTrasmissioneType2 : public TRemotable {
  VORN_TYPE_CLASS(DatiTrasmissioneType2);
  std::string codiceDestinatarioField;
  Owned<ContattiTrasmittenteType2> contattiTrasmittenteField;
  FormatoTrasmissioneType formatoTrasmissioneField{};
  Owned<IdFiscaleType2> idTrasmittenteField;
  std::string pECDestinatarioField;
  std::string progressivoInvioField;
};
using DatiTrasmissioneType = ElementForm<DatiTrasmissioneType2>;

class DatiAnagraficiRappresentanteType2 : public TRemotable {
  VORN_TYPE_CLASS(DatiAnagraficiRappresentanteType2);
  Owned<AnagraficaType2> anagraficaField;
  std::string codiceFiscaleField;
  Owned<IdFiscaleType2> idFiscaleIVAField;
};
using DatiAnagraficiRappresentanteType = ElementForm<DatiAnagraficiRappresentanteType2>;

class RappresentanteFiscaleType2 : public TRemotable {
  VORN_TYPE_CLASS(RappresentanteFiscaleType2);
  Owned<DatiAnagraficiRappresentanteType2> datiAnagraficiField;
};
using RappresentanteFiscaleType = ElementForm<RappresentanteFiscaleType2>;

class DatiAnagraficiTerzoIntermediarioType2 : public TRemotable {
  VORN_TYPE_CLASS(DatiAnagraficiTerzoIntermediarioType2);
  Owned<AnagraficaType2> anagraficaField;
  std::string codiceFiscaleField;
  Owned<IdFiscaleType2> idFiscaleIVAField;
};
using DatiAnagraficiTerzoIntermediarioType = ElementForm<DatiAnagraficiTerzoIntermediarioType2>;

class TerzoIntermediarioSoggettoEmittenteType2 : public TRemotable {
  VORN_TYPE_CLASS(TerzoIntermediarioSoggettoEmittenteType2);
  Owned<DatiAnagraficiTerzoIntermediarioType2> datiAnagraficiField;
};
using TerzoIntermediarioSoggettoEmittenteType =
    ElementForm<TerzoIntermediarioSoggettoEmittenteType2>;

class FatturaElettronicaHeaderType2 : public TRemotable {
  VORN_TYPE_CLASS(FatturaElettronicaHeaderType2);
  Owned<CedentePrestatoreType2> cedentePrestatoreField;
  Owned<CessionarioCommittenteType2> cessionarioCommittenteField;
  Owned<DatiTrasmissioneType2> datiTrasmissioneField;
  Owned<RappresentanteFiscaleType2> rappresentanteFiscaleField;
  SoggettoEmittenteType soggettoEmittenteField{};
  bool soggettoEmittenteFieldSpecified = false;
  Owned<TerzoIntermediarioSoggettoEmittenteType2> terzoIntermediarioOSoggettoEmittenteField;
};
using FatturaElettronicaHeaderType = ElementForm<FatturaElettronicaHeaderType2>;

}  // namespace vorn
