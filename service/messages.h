// Request and response messages of the service.
//
// Every message property has a hidden presence flag: its setter stores the
// value and marks it present, and only present properties travel. The flag
// is read through the property's _Specified predicate and is never cleared.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "invoice/fattura_elettronica.h"
#include "service/registry/class_table.h"
#include "service/registry/remotable.h"
#include "service/registry/type_info.h"

namespace vorn {

// The module name of the service contract's types.
inline constexpr std::string_view kServiceUnit = "Service";

// Request of InviaDocumentoRaw: the invoice as text.
class InviaDocumentoRawRequest2 : public TRemotable {
  VORN_TYPE_CLASS(InviaDocumentoRawRequest2);

  const std::string& CodiceTrasmittente() const { return FCodiceTrasmittente; }
  void SetCodiceTrasmittente(std::string v) {
    FCodiceTrasmittente = std::move(v);
    FCodiceTrasmittente_Specified = true;
  }
  bool CodiceTrasmittente_Specified() const { return FCodiceTrasmittente_Specified; }

  const std::string& Documento() const { return FDocumento; }
  void SetDocumento(std::string v) {
    FDocumento = std::move(v);
    FDocumento_Specified = true;
  }
  bool Documento_Specified() const { return FDocumento_Specified; }

  const TByteDynArray& DocumentoFirmato() const { return FDocumentoFirmato; }
  void SetDocumentoFirmato(TByteDynArray v) {
    FDocumentoFirmato = std::move(v);
    FDocumentoFirmato_Specified = true;
  }
  bool DocumentoFirmato_Specified() const { return FDocumentoFirmato_Specified; }

  const std::string& Formato() const { return FFormato; }
  void SetFormato(std::string v) {
    FFormato = std::move(v);
    FFormato_Specified = true;
  }
  bool Formato_Specified() const { return FFormato_Specified; }

  const std::string& FormatoSdi() const { return FFormatoSdi; }
  void SetFormatoSdi(std::string v) {
    FFormatoSdi = std::move(v);
    FFormatoSdi_Specified = true;
  }
  bool FormatoSdi_Specified() const { return FFormatoSdi_Specified; }

  bool InviaSdi() const { return FInviaSdi; }
  void SetInviaSdi(bool v) {
    FInviaSdi = v;
    FInviaSdi_Specified = true;
  }
  bool InviaSdi_Specified() const { return FInviaSdi_Specified; }

  int32_t NumeroDocumento() const { return FNumeroDocumento; }
  void SetNumeroDocumento(int32_t v) {
    FNumeroDocumento = v;
    FNumeroDocumento_Specified = true;
  }
  bool NumeroDocumento_Specified() const { return FNumeroDocumento_Specified; }

  const std::string& Password() const { return FPassword; }
  void SetPassword(std::string v) {
    FPassword = std::move(v);
    FPassword_Specified = true;
  }
  bool Password_Specified() const { return FPassword_Specified; }

  int64_t ProgressivoInvio() const { return FProgressivoInvio; }
  void SetProgressivoInvio(int64_t v) {
    FProgressivoInvio = v;
    FProgressivoInvio_Specified = true;
  }
  bool ProgressivoInvio_Specified() const { return FProgressivoInvio_Specified; }

  const std::string& Sezionale() const { return FSezionale; }
  void SetSezionale(std::string v) {
    FSezionale = std::move(v);
    FSezionale_Specified = true;
  }
  bool Sezionale_Specified() const { return FSezionale_Specified; }

  const std::string& Username() const { return FUsername; }
  void SetUsername(std::string v) {
    FUsername = std::move(v);
    FUsername_Specified = true;
  }
  bool Username_Specified() const { return FUsername_Specified; }

 private:
  std::string FCodiceTrasmittente;
  bool FCodiceTrasmittente_Specified = false;
  std::string FDocumento;
  bool FDocumento_Specified = false;
  TByteDynArray FDocumentoFirmato;
  bool FDocumentoFirmato_Specified = false;
  std::string FFormato;
  bool FFormato_Specified = false;
  std::string FFormatoSdi;
  bool FFormatoSdi_Specified = false;
  bool FInviaSdi = false;
  bool FInviaSdi_Specified = false;
  int32_t FNumeroDocumento = 0;
  bool FNumeroDocumento_Specified = false;
  std::string FPassword;
  bool FPassword_Specified = false;
  int64_t FProgressivoInvio = 0;
  bool FProgressivoInvio_Specified = false;
  std::string FSezionale;
  bool FSezionale_Specified = false;
  std::string FUsername;
  bool FUsername_Specified = false;
};

// Request of InviaDocumento: the invoice as a typed tree, which the request
// owns.
class InviaDocumentoRequest2 : public TRemotable {
  VORN_TYPE_CLASS(InviaDocumentoRequest2);

  // Destruction takes the tree out of Documento, destroys it, then the rest.
  int32_t CentroId() const { return FCentroId; }
  void SetCentroId(int32_t v) {
    FCentroId = v;
    FCentroId_Specified = true;
  }
  bool CentroId_Specified() const { return FCentroId_Specified; }

  FatturaElettronicaType2* Documento() const { return FDocumento.get(); }
  // Stores the new tree and hands back the one it replaces.
  std::unique_ptr<FatturaElettronicaType2> SetDocumento(
      std::unique_ptr<FatturaElettronicaType2> v) {
    FDocumento_Specified = true;
    return std::exchange(FDocumento, std::move(v));
  }
  bool Documento_Specified() const { return FDocumento_Specified; }

  const TByteDynArray& DocumentoFirmato() const { return FDocumentoFirmato; }
  void SetDocumentoFirmato(TByteDynArray v) {
    FDocumentoFirmato = std::move(v);
    FDocumentoFirmato_Specified = true;
  }
  bool DocumentoFirmato_Specified() const { return FDocumentoFirmato_Specified; }

  bool InviaSdi() const { return FInviaSdi; }
  void SetInviaSdi(bool v) {
    FInviaSdi = v;
    FInviaSdi_Specified = true;
  }
  bool InviaSdi_Specified() const { return FInviaSdi_Specified; }

  int32_t NumeroDocumento() const { return FNumeroDocumento; }
  void SetNumeroDocumento(int32_t v) {
    FNumeroDocumento = v;
    FNumeroDocumento_Specified = true;
  }
  bool NumeroDocumento_Specified() const { return FNumeroDocumento_Specified; }

  const std::string& Password() const { return FPassword; }
  void SetPassword(std::string v) {
    FPassword = std::move(v);
    FPassword_Specified = true;
  }
  bool Password_Specified() const { return FPassword_Specified; }

  const std::string& Sezionale() const { return FSezionale; }
  void SetSezionale(std::string v) {
    FSezionale = std::move(v);
    FSezionale_Specified = true;
  }
  bool Sezionale_Specified() const { return FSezionale_Specified; }

  const std::string& Username() const { return FUsername; }
  void SetUsername(std::string v) {
    FUsername = std::move(v);
    FUsername_Specified = true;
  }
  bool Username_Specified() const { return FUsername_Specified; }

 private:
  int32_t FCentroId = 0;
  bool FCentroId_Specified = false;
  std::unique_ptr<FatturaElettronicaType2> FDocumento;
  bool FDocumento_Specified = false;
  TByteDynArray FDocumentoFirmato;
  bool FDocumentoFirmato_Specified = false;
  bool FInviaSdi = false;
  bool FInviaSdi_Specified = false;
  int32_t FNumeroDocumento = 0;
  bool FNumeroDocumento_Specified = false;
  std::string FPassword;
  bool FPassword_Specified = false;
  std::string FSezionale;
  bool FSezionale_Specified = false;
  std::string FUsername;
  bool FUsername_Specified = false;
};

// The answer of every operation.
class InviaDocumentoResponse2 : public TRemotable {
  VORN_TYPE_CLASS(InviaDocumentoResponse2);

  const ArrayOfstring& Errors() const { return FErrors; }
  void SetErrors(ArrayOfstring v) {
    FErrors = std::move(v);
    FErrors_Specified = true;
  }
  bool Errors_Specified() const { return FErrors_Specified; }

  const std::string& Filename() const { return FFilename; }
  void SetFilename(std::string v) {
    FFilename = std::move(v);
    FFilename_Specified = true;
  }
  bool Filename_Specified() const { return FFilename_Specified; }

  int32_t Id() const { return FId; }
  void SetId(int32_t v) {
    FId = v;
    FId_Specified = true;
  }
  bool Id_Specified() const { return FId_Specified; }

  bool Success() const { return FSuccess; }
  void SetSuccess(bool v) {
    FSuccess = v;
    FSuccess_Specified = true;
  }
  bool Success_Specified() const { return FSuccess_Specified; }

  const std::string& Xml() const { return FXml; }
  void SetXml(std::string v) {
    FXml = std::move(v);
    FXml_Specified = true;
  }
  bool Xml_Specified() const { return FXml_Specified; }

 private:
  ArrayOfstring FErrors;
  bool FErrors_Specified = false;
  std::string FFilename;
  bool FFilename_Specified = false;
  int32_t FId = 0;
  bool FId_Specified = false;
  bool FSuccess = false;
  bool FSuccess_Specified = false;
  std::string FXml;
  bool FXml_Specified = false;
};

// Element forms: the same classes under their element names.
using InviaDocumentoRawRequest = ElementForm<InviaDocumentoRawRequest2>;
using InviaDocumentoRequest = ElementForm<InviaDocumentoRequest2>;
using InviaDocumentoResponse = ElementForm<InviaDocumentoResponse2>;

}  // namespace vorn
