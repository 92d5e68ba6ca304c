#include "service/registry/interface_info.h"

#include "base/exception.h"

namespace vorn {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

// Bytes are kept in the order in which the digits are written; identifiers
// are only ever compared with each other, so any fixed order will do.
Guid Guid::Parse(std::string_view text) {
  constexpr std::string_view kShape = "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}";
  Guid g;
  bool ok = text.size() == kShape.size();
  size_t byte = 0;
  for (size_t i = 0; ok && i < kShape.size(); ++i) {
    if (kShape[i] != 'X') {
      ok = text[i] == kShape[i];
      continue;
    }
    const int hi = HexValue(text[i]);
    const int lo = HexValue(text[i + 1]);
    ok = hi >= 0 && lo >= 0;
    g.bytes[byte++] = static_cast<uint8_t>(hi * 16 + lo);
    ++i;  // both digits of the byte are consumed
  }
  // Identifiers are constants in the code, so a malformed one is a fault of
  // the program, not of its input.
  if (!ok) throw Exception("Invalid interface identifier: " + std::string(text));
  return g;
}

}  // namespace vorn
