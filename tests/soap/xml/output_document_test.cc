// The output document against the library-backed Document: the same
// operations give the same bytes (and the same refusals), whether the bytes
// are taken whole or read a piece at a time.
#include "soap/xml/output_document.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "soap/xml/xml_document.h"
#include "soap/xml/xml_errors.h"

namespace vorn::xml {
namespace {

constexpr char kEnv[] = "http://schemas.xmlsoap.org/soap/envelope/";
constexpr char kXsd[] = "http://www.w3.org/2001/XMLSchema";
constexpr char kXsi[] = "http://www.w3.org/2001/XMLSchema-instance";
constexpr char kService[] = "http://tempuri.org/";
constexpr char kMessage[] = "http://schemas.datacontract.org/2004/07/VornMirtel.FE.WebService";
constexpr char kInvoice[] = "urn:invoice";

template <class D>
struct Kind;
template <>
struct Kind<Document> {
  using Handle = Node;
  static Document Make() { return Document::New(); }
};
template <>
struct Kind<OutputDocument> {
  using Handle = OutputElement;
  static OutputDocument Make() { return OutputDocument(); }
};

// A document with the envelope and body started as the writer starts them;
// `build` adds the rest under the body.
template <class D, class Build>
D Enveloped(const Build& build) {
  using H = typename Kind<D>::Handle;
  D d = Kind<D>::Make();
  H env = d.AddElement(H(), "SOAP-ENV:Envelope", kEnv);
  d.DeclareNamespace(env, "xsd", kXsd);
  d.DeclareNamespace(env, "xsi", kXsi);
  build(d, d.AddElement(env, "SOAP-ENV:Body", kEnv));
  return d;
}

// The bytes of `source` read in pieces of `piece` bytes.
std::string ReadInPieces(ByteSource& source, size_t piece) {
  std::string out;
  std::string buffer(piece, '\0');
  while (const size_t n = source.Read(buffer.data(), piece)) {
    out.append(buffer, 0, n);
    if (n < piece) break;
  }
  return out;
}

// Expects `doc` to give `expected`, whole and read in pieces of every size
// that cuts markup, escapes and texts at different places.
void ExpectBytes(OutputDocument doc, const std::string& expected) {
  EXPECT_EQ(doc.Serialize(), expected);
  EXPECT_EQ(doc.SerializedSize(), expected.size());
  const std::unique_ptr<ByteSource> source = MarkupSource(std::move(doc));
  EXPECT_EQ(source->Size(), expected.size());
  for (size_t piece : {1, 2, 3, 5, 7, 16, 24, 61, 4096, 1 << 20}) {
    SCOPED_TRACE(piece);
    source->Rewind();
    EXPECT_EQ(ReadInPieces(*source, piece), expected);
  }
}

// A foreign document to import from: mixed content, namespaces declared
// above the nodes imported, CDATA, a comment and a processing instruction.
const Document& Foreign() {
  static const Document foreign = Document::Parse(
      "<f:a xmlns:f=\"urn:f\" xmlns=\"urn:d\" xmlns:g=\"urn:g\">t1<b g:x=\"1&amp;&#9;\">&amp;</b>"
      "<![CDATA[c<]]><!--note--><?pi data?>t2<c xmlns=\"\"/></f:a>");
  return foreign;
}

TEST(OutputDocumentTest, SameBytesAsTheLibraryDocument) {
  struct Case {
    const char* what;
    std::function<void(Document&, Node)> lib;
    std::function<void(OutputDocument&, OutputElement)> out;
  };
#define BOTH(body) [](Document & d, Node b) body, [](OutputDocument & d, OutputElement b) body
  const Case cases[] = {
      {"the InviaDocumentoRaw request, texts copied and referred to", BOTH({
         using H = decltype(b);
         static const std::string kLarge = [] {
           std::string s;
           for (int i = 0; i < 3000; ++i) s += "<p>Caff\xC3\xA8 & \"t\xC3\xA8\"</p>\r\n"[i % 20];
           return s;
         }();
         H w = d.AddElement(b, "InviaDocumentoRaw", kService);
         H r = d.AddElement(w, "request", kService);
         d.SetTextRef(d.AddElement(r, "Documento", kMessage), kLarge);
         d.SetText(d.AddElement(r, "Password", kMessage), "p&ss<w>rd\r\n");
         d.SetText(d.AddElement(r, "Username", kMessage), "");
       })},
      {"type attribute with a prefix declared on the body after its children", BOTH({
         using H = decltype(b);
         H w = d.AddElement(b, "InviaDocumento", kService);
         H doc = d.AddElement(w, "Documento", kMessage);
         std::string p = d.NewPrefix(doc);
         d.DeclareNamespace(b, p, kInvoice);
         d.SetAttributeNS(doc, "type", kXsi, p + ":FatturaElettronicaType");
         H header = d.AddElement(doc, "fatturaElettronicaHeaderField", kInvoice);
         d.SetAttributeNS(d.AddElement(header, "datiTrasmissioneField", kInvoice), "nil", kXsi,
                          "true");
         d.AddElement(header, "x", "");
       })},
      {"no-namespace elements under a default namespace", BOTH({
         using H = decltype(b);
         H w = d.AddElement(b, "InviaDocumento", kService);
         d.SetAttributeNS(d.AddElement(w, "request", ""), "nil", kXsi, "true");
         H array = d.AddElement(w, "items", kService);
         d.AddElement(array, "entry", "");
         d.AddElement(d.AddElement(array, "holder", ""), "inner", "");
       })},
      {"prefixed names, redeclared only for another URI", BOTH({
         using H = decltype(b);
         H a = d.AddElement(b, "p:a", "urn:one");
         H c = d.AddElement(d.AddElement(a, "p:b", "urn:one"), "p:c", "urn:two");
         d.AddElement(c, "p:d", "urn:two");
         d.AddElement(c, "p:e", "URN:TWO");
         d.AddElement(d.AddElement(a, "q", "urn:one"), "r", "urn:one");
       })},
      {"attributes replaced, escaped, and texts replacing children", BOTH({
         using H = decltype(b);
         H e = d.AddElement(b, "e", "urn:e");
         d.SetAttribute(e, "plain", "old");
         d.SetAttributeNS(e, "nil", kXsi, "false");
         d.SetAttribute(e, "plain", "\xC3\xA9&\"<\n\t\r");
         d.SetAttributeNS(e, "nil", kXsi, "true");
         d.SetAttribute(e, "xmlns:k", "urn:k&");
         d.AddElement(e, "child", "urn:e");
         d.SetText(e, "after\r");
         H f = d.AddElement(b, "f", "");
         d.SetText(f, "first");
         d.SetText(f, "");
       })},
      {"imports: mixed content, declarations it needs, text merged after text", BOTH({
         using H = decltype(b);
         const Node a = Foreign().DocumentElement();
         H root = d.AddElement(b, "root", "urn:root");
         d.ImportNode(root, a);
         d.ImportNode(root, a.FirstChild().NextSibling());                // <b>, declared on <a>
         d.ImportNode(root, a.FirstElementChild().NextElementSibling());  // <c>, no namespace
         H t = d.AddElement(root, "t", "urn:root");
         d.SetText(t, "x");
         d.ImportNode(t, a.FirstChild());         // text after text: one text
         d.ImportNode(t, a.FirstElementChild());  // an element after a text
         d.ImportNode(t, a.FirstChild());
       })},
  };
#undef BOTH
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string expected = Enveloped<Document>(c.lib).Serialize();
    ExpectBytes(Enveloped<OutputDocument>(c.out), expected);
  }
}

TEST(OutputDocumentTest, PrefixesAndRefusalsAsTheLibraryDocument) {
  Document lib = Document::New();
  OutputDocument out;
  const Node lroot = lib.AddElement(Node(), "root", "urn:r");
  const OutputElement oroot = out.AddElement(OutputElement(), "root", "urn:r");
  // Each step on both documents: both throw DOMException or neither does.
  const auto both = [&](const char* what, auto&& step) {
    SCOPED_TRACE(what);
    bool lib_threw = false, out_threw = false;
    try {
      step(lib, lroot);
    } catch (const DOMException&) {
      lib_threw = true;
    }
    try {
      step(out, oroot);
    } catch (const DOMException&) {
      out_threw = true;
    }
    EXPECT_EQ(out_threw, lib_threw);
  };
  both("second document element", [](auto& d, auto) { d.AddElement({}, "second", ""); });
  both("prefix without namespace", [](auto& d, auto r) { d.AddElement(r, "p:a", ""); });
  both("invalid name", [](auto& d, auto r) { d.AddElement(r, "1a", ""); });
  both("prefix bound to nothing", [](auto& d, auto r) { d.DeclareNamespace(r, "p", ""); });
  both("declaration", [](auto& d, auto r) { d.DeclareNamespace(r, "p", "urn:p"); });
  both("the same again", [](auto& d, auto r) { d.DeclareNamespace(r, "p", "urn:p"); });
  both("another URI", [](auto& d, auto r) { d.DeclareNamespace(r, "p", "urn:other"); });
  both("xml prefix", [](auto& d, auto r) { d.DeclareNamespace(r, "xml", "urn:x"); });
  both("undeclared attribute namespace",
       [](auto& d, auto r) { d.SetAttributeNS(r, "a", "urn:undeclared", "x"); });
  both("default declaration only", [](auto& d, auto r) { d.SetAttributeNS(r, "a", "urn:r", "x"); });
  both("invalid attribute name", [](auto& d, auto r) { d.SetAttribute(r, "a b", "x"); });
  both("attribute by prefix", [](auto& d, auto r) { d.SetAttributeNS(r, "a", "urn:p", "x"); });
  EXPECT_EQ(out.Serialize(), lib.Serialize());

  EXPECT_EQ(out.FindPrefix(oroot, "urn:p"), lib.FindPrefix(lroot, "urn:p"));
  EXPECT_EQ(out.FindPrefix(oroot, "urn:r"), lib.FindPrefix(lroot, "urn:r"));
  EXPECT_EQ(out.FindPrefix(oroot, "urn:none"), std::nullopt);
  out.DeclareNamespace(oroot, "NS2", kInvoice);
  lib.DeclareNamespace(lroot, "NS2", kInvoice);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(out.NewPrefix(oroot), lib.NewPrefix(lroot));
  EXPECT_EQ(out.NewPrefix(OutputElement()), lib.NewPrefix(Node()));
  EXPECT_EQ(out.LastElementChild(oroot), OutputElement());
  const OutputElement last = out.AddElement(oroot, "last", "");
  out.SetText(out.AddElement(oroot, "text", ""), "t");
  EXPECT_NE(out.LastElementChild(oroot), last);
}

TEST(OutputDocumentTest, LargeReferredTextIsEscapedAcrossPieces) {
  // Specials at every offset of the 16-byte blocks, and escapes that a
  // piece boundary cuts.
  std::string text;
  for (int i = 0; i < 20000; ++i) text += std::string(i % 17, 'a') + "<&>\r\n\xC3\xA8";
  OutputDocument referred;
  referred.SetTextRef(referred.AddElement(OutputElement(), "t", ""), text);
  Document copied = Document::New();
  copied.SetText(copied.AddElement(Node(), "t", ""), text);
  ExpectBytes(std::move(referred), copied.Serialize());
}

}  // namespace
}  // namespace vorn::xml
