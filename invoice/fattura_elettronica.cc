#include "invoice/fattura_elettronica.h"

#include "invoice/namespaces.h"
#include "service/registry/type_registry.h"

namespace vorn {

// clang-format off
VORN_DESCRIBE(FatturaElettronicaType2, kInvoiceUnit,
              VORN_ARRAY(fatturaElettronicaBodyField, "FatturaElettronicaBodyType", IS_NLBL),
              VORN_FIELD(fatturaElettronicaHeaderField, IS_NLBL),
              VORN_FIELD(signatureField, IS_NLBL),
              VORN_FIELD(versioneField));
// clang-format on

void RegisterInvoiceTypes(void (*at_message_step)(int)) {
  TRemotableTypeRegistry& r = RemTypeRegistry();
  const std::string_view ns = kInvoiceSchemaNamespace;
  const auto message_step = [at_message_step](int n) {
    if (at_message_step != nullptr) at_message_step(n);
  };

  // The code lists, then the array types, each under its own name.
  const TypeInfo* const code_lists[] = {
      TypeInfoOf<NaturaType>(),
      TypeInfoOf<RitenutaType>(),
      TypeInfoOf<EsigibilitaIVAType>(),
      TypeInfoOf<TipoCessionePrestazioneType>(),
      TypeInfoOf<TipoScontoMaggiorazioneType>(),
      TypeInfoOf<FormatoTrasmissioneType>(),
      TypeInfoOf<Art73Type>(),
      TypeInfoOf<StatoLiquidazioneType>(),
      TypeInfoOf<SocioUnicoType>(),
      TypeInfoOf<ItemsChoiceType1>(),
      TypeInfoOf<SoggettoEmittenteType>(),
      TypeInfoOf<RegimeFiscaleType>(),
      TypeInfoOf<ItemsChoiceType4>(),
      TypeInfoOf<TipoRitenutaType>(),
      TypeInfoOf<CausalePagamentoType>(),
      TypeInfoOf<TipoCassaType>(),
      TypeInfoOf<BolloVirtualeType>(),
      TypeInfoOf<TipoDocumentoType>(),
      TypeInfoOf<ModalitaPagamentoType>(),
      TypeInfoOf<ItemsChoiceType>(),
      TypeInfoOf<CondizioniPagamentoType>(),
  };
  for (const TypeInfo* t : code_lists) r.RegisterXSInfo(t, ns, t->name);
  const TypeInfo* const arrays[] = {
      TypeInfoOf<ArrayOfReferenceType>(),
      TypeInfoOf<ArrayOfTransformType>(),
      TypeInfoOf<ArrayOfAltriDatiGestionaliType>(),
      TypeInfoOf<ArrayOfScontoMaggiorazioneType>(),
      TypeInfoOf<ArrayOfCodiceArticoloType>(),
      TypeInfoOf<ArrayOfDatiRiepilogoType>(),
      TypeInfoOf<ArrayOfDettaglioLineeType>(),
      TypeInfoOf<ArrayOfDatiSALType>(),
      TypeInfoOf<ArrayOfDatiDDTType>(),
      TypeInfoOf<ArrayOfDatiDocumentiCorrelatiType>(),
      TypeInfoOf<ArrayOfstring>(),
      TypeInfoOf<ArrayOfAllegatiType>(),
      TypeInfoOf<ArrayOfDatiPagamentoType>(),
      TypeInfoOf<ArrayOfFatturaElettronicaBodyType>(),
      TypeInfoOf<ArrayOfItemsChoiceType1>(),
      TypeInfoOf<ArrayOfanyType>(),
      TypeInfoOf<ArrayOfItemsChoiceType4>(),
      TypeInfoOf<ArrayOfObjectType>(),
      TypeInfoOf<ArrayOfDatiCassaPrevidenzialeType>(),
      TypeInfoOf<ArrayOfItemsChoiceType>(),
      TypeInfoOf<ArrayOfDettaglioPagamentoType>(),
  };
  for (const TypeInfo* t : arrays) {
    const bool wcf_array = t == ArrayOfstringTypeInfo() || t == ArrayOfanyTypeTypeInfo();
    r.RegisterXSInfo(t, wcf_array ? kArraysNamespace : ns, t->name);
  }

  // The class pairs: the root, then the header, the body's general data,
  // the signature and the body, with the message types at three places.
  RegisterClassPair<FatturaElettronicaType2>(r, ns);
  message_step(1);
  RegisterClassPair<FatturaElettronicaHeaderType2>(r, ns);
  RegisterClassPair<DatiTrasmissioneType2>(r, ns);
  RegisterClassPair<IdFiscaleType2>(r, ns);
  RegisterClassPair<ContattiTrasmittenteType2>(r, ns);
  RegisterClassPair<CedentePrestatoreType2>(r, ns);
  RegisterClassPair<DatiAnagraficiCedenteType2>(r, ns);
  RegisterClassPair<AnagraficaType2>(r, ns);
  RegisterClassPair<IndirizzoType2>(r, ns);
  RegisterClassPair<IscrizioneREAType2>(r, ns);
  RegisterClassPair<ContattiType2>(r, ns);
  RegisterClassPair<RappresentanteFiscaleType2>(r, ns);
  RegisterClassPair<DatiAnagraficiRappresentanteType2>(r, ns);
  RegisterClassPair<CessionarioCommittenteType2>(r, ns);
  RegisterClassPair<DatiAnagraficiCessionarioType2>(r, ns);
  RegisterClassPair<RappresentanteFiscaleCessionarioType2>(r, ns);
  RegisterClassPair<TerzoIntermediarioSoggettoEmittenteType2>(r, ns);
  RegisterClassPair<DatiAnagraficiTerzoIntermediarioType2>(r, ns);
  message_step(2);
  RegisterClassPair<DatiGeneraliType2>(r, ns);
  RegisterClassPair<DatiGeneraliDocumentoType2>(r, ns);
  RegisterClassPair<DatiRitenutaType2>(r, ns);
  RegisterClassPair<DatiBolloType2>(r, ns);
  RegisterClassPair<DatiCassaPrevidenzialeType2>(r, ns);
  RegisterClassPair<ScontoMaggiorazioneType2>(r, ns);
  RegisterClassPair<DatiDocumentiCorrelatiType2>(r, ns);
  RegisterClassPair<DatiSALType2>(r, ns);
  RegisterClassPair<DatiDDTType2>(r, ns);
  RegisterClassPair<DatiTrasportoType2>(r, ns);
  RegisterClassPair<DatiAnagraficiVettoreType2>(r, ns);
  RegisterClassPair<FatturaPrincipaleType2>(r, ns);
  message_step(3);
  // The fragment holder answers to "anyField" under four names, each just
  // before a class that holds one.
  const TypeInfo* xml_data = TXMLData::StaticClass().type_info;
  RegisterClassPair<SignatureType2>(r, ns);
  RegisterClassPair<SignedInfoType2>(r, ns);
  r.RegisterXSInfo(xml_data, ns, "anyField");
  RegisterClassPair<CanonicalizationMethodType2>(r, ns);
  RegisterClassPair<SignatureMethodType2>(r, ns);
  r.RegisterXSInfo(xml_data, ns, "anyField2", "anyField");
  r.RegisterXSInfo(xml_data, ns, "anyField3", "anyField");
  RegisterClassPair<DigestMethodType2>(r, ns);
  RegisterClassPair<ReferenceType2>(r, ns);
  RegisterClassPair<TransformType2>(r, ns);
  RegisterClassPair<SignatureValueType2>(r, ns);
  RegisterClassPair<KeyInfoType2>(r, ns);
  r.RegisterXSInfo(xml_data, ns, "anyField4", "anyField");
  RegisterClassPair<ObjectType2>(r, ns);
  RegisterClassPair<FatturaElettronicaBodyType2>(r, ns);
  RegisterClassPair<DatiBeniServiziType2>(r, ns);
  RegisterClassPair<DettaglioLineeType2>(r, ns);
  RegisterClassPair<CodiceArticoloType2>(r, ns);
  RegisterClassPair<AltriDatiGestionaliType2>(r, ns);
  RegisterClassPair<DatiRiepilogoType2>(r, ns);
  RegisterClassPair<DatiVeicoliType2>(r, ns);
  RegisterClassPair<DatiPagamentoType2>(r, ns);
  RegisterClassPair<DettaglioPagamentoType2>(r, ns);
  RegisterClassPair<AllegatiType2>(r, ns);
}

}  // namespace vorn
