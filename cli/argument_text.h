// Command-line arguments as text of the request.
//
// An argument arrives as bytes in the locale's character set; the request
// is UTF-8 XML. Each argument that goes into the request is decoded and
// checked here first, so that no argument can make the request unreadable.
#pragma once

#include <string>
#include <string_view>

namespace vorn {

// `bytes` decoded from `charset` (an iconv name) to UTF-8. Throws
// EArgumentError, naming the argument by `what` ("argument username", "the
// password read from standard input"):
// - "Invalid <charset> byte sequence at byte offset <n> of <what>" for bytes
//   that are not text in `charset` (n counts from 0);
// - "The character U+XXXX at position <n> of <what> is not allowed in XML"
//   for a character that XML does not allow (n counts characters from 1).
//   For a `secret` argument the character is not named: "The character at
//   position <n> of <what> is not allowed in XML".
// No message shows the argument's text. Throws EEncodingError when iconv
// does not know `charset`.
std::string ArgumentText(std::string_view bytes, std::string_view what, const std::string& charset,
                         bool secret = false);

}  // namespace vorn
