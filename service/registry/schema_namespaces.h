// The standard namespaces of the built-in types: XML Schema's simple types
// and SOAP encoding's base64.
#pragma once

#include <string_view>

namespace vorn {

inline constexpr std::string_view kXMLSchemaNS = "http://www.w3.org/2001/XMLSchema";
inline constexpr std::string_view kSoapEncodingNS = "http://schemas.xmlsoap.org/soap/encoding/";

}  // namespace vorn
