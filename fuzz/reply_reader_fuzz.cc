// Reads arbitrary bytes as the reply to InviaDocumentoRaw, with the converter
// set up as the remote object sets it up. The reader may reject a reply only
// by throwing a vorn::Exception; anything else escaping it, or a sanitizer
// report, is a finding.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "base/exception.h"
#include "service/messages.h"
#include "service/service.h"
#include "soap/converter.h"
#include "soap/invocation.h"

namespace {

struct Reader {
  vorn::TIntfMetaData intf;
  vorn::TOPToSoapDomConvert converter;
};

Reader& TheReader() {
  static Reader* reader = [] {
    vorn::RegisterServiceContract();
    auto* r = new Reader{vorn::TIntfMetaData::FromInterface(vorn::IService::Info()), {}};
    r->converter.Options.Add(vorn::TSOAPConvertOption::soDocument);
    return r;
  }();
  return *reader;
}

// Reads every field of the response so that a field left dangling or
// uninitialised by the reader shows up under the sanitizers.
size_t Touch(const vorn::InviaDocumentoResponse2& r) {
  size_t n = r.Filename().size() + r.Xml().size() + static_cast<size_t>(r.Id());
  for (const auto& e : r.Errors()) n += e.size();
  return n + r.Success() + r.Success_Specified() + r.Errors_Specified() + r.Id_Specified() +
         r.Filename_Specified() + r.Xml_Specified();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Reader& r = TheReader();
  vorn::TInvContext ctx;
  ctx.method = r.intf.MDA[4];  // InviaDocumentoRaw
  vorn::InvResult result;
  ctx.result = &result;
  try {
    r.converter.ProcessResponse(std::string_view(reinterpret_cast<const char*>(data), size), r.intf,
                                ctx.method, ctx);
  } catch (const vorn::Exception&) {
    return 0;
  }
  if (result.object != nullptr) {
    const auto* response = dynamic_cast<const vorn::InviaDocumentoResponse2*>(result.object.get());
    if (response == nullptr) {
      std::fprintf(stderr, "check failed: result is not an InviaDocumentoResponse2\n");
      __builtin_trap();
    }
    volatile size_t sink = Touch(*response);
    (void)sink;
  }
  return 0;
}
