#include "cli/xml_chars.h"

#include <cstdio>

namespace vorn {

std::string CodePointName(uint32_t cp) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(cp));
  return buffer;
}

}  // namespace vorn
