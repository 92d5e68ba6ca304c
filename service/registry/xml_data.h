// TXMLData: the holder of one XML fragment, the value of the open slots of
// the signature types. Registered with the registry's built-in entries as
// "schema" in the XML Schema namespace.
//
// The holder owns a private document and the node it holds lives there, so
// what it holds never depends on the document it was read from or will be
// written to: both reading and writing make deep copies.
#pragma once

#include <string>
#include <string_view>

#include "service/registry/remotable.h"
#include "soap/xml/xml_document.h"

namespace vorn {

class TXMLData : public Remotable<TXMLData, TRemotable> {
 public:
  TXMLData();
  static const ClassInfo& StaticClass();

  // Parses `text` into the holder's own document. When the result has a
  // child node, the holder holds the first one; otherwise it keeps the node
  // it held before. Throws EDOMParseError for text that is not well-formed.
  void LoadFromXML(std::string_view text);
  // Holds a deep copy of `node`, made in the holder's own document.
  void SetXMLNode(const xml::Node& node);
  // The node held, or a null node.
  xml::Node XMLNode() const { return node_; }
  // The node held as text that stands alone: every namespace it uses is
  // declared in it. Empty when no node is held.
  std::string XML() const;

  // Written as an element whose only child is a copy of the node held.
  void ObjectToSOAP(SoapObjectWriter& writer) const override {
    writer.WriteFragment(*this, node_ ? &node_ : nullptr);
  }
  // Read from an element with exactly one child node; with none or several
  // it keeps what it held.
  void SOAPToObject(SoapObjectReader& reader) override;

 private:
  xml::Document doc_;
  xml::Node node_;
};

}  // namespace vorn
