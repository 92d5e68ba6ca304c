// Namespaces of the service contract.
#pragma once

#include <string_view>

namespace vorn {

inline constexpr std::string_view kServiceNamespace = "http://tempuri.org/";
inline constexpr std::string_view kMessageNamespace =
    "http://schemas.datacontract.org/2004/07/VornMirtel.FE.WebService";
inline constexpr std::string_view kInvoiceSchemaNamespace =
    "http://schemas.datacontract.org/2004/07/"
    "VornMirtel.FE.SdiWebService.Domain.FatturaElettronicaSchema";
inline constexpr std::string_view kArraysNamespace =
    "http://schemas.microsoft.com/2003/10/Serialization/Arrays";

}  // namespace vorn
