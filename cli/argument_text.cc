#include "cli/argument_text.h"

#include <cassert>
#include <optional>

#include "base/utf8.h"
#include "cli/cli_errors.h"
#include "cli/locale_charset.h"
#include "cli/xml_chars.h"

namespace vorn {

std::string ArgumentText(std::string_view bytes, std::string_view what, const std::string& charset,
                         bool secret) {
  std::string utf8;
  CharsetDecoder decoder(charset);
  const CharsetDecoder::Result r = decoder.Decode(bytes, /*last=*/true, utf8);
  if (r.invalid || r.used < bytes.size()) {
    throw EArgumentError("Invalid " + charset + " byte sequence at byte offset " +
                         std::to_string(r.used) + " of " + std::string(what));
  }
  size_t position = 1;
  for (size_t i = 0; i < utf8.size(); ++position) {
    // The text is valid UTF-8 here: iconv wrote it, or it was checked.
    const std::optional<Utf8Char> c = DecodeUtf8(std::string_view(utf8).substr(i));
    assert(c.has_value());
    if (!IsXmlChar(c->code_point)) {
      const std::string character = secret ? "" : " " + CodePointName(c->code_point);
      throw EArgumentError("The character" + character + " at position " +
                           std::to_string(position) + " of " + std::string(what) +
                           " is not allowed in XML");
    }
    i += c->length;
  }
  return utf8;
}

}  // namespace vorn
