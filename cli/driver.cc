#include "cli/driver.h"

#include <algorithm>
#include <memory>

#include "cli/document_loader.h"
#include "base/integer_text.h"
#include "soap/soap_errors.h"

namespace vorn {
namespace {

// Steps that may fail; the outcome status, or an exception.
int Submit(const std::vector<std::string>& args, Console& out, const ServiceGetter& get_service) {
  auto request = std::make_unique<InviaDocumentoRawRequest2>();
  request->SetUsername(args[0]);
  request->SetPassword(args[1]);
  // The file is read before the optional arguments are looked at.
  request->SetDocumento(LoadDocumentText(args[2]));
  if (args.size() > 3) {
    if (args[3] == "0") request->SetFormatoSdi("FPR12");
    if (args[3] == "1") request->SetFormatoSdi("FPA12");
  }
  if (args.size() > 4) {
    if (args[4] == "0") request->SetInviaSdi(false);
    if (args[4] == "1") request->SetInviaSdi(true);
  }
  if (args.size() > 5) request->SetCodiceTrasmittente(args[5]);
  if (args.size() > 6) request->SetProgressivoInvio(StrToInt64(args[6]));

  InterfacePtr<IService> service = get_service();
  std::unique_ptr<InviaDocumentoResponse2> response = service->InviaDocumentoRaw(request.get());
  if (response == nullptr) {
    throw ESOAPDomConvertError("The reply holds no InviaDocumentoRawResult element");
  }
  if (response->Success()) {
    out.WriteLine("Invio effettuato correttamente");
    return kExitSent;
  }
  out.WriteLine("Errore durante l'invio");
  out.WriteLine(response->Xml());
  const ArrayOfstring& errors = response->Errors();
  for (size_t i = 0; i < errors.size(); ++i) {
    out.WriteLine(std::to_string(i) + " = " + errors[i]);
  }
  return kExitRejected;
}

}  // namespace

int RunDriver(std::vector<std::string> args, Console& out, const ServiceGetter& get_service) {
  std::erase_if(args, [](const std::string& a) { return a.empty(); });
  if (args.size() < 3) {
    out.WriteLine("Errore nell'invocazione, utilizzare:");
    out.WriteLine(
        "vorn.exe username password file PA InviaSdi CodiceTrasmittente ProgressivoInvio");
    return kExitUsage;
  }
  try {
    return Submit(args, out, get_service);
  } catch (const Exception& e) {
    out.WriteLine(e.Report());
    return kExitError;
  } catch (const std::bad_alloc&) {
    out.WriteLine(EOutOfMemory().Report());
    return kExitError;
  }
}

}  // namespace vorn
