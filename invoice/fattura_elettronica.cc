#include "invoice/fattura_elettronica.h"

#include "invoice/namespaces.h"
#include "service/registry/type_registry.h"

namespace vorn {

const ClassInfo& FatturaElettronicaType2::StaticClass() {
  static const ClassInfo info =
      DescribeClass<FatturaElettronicaType2, TRemotable>("FatturaElettronicaType2", kInvoiceUnit);
  return info;
}

const ClassInfo& FatturaElettronicaType::StaticClass() {
  static const ClassInfo info = DescribeClass<FatturaElettronicaType, FatturaElettronicaType2>(
      "FatturaElettronicaType", kInvoiceUnit);
  return info;
}

void RegisterInvoiceTypes() {
  TRemotableTypeRegistry& r = RemTypeRegistry();
  r.RegisterXSClass(FatturaElettronicaType2::StaticClass(), kInvoiceSchemaNamespace,
                    "FatturaElettronicaType2", "FatturaElettronicaType");
  r.RegisterXSClass(FatturaElettronicaType::StaticClass(), kInvoiceSchemaNamespace,
                    "FatturaElettronicaType");
}

}  // namespace vorn
