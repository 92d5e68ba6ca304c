// The canonical form of an XML document for comparing two documents as
// infosets: elements and attributes by namespace URI and local name (the
// prefixes are not compared), attributes sorted, namespace declarations
// left out, white space between elements ignored, adjacent text and CDATA
// joined.
#pragma once

#include <string>
#include <string_view>

namespace vorn::testing {

// The canonical form of `xml`. Attributes named in `ignored_root_attributes`
// ("{namespace}local") are left out of the document element. Throws as
// xml::Document::Parse.
std::string CanonicalForm(std::string_view xml, std::string_view ignored_root_attribute = "");

// The file's bytes; empty when it cannot be read.
std::string ReadFile(const std::string& path);

// A path below the source tree's tests/data/fatturapa.
std::string DataPath(const std::string& name);
// A path below the source tree's schemas/fatturapa.
std::string SchemaPath(const std::string& name);

}  // namespace vorn::testing
