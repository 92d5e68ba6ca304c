#include "invoice/fattura_elettronica.h"

#include "invoice/namespaces.h"
#include "service/registry/type_registry.h"

namespace vorn {

VORN_DESCRIBE(FatturaElettronicaType2, kInvoiceUnit);

void RegisterInvoiceTypes() {
  RegisterClassPair<FatturaElettronicaType2>(RemTypeRegistry(), kInvoiceSchemaNamespace);
}

}  // namespace vorn
