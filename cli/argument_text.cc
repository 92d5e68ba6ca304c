#include "cli/argument_text.h"

#include <algorithm>
#include <cstdint>

#include "cli/cli_errors.h"
#include "cli/locale_charset.h"
#include "cli/xml_chars.h"

namespace vorn {
namespace {

// The code point of the valid UTF-8 sequence of `length` bytes at `p`.
uint32_t DecodeUtf8(const char* p, size_t length) {
  const auto b = [p](size_t i) { return static_cast<uint32_t>(static_cast<unsigned char>(p[i])); };
  switch (length) {
    case 1:
      return b(0);
    case 2:
      return (b(0) & 0x1F) << 6 | (b(1) & 0x3F);
    case 3:
      return (b(0) & 0x0F) << 12 | (b(1) & 0x3F) << 6 | (b(2) & 0x3F);
    default:
      return (b(0) & 0x07) << 18 | (b(1) & 0x3F) << 12 | (b(2) & 0x3F) << 6 | (b(3) & 0x3F);
  }
}

}  // namespace

std::string ArgumentText(std::string_view bytes, std::string_view what, const std::string& charset,
                         bool secret) {
  std::string utf8;
  size_t bad = 0;
  if (!CharsetToUtf8(bytes, charset, utf8, bad)) {
    throw EArgumentError("Invalid " + charset + " byte sequence at byte offset " +
                         std::to_string(bad) + " of " + std::string(what));
  }
  size_t position = 1;
  for (size_t i = 0; i < utf8.size(); ++position) {
    // The text is valid UTF-8 here: iconv wrote it, or it was checked.
    const size_t length = std::max<size_t>(Utf8SequenceLength(std::string_view(utf8).substr(i)), 1);
    const uint32_t cp = DecodeUtf8(utf8.data() + i, length);
    if (!IsXmlChar(cp)) {
      const std::string character = secret ? "" : " " + CodePointName(cp);
      throw EArgumentError("The character" + character + " at position " +
                           std::to_string(position) + " of " + std::string(what) +
                           " is not allowed in XML");
    }
    i += length;
  }
  return utf8;
}

}  // namespace vorn
