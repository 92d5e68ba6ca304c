// The root of the typed invoice, FatturaElettronicaType2, and its element
// form FatturaElettronicaType.
//
// The root is in place so that the typed operation and its request exist;
// its properties (header, bodies, signature, transmission format) are added
// with the rest of the invoice model.
#pragma once

#include "service/registry/remotable.h"

namespace vorn {

inline constexpr std::string_view kInvoiceUnit = "FatturaElettronica";

class FatturaElettronicaType2 : public Remotable<FatturaElettronicaType2, TRemotable> {
 public:
  static const ClassInfo& StaticClass();
};

class FatturaElettronicaType : public Remotable<FatturaElettronicaType, FatturaElettronicaType2> {
 public:
  static const ClassInfo& StaticClass();
};

// Registers the invoice model's types with the type registry.
void RegisterInvoiceTypes();

}  // namespace vorn
