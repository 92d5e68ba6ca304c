#include "service/messages.h"

namespace vorn {

const ClassInfo& InviaDocumentoRawRequest2::StaticClass() {
  using C = InviaDocumentoRawRequest2;
  constexpr uint32_t kOptNil = IS_OPTN | IS_NLBL;
  static const ClassInfo info =
      DescribeClass<C, TRemotable>("InviaDocumentoRawRequest2", kServiceUnit, [] {
        return PropList{
            prop("CodiceTrasmittente", &C::CodiceTrasmittente, &C::SetCodiceTrasmittente, kOptNil,
                 &C::CodiceTrasmittente_Specified),
            prop("Documento", &C::Documento, &C::SetDocumento, kOptNil, &C::Documento_Specified),
            prop("DocumentoFirmato", &C::DocumentoFirmato, &C::SetDocumentoFirmato, kOptNil,
                 &C::DocumentoFirmato_Specified),
            prop("Formato", &C::Formato, &C::SetFormato, kOptNil, &C::Formato_Specified),
            prop("FormatoSdi", &C::FormatoSdi, &C::SetFormatoSdi, kOptNil,
                 &C::FormatoSdi_Specified),
            prop("InviaSdi", &C::InviaSdi, &C::SetInviaSdi, kOptNil, &C::InviaSdi_Specified),
            prop("NumeroDocumento", &C::NumeroDocumento, &C::SetNumeroDocumento, kOptNil,
                 &C::NumeroDocumento_Specified),
            prop("Password", &C::Password, &C::SetPassword, kOptNil, &C::Password_Specified),
            prop("ProgressivoInvio", &C::ProgressivoInvio, &C::SetProgressivoInvio, kOptNil,
                 &C::ProgressivoInvio_Specified),
            prop("Sezionale", &C::Sezionale, &C::SetSezionale, kOptNil, &C::Sezionale_Specified),
            prop("Username", &C::Username, &C::SetUsername, kOptNil, &C::Username_Specified),
        };
      });
  return info;
}

const ClassInfo& InviaDocumentoRequest2::StaticClass() {
  using C = InviaDocumentoRequest2;
  constexpr uint32_t kOptNil = IS_OPTN | IS_NLBL;
  static const ClassInfo info =
      DescribeClass<C, TRemotable>("InviaDocumentoRequest2", kServiceUnit, [] {
        return PropList{
            prop("CentroId", &C::CentroId, &C::SetCentroId, kOptNil, &C::CentroId_Specified),
            prop("Documento", &C::Documento, &C::SetDocumento, kOptNil, &C::Documento_Specified),
            prop("DocumentoFirmato", &C::DocumentoFirmato, &C::SetDocumentoFirmato, kOptNil,
                 &C::DocumentoFirmato_Specified),
            prop("InviaSdi", &C::InviaSdi, &C::SetInviaSdi, kOptNil, &C::InviaSdi_Specified),
            prop("NumeroDocumento", &C::NumeroDocumento, &C::SetNumeroDocumento, kOptNil,
                 &C::NumeroDocumento_Specified),
            prop("Password", &C::Password, &C::SetPassword, kOptNil, &C::Password_Specified),
            prop("Sezionale", &C::Sezionale, &C::SetSezionale, kOptNil, &C::Sezionale_Specified),
            prop("Username", &C::Username, &C::SetUsername, kOptNil, &C::Username_Specified),
        };
      });
  return info;
}

const ClassInfo& InviaDocumentoResponse2::StaticClass() {
  using C = InviaDocumentoResponse2;
  static const ClassInfo info =
      DescribeClass<C, TRemotable>("InviaDocumentoResponse2", kServiceUnit, [] {
        return PropList{
            prop("Errors", &C::Errors, &C::SetErrors, IS_OPTN | IS_NLBL, &C::Errors_Specified),
            prop("Filename", &C::Filename, &C::SetFilename, IS_OPTN | IS_NLBL,
                 &C::Filename_Specified),
            prop("Id", &C::Id, &C::SetId, IS_OPTN, &C::Id_Specified),
            prop("Success", &C::Success, &C::SetSuccess, IS_OPTN, &C::Success_Specified),
            prop("Xml", &C::Xml, &C::SetXml, IS_OPTN | IS_NLBL, &C::Xml_Specified),
        };
      });
  return info;
}

const ClassInfo& InviaDocumentoRawRequest::StaticClass() {
  static const ClassInfo info = DescribeClass<InviaDocumentoRawRequest, InviaDocumentoRawRequest2>(
      "InviaDocumentoRawRequest", kServiceUnit);
  return info;
}

const ClassInfo& InviaDocumentoRequest::StaticClass() {
  static const ClassInfo info = DescribeClass<InviaDocumentoRequest, InviaDocumentoRequest2>(
      "InviaDocumentoRequest", kServiceUnit);
  return info;
}

const ClassInfo& InviaDocumentoResponse::StaticClass() {
  static const ClassInfo info = DescribeClass<InviaDocumentoResponse, InviaDocumentoResponse2>(
      "InviaDocumentoResponse", kServiceUnit);
  return info;
}

}  // namespace vorn
