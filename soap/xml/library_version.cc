#include "soap/xml/library_version.h"

#include <libxml/parser.h>

#include <cstdlib>

namespace vorn::xml {

std::string LibraryVersion() {
  // xmlParserVersion holds the run-time version as digits: 20914 is 2.9.14.
  const char* digits = xmlParserVersion;
  if (digits == nullptr) return "";
  const long v = std::strtol(digits, nullptr, 10);
  return std::to_string(v / 10000) + "." + std::to_string(v / 100 % 100) + "." +
         std::to_string(v % 100);
}

}  // namespace vorn::xml
