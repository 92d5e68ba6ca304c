// The character set of the program's locale, and conversions between UTF-8
// and a named character set.
//
// Character sets are named as iconv knows them ("UTF-8", "ISO-8859-1", ...).
#pragma once

#include <cstddef>
#include <memory>
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

// Strict conversion of text in a named character set to UTF-8, a piece of
// the input at a time, so that an invalid sequence is found as the input is
// read. The conversion state carries over from one piece to the next.
class CharsetDecoder {
 public:
  // Throws EEncodingError when iconv does not know `charset`.
  explicit CharsetDecoder(const std::string& charset);
  ~CharsetDecoder();
  CharsetDecoder(const CharsetDecoder&) = delete;
  CharsetDecoder& operator=(const CharsetDecoder&) = delete;

  struct Result {
    size_t used = 0;       // bytes of the piece converted
    bool invalid = false;  // stopped at an invalid sequence, which starts at `used`
  };

  // Converts `bytes`, the next piece of the input, appending the UTF-8 to
  // `utf8`, up to its end or its first invalid sequence. Unless `last` is
  // set, a sequence that the end of `bytes` may have cut short is left
  // unconverted (used < bytes.size(), invalid false), to be passed again at
  // the start of the next piece; in the last piece it is invalid.
  Result Decode(std::string_view bytes, bool last, std::string& utf8);

 private:
  struct State;
  std::unique_ptr<State> state_;  // null for UTF-8
};
}  // namespace vorn
