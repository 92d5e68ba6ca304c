// The FatturaPA schemas built into the program (schemas/fatturapa/), so that
// checking an invoice needs neither the network nor an installed file.
#pragma once

#include <span>
#include <string_view>

namespace vorn {

struct EmbeddedFile {
  std::string_view name;   // the file name, without a directory
  std::string_view bytes;  // its content, exactly as in the file
};

// The official FatturaPA 1.2.2 schema and the signature schema that it
// imports, in that order.
std::span<const EmbeddedFile> EmbeddedSchemas();

}  // namespace vorn
