#include "service/registry/xml_data.h"

namespace vorn {

TXMLData::TXMLData() : doc_(xml::Document::New()) {}

const ClassInfo& TXMLData::StaticClass() {
  static const ClassInfo info = DescribeClass<TXMLData, TRemotable>("TXMLData", "XMLDoc");
  return info;
}

void TXMLData::LoadFromXML(std::string_view text) {
  xml::Document parsed = xml::Document::Parse(text);
  const xml::Node first = parsed.Root().FirstChild();
  if (!first) return;
  doc_ = std::move(parsed);
  node_ = first;
}

void TXMLData::SetXMLNode(const xml::Node& node) {
  xml::Document fresh = xml::Document::New();
  const xml::Node copy = fresh.ImportNode(fresh.Root(), node);
  doc_ = std::move(fresh);
  node_ = copy;
}

std::string TXMLData::XML() const { return node_ ? node_.Xml() : std::string(); }

void TXMLData::SOAPToObject(SoapObjectReader& reader) {
  if (const xml::Node* only = reader.OnlyChild()) SetXMLNode(*only);
}

}  // namespace vorn
