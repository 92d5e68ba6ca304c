#include "tests/fatturapa/infoset.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include "soap/xml/xml_document.h"

namespace vorn::testing {
namespace {

bool IsBlank(std::string_view s) {
  return s.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

std::string Escaped(std::string_view s) {
  std::string out;
  for (char c : s) {
    if (c == '\\' || c == '|' || c == '<' || c == '>') out += '\\';
    out += c;
  }
  return out;
}

void Write(xml::Node element, std::string_view ignored, bool root, std::string& out) {
  out += "<{" + element.NamespaceURI() + "}" + element.LocalName();
  std::vector<std::string> attributes;
  for (xml::Node a = element.FirstAttribute(); a; a = a.NextSibling()) {
    const std::string name = "{" + a.NamespaceURI() + "}" + a.LocalName();
    if (root && name == ignored) continue;
    attributes.push_back(name + "=" + Escaped(a.Value()));
  }
  std::sort(attributes.begin(), attributes.end());
  for (const std::string& a : attributes) out += "|" + a;
  out += ">";
  bool has_elements = false;
  for (xml::Node c : element.Children()) has_elements |= c.Kind() == xml::NodeKind::Element;
  std::string text;
  const auto flush = [&] {
    if (!text.empty() && !(has_elements && IsBlank(text))) out += "\"" + Escaped(text) + "\"";
    text.clear();
  };
  for (xml::Node c : element.Children()) {
    switch (c.Kind()) {
      case xml::NodeKind::Text:
      case xml::NodeKind::CData:
        text += c.Value();
        break;
      case xml::NodeKind::Element:
        flush();
        Write(c, ignored, false, out);
        break;
      default:
        flush();
        out += "<?" + c.Xml() + ">";
        break;
    }
  }
  flush();
  out += "</>";
}

}  // namespace

std::string CanonicalForm(std::string_view xml, std::string_view ignored_root_attribute) {
  const xml::Document doc = xml::Document::Parse(xml);
  std::string out;
  for (xml::Node top : doc.Root().Children()) {
    if (top.Kind() == xml::NodeKind::Element) {
      Write(top, ignored_root_attribute, true, out);
    } else {
      out += "<?" + top.Xml() + ">";
    }
  }
  return out;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

namespace {
std::string SourceDir() {
  const char* root = std::getenv("VORN_SOURCE_DIR");
  return root != nullptr ? root : "../..";
}
}  // namespace

std::string DataPath(const std::string& name) {
  return SourceDir() + "/tests/data/fatturapa/" + name;
}

std::string SchemaPath(const std::string& name) {
  return SourceDir() + "/schemas/fatturapa/" + name;
}

}  // namespace vorn::testing
