// The characters that XML 1.0 allows in a document.
#pragma once

#include <cstdint>
#include <string>

namespace vorn {

// True for U+0009, U+000A, U+000D, U+0020 to U+D7FF, U+E000 to U+FFFD and
// U+10000 to U+10FFFF.
constexpr bool IsXmlChar(uint32_t cp) {
  return cp == 0x9 || cp == 0xA || cp == 0xD || (cp >= 0x20 && cp <= 0xD7FF) ||
         (cp >= 0xE000 && cp <= 0xFFFD) || (cp >= 0x10000 && cp <= 0x10FFFF);
}

// "U+" and at least four hexadecimal digits: U+0001, U+FFFE, U+10FFFF.
std::string CodePointName(uint32_t cp);

}  // namespace vorn
