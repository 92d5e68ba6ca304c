#include "service/messages.h"

namespace vorn {
namespace {
constexpr uint32_t kOptNil = IS_OPTN | IS_NLBL;
}  // namespace

// clang-format off
VORN_DESCRIBE(InviaDocumentoRawRequest2, kServiceUnit,
              VORN_MESSAGE_PROP(CodiceTrasmittente, kOptNil),
              VORN_MESSAGE_PROP(Documento, kOptNil),
              VORN_MESSAGE_PROP(DocumentoFirmato, kOptNil),
              VORN_MESSAGE_PROP(Formato, kOptNil),
              VORN_MESSAGE_PROP(FormatoSdi, kOptNil),
              VORN_MESSAGE_PROP(InviaSdi, kOptNil),
              VORN_MESSAGE_PROP(NumeroDocumento, kOptNil),
              VORN_MESSAGE_PROP(Password, kOptNil),
              VORN_MESSAGE_PROP(ProgressivoInvio, kOptNil),
              VORN_MESSAGE_PROP(Sezionale, kOptNil),
              VORN_MESSAGE_PROP(Username, kOptNil));

VORN_DESCRIBE(InviaDocumentoRequest2, kServiceUnit,
              VORN_MESSAGE_PROP(CentroId, kOptNil),
              VORN_MESSAGE_PROP(Documento, kOptNil),
              VORN_MESSAGE_PROP(DocumentoFirmato, kOptNil),
              VORN_MESSAGE_PROP(InviaSdi, kOptNil),
              VORN_MESSAGE_PROP(NumeroDocumento, kOptNil),
              VORN_MESSAGE_PROP(Password, kOptNil),
              VORN_MESSAGE_PROP(Sezionale, kOptNil),
              VORN_MESSAGE_PROP(Username, kOptNil));

VORN_DESCRIBE(InviaDocumentoResponse2, kServiceUnit,
              VORN_MESSAGE_PROP(Errors, kOptNil, "string"),
              VORN_MESSAGE_PROP(Filename, kOptNil),
              VORN_MESSAGE_PROP(Id, IS_OPTN),
              VORN_MESSAGE_PROP(Success, IS_OPTN),
              VORN_MESSAGE_PROP(Xml, kOptNil));
// clang-format on

}  // namespace vorn
