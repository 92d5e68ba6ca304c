// The character set of the program's locale, and conversions between UTF-8
// and a named character set.
//
// Character sets are named as iconv knows them ("UTF-8", "ISO-8859-1", ...).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vorn {

// The locale's character set, as nl_langinfo(CODESET) reports it after the
// program's setlocale(LC_ALL, ""). Read once, at the first call, and kept for
// the rest of the process. The C/POSIX locale (plain ASCII) counts as UTF-8,
// so the result is then "UTF-8".
std::string LocaleCharset();

// True when `charset` names UTF-8 ("UTF-8" or "UTF8", any case).
bool IsUtf8Charset(std::string_view charset);

// Converts UTF-8 text to `charset`. A character the charset cannot hold, and
// an invalid UTF-8 sequence, each become one "?". Empty input gives empty
// output. Throws EEncodingError when iconv does not know `charset`.
std::string Utf8ToCharset(std::string_view utf8, const std::string& charset);

// Strict conversion of `bytes` in `charset` to UTF-8. On success returns true
// and sets `utf8`. On an invalid or truncated sequence returns false and sets
// `error_offset` to the byte offset where it starts; `utf8` is then
// unspecified. Throws EEncodingError when iconv does not know `charset`.
bool CharsetToUtf8(std::string_view bytes, const std::string& charset, std::string& utf8,
                   size_t& error_offset);

}  // namespace vorn
