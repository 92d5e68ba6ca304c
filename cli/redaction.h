// Hiding credentials in what is shown of an exchange (the trace, the dry
// run).
#pragma once

#include <string>
#include <string_view>

namespace vorn {

// What stands in place of a hidden value.
inline constexpr std::string_view kMask = "********";

// `xml` with the content of every element whose local name is "Password"
// (any prefix, any attributes) replaced by kMask; a CDATA section inside it
// goes too. An empty-element tag <Password/> stays as it is. The text is
// scanned, not parsed, so a fragment (part of a body) is handled as far as
// it goes; a Password element cut off by the end is hidden to the end.
std::string MaskPasswords(std::string_view xml);

// `head`, lines of an HTTP head each ended by LF or CR LF, with the value of
// every credential header (Authorization, Proxy-Authorization, Cookie,
// Set-Cookie; any letter case) replaced by kMask.
std::string MaskCredentialHeaders(std::string_view head);

}  // namespace vorn
