// The root of the typed invoice, FatturaElettronicaType2, and its element
// form FatturaElettronicaType.
//
// The root is in place so that the typed operation and its request exist;
// its properties (header, bodies, signature, transmission format) are added
// with the rest of the invoice model.
#pragma once

#include "service/registry/class_table.h"

namespace vorn {

inline constexpr std::string_view kInvoiceUnit = "FatturaElettronica";

class FatturaElettronicaType2 : public TRemotable {
  VORN_TYPE_CLASS(FatturaElettronicaType2);
};
using FatturaElettronicaType = ElementForm<FatturaElettronicaType2>;

// Registers the invoice model's types with the type registry.
void RegisterInvoiceTypes();

}  // namespace vorn
