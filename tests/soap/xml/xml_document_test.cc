#include "soap/xml/xml_document.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "soap/xml/xml_errors.h"

namespace vorn::xml {
namespace {

using namespace std::string_literals;

constexpr char kEnv[] = "http://schemas.xmlsoap.org/soap/envelope/";
constexpr char kXsd[] = "http://www.w3.org/2001/XMLSchema";
constexpr char kXsi[] = "http://www.w3.org/2001/XMLSchema-instance";
constexpr char kService[] = "http://tempuri.org/";
constexpr char kMessage[] = "http://schemas.datacontract.org/2004/07/VornMirtel.FE.WebService";
constexpr char kInvoice[] = "urn:invoice";

// Every element of the tree as "qualified name {namespace URI}", in document
// order: what a reader of the bytes sees.
void CollectElements(Node n, std::vector<std::string>& out) {
  for (Node c = n.FirstElementChild(); c; c = c.NextElementSibling()) {
    out.push_back(c.Name() + " {" + c.NamespaceURI() + "}");
    CollectElements(c, out);
  }
}

std::vector<std::string> Elements(const Document& doc) {
  std::vector<std::string> out;
  CollectElements(doc.Root(), out);
  return out;
}

// UTF-16 bytes with a byte-order mark.
std::string Utf16(std::u16string_view text, bool big_endian) {
  std::string out;
  for (char16_t c : u"\uFEFF"s + std::u16string(text)) {
    char hi = static_cast<char>(c >> 8), lo = static_cast<char>(c & 0xFF);
    out += big_endian ? std::string{hi, lo} : std::string{lo, hi};
  }
  return out;
}

// The envelope start, as the writer builds it.
struct Envelope {
  Document doc = Document::New();
  Node env, body;
  Envelope() {
    env = doc.AddElement(Node(), "SOAP-ENV:Envelope", kEnv);
    doc.DeclareNamespace(env, "xsd", kXsd);
    doc.DeclareNamespace(env, "xsi", kXsi);
    body = doc.AddElement(env, "SOAP-ENV:Body", kEnv);
  }
};

constexpr char kEnvelopeStart[] =
    "<?xml version=\"1.0\"?>\n"
    "<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\" "
    "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
    "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">";
constexpr char kEnvelopeEnd[] = "</SOAP-ENV:Body></SOAP-ENV:Envelope>\n";

TEST(XmlDocumentTest, RequestEnvelopeBytes) {
  Envelope e;
  Node wrapper = e.doc.AddElement(e.body, "InviaDocumentoRaw", kService);
  Node request = e.doc.AddElement(wrapper, "request", kService);
  for (const char* name : {"Documento", "Password", "Username"}) {
    e.doc.SetText(e.doc.AddElement(request, name, kMessage), name[0] == 'D' ? "<a/>" : "x");
  }
  EXPECT_EQ(e.doc.Serialize(),
            std::string(kEnvelopeStart) +
                "<SOAP-ENV:Body><InviaDocumentoRaw xmlns=\"http://tempuri.org/\"><request>"
                "<Documento xmlns=\"" +
                kMessage +
                "\">&lt;a/&gt;</Documento>"
                "<Password xmlns=\"" +
                kMessage +
                "\">x</Password>"
                "<Username xmlns=\"" +
                kMessage +
                "\">x</Username>"
                "</request></InviaDocumentoRaw>" +
                kEnvelopeEnd);
  EXPECT_EQ(Document::New().Serialize(), "<?xml version=\"1.0\"?>\n");
}

// Each case adds elements under the body and expects the exact markup and,
// after parsing the bytes back, every element in the namespace it was
// created in.
TEST(XmlDocumentTest, AddElementKeepsEveryElementInItsNamespace) {
  struct Case {
    const char* what;
    void (*build)(Document&, Node body);
    const char* markup;
  };
  const Case cases[] = {
      {"object with a type attribute: its children in a namespace declared only as NS1",
       [](Document& d, Node body) {
         std::string p = d.NewPrefix(body);
         d.DeclareNamespace(body, p, kInvoice);
         Node w = d.AddElement(body, "InviaDocumento", kService);
         Node doc = d.AddElement(w, "Documento", "urn:message");
         d.SetAttributeNS(doc, "type", kXsi, p + ":FatturaElettronicaType");
         Node header = d.AddElement(doc, "fatturaElettronicaHeaderField", kInvoice);
         d.AddElement(header, "datiTrasmissioneField", kInvoice);
       },
       "<SOAP-ENV:Body xmlns:NS1=\"urn:invoice\">"
       "<InviaDocumento xmlns=\"http://tempuri.org/\"><Documento xmlns=\"urn:message\" "
       "xsi:type=\"NS1:FatturaElettronicaType\"><fatturaElettronicaHeaderField "
       "xmlns=\"urn:invoice\"><datiTrasmissioneField/></fatturaElettronicaHeaderField>"
       "</Documento></InviaDocumento>"},
      {"no-namespace elements under a default namespace: null parameter, null entry",
       [](Document& d, Node body) {
         Node w = d.AddElement(body, "InviaDocumento", kService);
         Node request = d.AddElement(w, "request", "");
         d.SetAttributeNS(request, "nil", kXsi, "true");
         Node array = d.AddElement(w, "items", kService);
         d.AddElement(array, "entry", "");
         d.AddElement(d.AddElement(array, "holder", ""), "inner", "");
       },
       "<SOAP-ENV:Body><InviaDocumento xmlns=\"http://tempuri.org/\"><request xmlns=\"\" "
       "xsi:nil=\"true\"/>"
       "<items><entry xmlns=\"\"/><holder xmlns=\"\"><inner/></holder></items>"
       "</InviaDocumento>"},
      {"prefixed names: declared unless bound to exactly that URI",
       [](Document& d, Node body) {
         Node a = d.AddElement(body, "p:a", "urn:one");
         Node b = d.AddElement(a, "p:b", "urn:one");
         Node c = d.AddElement(b, "p:c", "urn:two");
         d.AddElement(c, "p:d", "urn:two");
         d.AddElement(c, "p:e", "URN:TWO");
       },
       "<SOAP-ENV:Body><p:a xmlns:p=\"urn:one\"><p:b><p:c xmlns:p=\"urn:two\"><p:d/>"
       "<p:e xmlns:p=\"URN:TWO\"/></p:c></p:b></p:a>"},
      {"unprefixed name whose namespace is declared only under a prefix",
       [](Document& d, Node body) {
         Node a = d.AddElement(body, "q:a", "urn:q");
         d.AddElement(d.AddElement(a, "b", "urn:q"), "c", "urn:q");
       },
       "<SOAP-ENV:Body><q:a xmlns:q=\"urn:q\"><b xmlns=\"urn:q\"><c/></b></q:a>"},
      {"no-namespace element with no default namespace in scope",
       [](Document& d, Node body) { d.AddElement(d.AddElement(body, "a", ""), "b", ""); },
       "<SOAP-ENV:Body><a><b/></a>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Envelope e;
    c.build(e.doc, e.body);
    std::string bytes = e.doc.Serialize();
    EXPECT_EQ(bytes, kEnvelopeStart + std::string(c.markup) + kEnvelopeEnd);
    EXPECT_EQ(Elements(Document::Parse(bytes)), Elements(e.doc));
  }
}

TEST(XmlDocumentTest, AddElementRefusesWhatCannotBeWritten) {
  Document d = Document::New();
  Node root = d.AddElement(Node(), "root", "");
  EXPECT_THROW(d.AddElement(Node(), "second", ""), DOMException);
  EXPECT_THROW(d.AddElement(root, "p:a", ""), DOMException);
  EXPECT_THROW(d.AddElement(root, "1a", ""), DOMException);
  EXPECT_THROW(d.DeclareNamespace(root, "p", ""), DOMException);
  d.DeclareNamespace(root, "p", "urn:p");
  d.DeclareNamespace(root, "p", "urn:p");  // the same binding again: nothing
  EXPECT_THROW(d.DeclareNamespace(root, "p", "urn:other"), DOMException);
  EXPECT_EQ(d.Serialize(), "<?xml version=\"1.0\"?>\n<root xmlns:p=\"urn:p\"/>\n");
}

TEST(XmlDocumentTest, SetTextWritesOneEscapedTextChild) {
  Document d = Document::New();
  Node root = d.AddElement(Node(), "r", "");
  Node empty = d.AddElement(root, "empty", "");
  d.SetText(empty, "");
  Node text = d.AddElement(root, "text", "");
  d.AddElement(text, "old", "");
  const std::string value = "a<b & c>d\r\n\"'\t Perché 1€ 𝄞";
  d.SetText(text, value);
  EXPECT_EQ(empty.ChildCount(), 1u);
  EXPECT_EQ(empty.FirstChild().Kind(), NodeKind::Text);
  EXPECT_EQ(text.ChildCount(), 1u);

  std::string bytes = d.Serialize();
  EXPECT_EQ(bytes,
            "<?xml version=\"1.0\"?>\n<r><empty></empty>"
            "<text>a&lt;b &amp; c&gt;d&#13;\n\"'\t Perché 1€ 𝄞</text></r>\n");
  Document back = Document::Parse(bytes);
  EXPECT_EQ(back.DocumentElement().FirstElementChild().NextElementSibling().Text(), value);
}

TEST(XmlDocumentTest, TextByReferenceBehavesLikeACopiedText) {
  // Long enough for the block-wise escaping, with specials at block edges.
  std::string value;
  for (int i = 0; i < 40; ++i) value += "0123456789abcd<&" + std::string(i % 3, '>') + "\r";
  Document copied = Document::New();
  copied.SetText(copied.AddElement(Node(), "t", ""), value);
  Document referred = Document::New();
  Node t = referred.AddElement(Node(), "t", "");
  referred.SetTextRef(t, value);
  EXPECT_EQ(referred.Serialize(), copied.Serialize());
  EXPECT_EQ(t.Text(), value);
  EXPECT_EQ(t.FirstChild().Value(), value);
  // Imported into another document, the text goes along.
  Document other = Document::New();
  Node root = other.AddElement(Node(), "r", "");
  other.ImportNode(root, t);
  EXPECT_EQ(root.FirstChild().Text(), value);
  // Replaced by a copied text, the reference is gone.
  referred.SetText(t, "x");
  EXPECT_EQ(referred.Serialize(), "<?xml version=\"1.0\"?>\n<t>x</t>\n");
}

TEST(XmlDocumentTest, NamespacedAttributesAndPrefixes) {
  Envelope e;
  Node wrapper = e.doc.AddElement(e.body, "w", kService);
  Node nil = e.doc.AddElement(wrapper, "n", kMessage);
  e.doc.SetAttributeNS(nil, "nil", kXsi, "true");
  e.doc.SetAttribute(nil, "plain", "é&\"");
  EXPECT_THROW(e.doc.SetAttributeNS(nil, "a", "urn:undeclared", "x"), DOMException);
  // A default declaration cannot name an attribute's namespace.
  EXPECT_THROW(e.doc.SetAttributeNS(nil, "a", kService, "x"), DOMException);
  EXPECT_EQ(e.doc.Serialize(), std::string(kEnvelopeStart) +
                                   "<SOAP-ENV:Body><w xmlns=\"http://tempuri.org/\"><n xmlns=\"" +
                                   kMessage + "\" xsi:nil=\"true\" plain=\"é&amp;&quot;\"/></w>" +
                                   kEnvelopeEnd);
  EXPECT_EQ(nil.GetAttribute("nil", kXsi), "true");
  EXPECT_EQ(nil.GetAttribute("nil", ""), std::nullopt);
  EXPECT_EQ(nil.GetAttribute("plain", ""), "é&\"");

  EXPECT_EQ(e.doc.FindPrefix(nil, kXsi), "xsi");
  EXPECT_EQ(e.doc.FindPrefix(nil, kMessage), "");
  // kService is bound by wrapper's default declaration, hidden at `nil`.
  EXPECT_EQ(e.doc.FindPrefix(nil, kService), std::nullopt);
  EXPECT_EQ(e.doc.FindPrefix(nil, "urn:undeclared"), std::nullopt);

  e.doc.DeclareNamespace(wrapper, "NS1", kInvoice);
  e.doc.DeclareNamespace(nil, "NS3", kInvoice);
  EXPECT_EQ(e.doc.NewPrefix(nil), "NS2");
  EXPECT_EQ(e.doc.NewPrefix(nil), "NS4");
  EXPECT_EQ(e.doc.NewPrefix(Node()), "NS5");
}

TEST(XmlDocumentTest, ImportNodeCopiesMixedContentWithItsNamespaces) {
  Document foreign = Document::Parse(
      "<f:a xmlns:f=\"urn:f\" xmlns=\"urn:d\" xmlns:g=\"urn:g\">t1<b g:x=\"1\">&amp;</b>"
      "<![CDATA[c<]]><!--note--><?pi data?>t2<c xmlns=\"\"/></f:a>");
  Node a = foreign.DocumentElement();
  Document d = Document::New();
  Node root = d.AddElement(Node(), "root", "urn:root");
  Node copy = d.ImportNode(root, a);
  d.ImportNode(root, a.FirstChild().NextSibling());                // <b>, declared only on <a>
  d.ImportNode(root, a.FirstElementChild().NextElementSibling());  // <c>, in no namespace
  Document plain = Document::Parse("<n>text<m/></n>");             // no namespace, nothing declared
  d.ImportNode(root, plain.DocumentElement());
  Node t = d.AddElement(root, "t", "urn:root");
  d.SetText(t, "x");
  d.ImportNode(t, a.FirstChild());  // text after text: merged

  EXPECT_EQ(copy.Kind(), NodeKind::Element);
  EXPECT_EQ(copy.ChildCount(), 7u);
  std::string bytes = d.Serialize();
  EXPECT_EQ(bytes,
            "<?xml version=\"1.0\"?>\n"
            "<root xmlns=\"urn:root\">"
            "<f:a xmlns:f=\"urn:f\" xmlns=\"urn:d\" xmlns:g=\"urn:g\">t1<b g:x=\"1\">&amp;</b>"
            "<![CDATA[c<]]><!--note--><?pi data?>t2<c xmlns=\"\"/></f:a>"
            "<b xmlns=\"urn:d\" xmlns:g=\"urn:g\" g:x=\"1\">&amp;</b>"
            "<c xmlns=\"\"/><n xmlns=\"\">text<m/></n><t>xt1</t></root>\n");
  Document back = Document::Parse(bytes);
  EXPECT_EQ(Elements(back), Elements(d));
  EXPECT_EQ(Elements(d),
            (std::vector<std::string>{"root {urn:root}", "f:a {urn:f}", "b {urn:d}", "c {}",
                                      "b {urn:d}", "c {}", "n {}", "m {}", "t {urn:root}"}));
}

TEST(XmlDocumentTest, ElementText) {
  const struct {
    const char* xml;
    const char* text;
  } cases[] = {
      {"<a>one &amp; &#13;two</a>", "one & \rtwo"},
      {"<a><![CDATA[x<y]]></a>", "<![CDATA[x<y]]>"},
      {"<a>x<b k=\"v\">&lt;</b><!--c-->y</a>", "x<b k=\"v\">&lt;</b><!--c-->y"},
      {"<a/>", ""},
      {"<a>  <b/>  </a>", "<b/>"},  // whitespace between elements is dropped
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.xml);
    EXPECT_EQ(Document::Parse(c.xml).DocumentElement().Text(), c.text);
  }
}

TEST(XmlDocumentTest, NamespaceNamesWithAmpersandsSurviveParsingAndWriting) {
  const Document d = Document::Parse("<a xmlns=\"w&#38;z\" xmlns:x=\"u&amp;v\"><x:b/></a>");
  const Node a = d.DocumentElement();
  EXPECT_EQ(a.NamespaceURI(), "w&z");
  EXPECT_EQ(a.FirstElementChild().NamespaceURI(), "u&v");
  EXPECT_EQ(a.LookupNamespaceURI("x"), "u&v");
  const Document again = Document::Parse(d.Serialize());
  EXPECT_EQ(again.Serialize(), d.Serialize());
  EXPECT_EQ(again.DocumentElement().FirstElementChild().NamespaceURI(), "u&v");
}

TEST(XmlDocumentTest, NavigatesAParsedReply) {
  Document d = Document::Parse(
      "<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\">\n"
      "  <s:Body>\n    <R xmlns=\"http://tempuri.org/\" xmlns:i=\"urn:i\" i:type=\"i:T\" "
      "plain=\"p\"><x>1</x>text<y/></R>\n  </s:Body>\n</s:Envelope>\n");
  Node env = d.DocumentElement();
  EXPECT_EQ(env.Name(), "s:Envelope");
  EXPECT_EQ(env.LocalName(), "Envelope");
  EXPECT_EQ(env.Prefix(), "s");
  EXPECT_EQ(env.NamespaceURI(), kEnv);
  EXPECT_EQ(env.Parent().Kind(), NodeKind::Document);
  EXPECT_EQ(env.ChildCount(), 1u);
  Node r = env.FirstChild().FirstChild();
  EXPECT_EQ(r.Name(), "R");
  EXPECT_EQ(r.NamespaceURI(), kService);
  EXPECT_EQ(r.Parent().LocalName(), "Body");
  std::vector<std::string> kinds;
  for (Node c : r.Children()) kinds.push_back(c.Kind() == NodeKind::Element ? c.Name() : c.Value());
  EXPECT_EQ(kinds, (std::vector<std::string>{"x", "text", "y"}));
  EXPECT_EQ(r.FirstElementChild().NextElementSibling().Name(), "y");
  EXPECT_FALSE(r.FirstElementChild().NextElementSibling().HasChildNodes());

  EXPECT_EQ(r.GetAttribute("type", "urn:i"), "i:T");
  EXPECT_EQ(r.LookupNamespaceURI("i"), "urn:i");
  EXPECT_EQ(r.FirstElementChild().LookupNamespaceURI(""), kService);
  EXPECT_EQ(r.LookupNamespaceURI("s"), kEnv);
  EXPECT_EQ(r.LookupNamespaceURI("none"), "");
  Node attr = r.FirstAttribute();
  EXPECT_EQ(attr.Kind(), NodeKind::Attribute);
  EXPECT_EQ(attr.Name(), "i:type");
  EXPECT_EQ(attr.NextSibling().Name(), "plain");
  EXPECT_FALSE(attr.NextSibling().NextSibling());
  EXPECT_EQ(r.Xml(),
            "<R xmlns=\"http://tempuri.org/\" xmlns:i=\"urn:i\" i:type=\"i:T\" plain=\"p\">"
            "<x>1</x>text<y/></R>");

  Node null;
  EXPECT_EQ(null.Kind(), NodeKind::Other);
  EXPECT_EQ(null.Name(), "");
  EXPECT_EQ(null.Text(), "");
  EXPECT_FALSE(null.FirstChild());
  EXPECT_EQ(null.GetAttribute("a", ""), std::nullopt);
}

TEST(XmlDocumentTest, ParsesUtf16WithMarkAndUtf8WithoutDeclaration) {
  for (const std::string& bytes :
       {"<a>Perché €</a>"s, Utf16(u"<a>Perché €</a>", false), Utf16(u"<a>Perché €</a>", true)}) {
    EXPECT_EQ(Document::Parse(bytes).DocumentElement().Text(), "Perché €");
  }
}

std::string ParseError(const std::string& bytes) {
  try {
    Document::Parse(bytes);
  } catch (const EDOMParseError& e) {
    return e.Message();
  }
  return "(parsed)";
}

TEST(XmlDocumentTest, ParseErrorsGiveReasonLineAndSourceText) {
  const struct {
    std::string bytes;
    std::string message;
  } cases[] = {
      {"<html>\r\n<body><p>Service Unavailable</body>\r\n</html>",
       "Opening and ending tag mismatch: p line 2 and body\r\nLine: 2\r\n"
       "<body><p>Service Unavailable</body>"},
      {"<a>\n<b>àèìòù àèìòù àèìòù àèìòù àèìòù àèìòù àèìòù</a>",
       "Opening and ending tag mismatch: b line 2 and a\r\nLine: 2\r\n"
       "<b>àèìòù àèìòù àèìòù àèìòù àèìòù àèìòù à"},
      {"", "Document is empty\r\nLine: 1\r\n"},
      {"<p:a/>", "Namespace prefix p on a is not defined\r\nLine: 1\r\n<p:a/>"},
      {"<a>&nbsp;</a>", "Entity 'nbsp' not defined\r\nLine: 1\r\n<a>&nbsp;</a>"},
      {Utf16(u"<a>\n</b>", false),
       "Opening and ending tag mismatch: a line 1 and b\r\nLine: 2\r\n</b>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    testing::internal::CaptureStderr();
    EXPECT_EQ(ParseError(c.bytes), c.message);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  }
  try {
    Document::Parse("<a>\n <b>\n</a>");
    FAIL();
  } catch (const EDOMParseError& e) {
    EXPECT_EQ(e.ClassName(), "EDOMParseError");
    EXPECT_EQ(e.Reason(), "Opening and ending tag mismatch: b line 2 and a");
    EXPECT_EQ(e.Line(), 3);
    EXPECT_GT(e.LinePos(), 0);
    EXPECT_EQ(e.SrcText(), "</a>");
  }
}

TEST(XmlDocumentTest, RefusesDocumentTypeDeclarations) {
  const std::string laughs =
      "<?xml version=\"1.0\"?>\n<!DOCTYPE lolz [\n <!ENTITY lol \"lol\">\n"
      " <!ENTITY lol1 \"&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;\">\n"
      " <!ENTITY lol2 \"&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;\">\n"
      " <!ENTITY lol3 \"&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;\">\n"
      " <!ENTITY lol4 \"&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;\">\n"
      " <!ENTITY lol5 \"&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;\">\n"
      " <!ENTITY lol6 \"&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;\">\n"
      " <!ENTITY lol7 \"&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;\">\n"
      " <!ENTITY lol8 \"&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;\">\n"
      " <!ENTITY lol9 \"&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;\">\n"
      "]>\n<lolz>&lol9;</lolz>";
  EXPECT_EQ(ParseError("<!DOCTYPE a><a/>"), "DTD is prohibited\r\nLine: 1\r\n<!DOCTYPE a><a/>");
  EXPECT_EQ(ParseError("<!DOCTYPE a SYSTEM \"http://127.0.0.1:9/a.dtd\"><a/>"),
            "DTD is prohibited\r\nLine: 1\r\n<!DOCTYPE a SYSTEM \"http://127.0.0.1:9/a");
  EXPECT_EQ(ParseError(laughs), "DTD is prohibited\r\nLine: 2\r\n<!DOCTYPE lolz [");
}

}  // namespace
}  // namespace vorn::xml
