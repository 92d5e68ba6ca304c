// The root of the typed invoice, FatturaElettronicaType2, and its element
// form FatturaElettronicaType: the bodies, the header, the signature and the
// transmission format ("FPA12" in a new root).
#pragma once

#include "invoice/body_types.h"
#include "invoice/header_types.h"
#include "invoice/signature_types.h"

namespace vorn {

class FatturaElettronicaType2 : public TRemotable {
  VORN_TYPE_CLASS(FatturaElettronicaType2);
  ArrayOfFatturaElettronicaBodyType fatturaElettronicaBodyField;
  Owned<FatturaElettronicaHeaderType2> fatturaElettronicaHeaderField;
  Owned<SignatureType2> signatureField;
  FormatoTrasmissioneType versioneField{};
};
using FatturaElettronicaType = ElementForm<FatturaElettronicaType2>;

// Registers the invoice model's code lists, array types and class pairs with
// the type registry, in start-up order. `at_message_step(n)` is called at the
// three places where the service contract's message registrations stand
// among the model's (n = 1, 2, 3); pass nothing to register the model alone.
void RegisterInvoiceTypes(void (*at_message_step)(int) = nullptr);

}  // namespace vorn
