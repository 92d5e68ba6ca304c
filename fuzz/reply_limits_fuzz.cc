// The scan that refuses costly replies before they are parsed, against the
// parser itself. The first input byte picks small limits; the rest is the
// reply. Whenever the scan lets a reply through and the parser builds a
// document from it, the document must be within the limits: the scan may
// count too much, never too little (else a reply could get past it).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/exception.h"
#include "soap/xml/reply_limits.h"
#include "soap/xml/xml_document.h"

namespace {

using vorn::xml::Document;
using vorn::xml::Node;
using vorn::xml::NodeKind;
using vorn::xml::ReplyLimits;

[[noreturn]] void Fail(const char* what, size_t found, size_t limit) {
  std::fprintf(stderr, "check failed: the scan let through %s: %zu, limit %zu\n", what, found,
               limit);
  __builtin_trap();
}

bool IsBlank(const std::string& s) { return s.find_first_not_of(" \t\r\n") == std::string::npos; }

// What the scan promises to bound, counted on the parsed tree.
struct Counts {
  size_t nodes = 0;  // as ReplyLimits counts them, attributes twice
  size_t max_attributes = 0;
  size_t depth = 0;
};

Counts Count(const Document& doc) {
  Counts c;
  std::vector<std::pair<Node, size_t>> stack;  // node and its depth
  for (Node n : doc.Root().Children()) stack.emplace_back(n, 1);
  while (!stack.empty()) {
    auto [n, depth] = stack.back();
    stack.pop_back();
    switch (n.Kind()) {
      case NodeKind::Element: {
        size_t attributes = 0;
        for (Node a = n.FirstAttribute(); a; a = a.NextSibling()) ++attributes;
        c.nodes += 1 + 2 * attributes;
        c.max_attributes = std::max(c.max_attributes, attributes);
        c.depth = std::max(c.depth, depth);
        for (Node child : n.Children()) stack.emplace_back(child, depth + 1);
        break;
      }
      case NodeKind::Text:
        // The parser keeps some blank texts that the scan does not count;
        // they cost little and are at most one per element.
        if (!IsBlank(n.Value())) ++c.nodes;
        break;
      case NodeKind::CData:
      case NodeKind::Comment:
      case NodeKind::ProcessingInstruction:
        ++c.nodes;
        break;
      default:
        break;
    }
  }
  return c;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const ReplyLimits limits{.max_nodes = size_t{1} + data[0] % 32,
                           .max_attributes = size_t{1} + (data[0] >> 5) % 4,
                           .max_depth = size_t{1} + (data[0] >> 5)};
  const std::string_view reply(reinterpret_cast<const char*>(data) + 1, size - 1);
  if (vorn::xml::ReplyLimitBreach(reply, limits)) return 0;
  Counts counts;
  try {
    counts = Count(Document::Parse(reply));
  } catch (const vorn::Exception&) {
    return 0;
  }
  if (counts.nodes > limits.max_nodes) Fail("nodes", counts.nodes, limits.max_nodes);
  if (counts.max_attributes > limits.max_attributes) {
    Fail("attributes on one element", counts.max_attributes, limits.max_attributes);
  }
  if (counts.depth > limits.max_depth) Fail("depth", counts.depth, limits.max_depth);
  return 0;
}
