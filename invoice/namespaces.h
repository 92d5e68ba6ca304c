// The namespaces the invoice model travels in, and the module name its types
// are declared in.
#pragma once

#include <string_view>

namespace vorn {

inline constexpr std::string_view kInvoiceSchemaNamespace =
    "http://schemas.datacontract.org/2004/07/"
    "VornMirtel.FE.SdiWebService.Domain.FatturaElettronicaSchema";
// Arrays of strings and of variants go in the serializer's arrays namespace.
inline constexpr std::string_view kArraysNamespace =
    "http://schemas.microsoft.com/2003/10/Serialization/Arrays";

inline constexpr std::string_view kInvoiceUnit = "FatturaElettronica";

}  // namespace vorn
