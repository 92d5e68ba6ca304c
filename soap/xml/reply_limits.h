// Limits on what a reply may ask of the parser, checked before it is parsed.
//
// Building a document costs memory per node and, for the attributes of one
// element, time that grows with the square of their number; looking up a
// prefix costs time in proportion to the namespace declarations in scope. A
// fast scan of the reply bytes counts nodes, attributes per element, nesting
// depth and declarations in scope, so that a reply that would exceed them is
// refused before that work.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vorn::xml {

struct ReplyLimits {
  // Elements, texts, comments, CDATA sections and processing instructions,
  // with every attribute (namespace declarations included) counting twice,
  // as it costs about two nodes. At about 150 bytes a node, 100,000 keeps a
  // document tree under 15 MiB; a real reply holds a few dozen.
  size_t max_nodes = 100000;
  // Attributes (namespace declarations included) of one element.
  size_t max_attributes = 256;
  // Elements open at once.
  size_t max_depth = 256;
  // Namespace declarations made by the elements open at once: the parser
  // looks every prefixed name up through them.
  size_t max_namespaces = 256;
};

// Scans `bytes` (UTF-8 or another ASCII-compatible encoding, UTF-16 or
// UCS-4, told apart by a byte-order mark or the first characters, as the
// parser does) and returns why the reply is refused, or nullopt when it is
// within `limits`. A reply whose XML declaration names an encoding outside
// those families is refused too, since its bytes cannot be scanned. Bytes
// that are not well-formed XML are counted as far as the scan can make
// sense of them; the parser then reports them. Linear in the size of
// `bytes`.
std::optional<std::string> ReplyLimitBreach(std::string_view bytes, const ReplyLimits& limits = {});

}  // namespace vorn::xml
