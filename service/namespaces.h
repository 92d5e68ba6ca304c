// Namespaces of the service contract. The model's own are in
// invoice/namespaces.h.
#pragma once

#include <string_view>

#include "invoice/namespaces.h"

namespace vorn {

inline constexpr std::string_view kServiceNamespace = "http://tempuri.org/";
inline constexpr std::string_view kMessageNamespace =
    "http://schemas.datacontract.org/2004/07/VornMirtel.FE.WebService";

}  // namespace vorn
