#include "service/registry/xml_data.h"

#include <gtest/gtest.h>

#include "soap/xml/xml_errors.h"

namespace vorn {
namespace {

TEST(XMLData, HoldsTheFirstChildOfWhatItLoads) {
  TXMLData d;
  EXPECT_FALSE(d.XMLNode());
  EXPECT_EQ(d.XML(), "");
  d.LoadFromXML("<!--first--><a x=\"1\"><b/>t</a>");
  ASSERT_TRUE(d.XMLNode());
  EXPECT_EQ(d.XMLNode().Kind(), xml::NodeKind::Comment);
  d.LoadFromXML("<a x=\"1\" y=\"2\">text</a>");
  EXPECT_EQ(d.XML(), "<a x=\"1\" y=\"2\">text</a>");
}

TEST(XMLData, TextThatIsNotXmlIsRefusedAndTheNodeKept) {
  TXMLData d;
  d.LoadFromXML("<kept/>");
  EXPECT_THROW(d.LoadFromXML("<open>"), EDOMParseError);
  EXPECT_EQ(d.XML(), "<kept/>");
}

TEST(XMLData, CopyOfANodeDeclaresTheNamespacesOfItsAncestors) {
  const xml::Document source =
      xml::Document::Parse("<r xmlns:p=\"urn:p\" xmlns=\"urn:d\"><p:a p:at=\"v\"><b/></p:a></r>");
  TXMLData d;
  d.SetXMLNode(source.DocumentElement().FirstElementChild());
  const std::string text = d.XML();
  // Parsed on its own, the copy means what it meant in its source.
  const xml::Document alone = xml::Document::Parse(text);
  const xml::Node a = alone.DocumentElement();
  EXPECT_EQ(a.NamespaceURI(), "urn:p") << text;
  EXPECT_EQ(a.FirstElementChild().NamespaceURI(), "urn:d") << text;
  EXPECT_EQ(a.GetAttribute("at", "urn:p"), "v") << text;
}

}  // namespace
}  // namespace vorn
