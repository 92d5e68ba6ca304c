// Writing nodes as UTF-8 markup. Internal to the XML layer.
//
// No indentation and no declarations added; non-ASCII characters written as
// they are; <, >, & and CR escaped in text, and also ", LF and tab in
// attribute values.
#pragma once

#include <string>
#include <string_view>

#include "soap/xml/node.h"

namespace vorn::xml {

// `prefix`, then `node` and its descendants as markup. A document node gives
// its top-level nodes, each followed by a line break. Namespace declarations
// are written where the tree holds them, never repeated from ancestors.
std::string WriteMarkup(Node node, std::string_view prefix);

}  // namespace vorn::xml
