// The request envelope: exact bytes of the three operations' requests
// against checked-in files, an independent parse of those bytes, and the
// writer's rules for nil elements, type attributes, arrays and cycles.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "service/registry/type_registry.h"
#include "service/service.h"
#include "soap/converter.h"
#include "soap/soap_errors.h"
#include "soap/xml/xml_document.h"
#include "tests/service/codec_fixture.h"

namespace vorn {
namespace {

using test::CodecFixture;

std::string Golden(const std::string& name) {
  const char* root = std::getenv("VORN_SOURCE_DIR");
  std::ifstream in(std::string(root ? root : ".") + "/tests/soap/golden/" + name, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// A request with every argument of the command line given.
std::unique_ptr<InviaDocumentoRawRequest2> FullRequest() {
  auto r = std::make_unique<InviaDocumentoRawRequest2>();
  r->SetUsername("mario.rossi");
  r->SetPassword("p&ss<w>rd");
  r->SetDocumento(
      "<?xml version=\"1.0\"?>\r\n<p:FatturaElettronica versione=\"FPR12\">\r\n"
      "<Descrizione>Caff\xC3\xA8 & cornetto</Descrizione>\r\n</p:FatturaElettronica>\r\n");
  r->SetFormatoSdi("FPR12");
  r->SetInviaSdi(false);
  r->SetCodiceTrasmittente("IT01234567890");
  r->SetProgressivoInvio(9223372036854775807);
  return r;
}

TEST_F(CodecFixture, InviaDocumentoRawWithThreeArgumentsMatchesGolden) {
  InviaDocumentoRawRequest2 r;
  r.SetUsername("u");
  r.SetPassword("p");
  r.SetDocumento("<a>x</a>\r\n");
  EXPECT_EQ(Request(1, {InvArg{.object = &r}}), Golden("invia_documento_raw_3.xml"));
}

TEST_F(CodecFixture, InviaDocumentoRawWithSevenArgumentsMatchesGolden) {
  auto r = FullRequest();
  EXPECT_EQ(Request(1, {InvArg{.object = r.get()}}), Golden("invia_documento_raw_7.xml"));
}

TEST_F(CodecFixture, NoComplexTypesRequestMatchesGolden) {
  EXPECT_EQ(
      Request(2, {InvArg{.value = "u"}, InvArg{.value = "p"}, InvArg{.value = "<a/>"},
                  InvArg{.value = ""}, InvArg{.value = "FPA12"}, InvArg{.value = int64_t{1}}}),
      Golden("invia_documento_no_complex.xml"));
}

// An independent reading of the golden bytes: every element's name,
// namespace, position and text, so a wrong golden file cannot hide a fault.
struct Expected {
  std::string path;  // element names from the body down, "/"-separated
  std::string ns;
  std::string text;  // "" for elements with element children
};

std::vector<Expected> Walk(xml::Node n, const std::string& prefix) {
  std::vector<Expected> out;
  for (xml::Node c = n.FirstElementChild(); c; c = c.NextElementSibling()) {
    const std::string path = prefix + "/" + c.LocalName();
    out.push_back({path, c.NamespaceURI(), c.FirstElementChild() ? "" : c.Text()});
    auto sub = Walk(c, path);
    out.insert(out.end(), sub.begin(), sub.end());
  }
  return out;
}

// Text content as the envelope carries it.
std::string Escaped(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '&':
        out += "&amp;";
        break;
      case '\r':
        out += "&#13;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

TEST_F(CodecFixture, LargeInvoiceStreamsAsTheThreeArgumentEnvelope) {
  // 5 MB of invoice text with every character that is escaped, some at the
  // edges of the pieces read.
  std::string invoice;
  for (int i = 0; invoice.size() < 5'000'000; ++i) {
    invoice += "<DettaglioLinee><NumeroLinea>" + std::to_string(i) +
               "</NumeroLinea><Descrizione>Caff\xC3\xA8 & cornetto \"al banco\"</Descrizione>"
               "</DettaglioLinee>\r\n";
  }
  InviaDocumentoRawRequest2 r;
  r.SetUsername("u");
  r.SetPassword("p");
  r.SetDocumento(invoice);
  std::string expected = Golden("invia_documento_raw_3.xml");
  const std::string small = "&lt;a&gt;x&lt;/a&gt;&#13;\n";
  expected.replace(expected.find(small), small.size(), Escaped(invoice));
  for (size_t piece : {512 * 1024, 65536 + 7}) {
    SCOPED_TRACE(piece);
    EXPECT_TRUE(Request(1, {InvArg{.object = &r}}, piece) == expected);
  }
}

TEST_F(CodecFixture, GoldenEnvelopesParseToTheIntendedTree) {
  const std::string env = "http://schemas.xmlsoap.org/soap/envelope/";
  const std::string svc = "http://tempuri.org/";
  const std::string msg = "http://schemas.datacontract.org/2004/07/VornMirtel.FE.WebService";
  const auto seven = FullRequest();
  struct Case {
    std::string file;
    std::vector<Expected> elements;
  } cases[] = {
      {"invia_documento_raw_3.xml",
       {{"/Body", env, ""},
        {"/Body/InviaDocumentoRaw", svc, ""},
        {"/Body/InviaDocumentoRaw/request", svc, ""},
        {"/Body/InviaDocumentoRaw/request/Documento", msg, "<a>x</a>\r\n"},
        {"/Body/InviaDocumentoRaw/request/Password", msg, "p"},
        {"/Body/InviaDocumentoRaw/request/Username", msg, "u"}}},
      {"invia_documento_raw_7.xml",
       {{"/Body", env, ""},
        {"/Body/InviaDocumentoRaw", svc, ""},
        {"/Body/InviaDocumentoRaw/request", svc, ""},
        {"/Body/InviaDocumentoRaw/request/CodiceTrasmittente", msg, "IT01234567890"},
        {"/Body/InviaDocumentoRaw/request/Documento", msg, seven->Documento()},
        {"/Body/InviaDocumentoRaw/request/FormatoSdi", msg, "FPR12"},
        {"/Body/InviaDocumentoRaw/request/InviaSdi", msg, "false"},
        {"/Body/InviaDocumentoRaw/request/Password", msg, "p&ss<w>rd"},
        {"/Body/InviaDocumentoRaw/request/ProgressivoInvio", msg, "9223372036854775807"},
        {"/Body/InviaDocumentoRaw/request/Username", msg, "mario.rossi"}}},
      {"invia_documento_no_complex.xml",
       {{"/Body", env, ""},
        {"/Body/InviaDocumentoNoComplexTypesInRequest", svc, ""},
        {"/Body/InviaDocumentoNoComplexTypesInRequest/username", svc, "u"},
        {"/Body/InviaDocumentoNoComplexTypesInRequest/password", svc, "p"},
        {"/Body/InviaDocumentoNoComplexTypesInRequest/documento", svc, "<a/>"},
        {"/Body/InviaDocumentoNoComplexTypesInRequest/formato", svc, ""},
        {"/Body/InviaDocumentoNoComplexTypesInRequest/formatoSdi", svc, "FPA12"},
        {"/Body/InviaDocumentoNoComplexTypesInRequest/InviaSdi", svc, "true"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string bytes = Golden(c.file);
    ASSERT_EQ(bytes.rfind("<?xml version=\"1.0\"?>", 0), 0u);
    const xml::Document doc = xml::Document::Parse(bytes);
    const xml::Node root = doc.DocumentElement();
    EXPECT_EQ(root.LocalName(), "Envelope");
    EXPECT_EQ(root.NamespaceURI(), env);
    const auto got = Walk(root, "");
    ASSERT_EQ(got.size(), c.elements.size());
    for (size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].path, c.elements[i].path);
      EXPECT_EQ(got[i].ns, c.elements[i].ns) << got[i].path;
      EXPECT_EQ(got[i].text, c.elements[i].text) << got[i].path;
    }
  }
}

TEST_F(CodecFixture, UnsetAndEmptyValues) {
  InviaDocumentoRawRequest2 r;
  r.SetUsername("");
  r.SetFormato("");
  r.SetDocumentoFirmato({});
  const xml::Document doc = xml::Document::Parse(Request(1, {InvArg{.object = &r}}));
  const xml::Node request =
      doc.DocumentElement().FirstElementChild().FirstElementChild().FirstElementChild();
  // Specified values travel even when empty; an empty byte array is a nil
  // element in no namespace.
  xml::Node firmato = request.FirstElementChild();
  ASSERT_EQ(firmato.LocalName(), "DocumentoFirmato");
  EXPECT_EQ(firmato.NamespaceURI(), "");
  EXPECT_EQ(firmato.GetAttribute("nil", kXMLSchemaInstanceNS), "true");
  xml::Node formato = firmato.NextElementSibling();
  EXPECT_EQ(formato.LocalName(), "Formato");
  EXPECT_EQ(formato.Text(), "");
  EXPECT_EQ(formato.NextElementSibling().LocalName(), "Username");
  EXPECT_FALSE(formato.NextElementSibling().NextElementSibling());
}

TEST_F(CodecFixture, NullRequestIsANilElementInNoNamespace) {
  const xml::Document doc = xml::Document::Parse(Request(1, {InvArg{.object = nullptr}}));
  const xml::Node request =
      doc.DocumentElement().FirstElementChild().FirstElementChild().FirstElementChild();
  EXPECT_EQ(request.LocalName(), "request");
  EXPECT_EQ(request.NamespaceURI(), "");
  EXPECT_FALSE(request.HasChildNodes());
  EXPECT_TRUE(request.GetAttribute("nil", kXMLSchemaInstanceNS).has_value());
}

TEST_F(CodecFixture, ByteArraysTravelAsBase64) {
  InviaDocumentoRawRequest2 r;
  r.SetDocumentoFirmato({0, 1, 2});
  const xml::Document doc = xml::Document::Parse(Request(1, {InvArg{.object = &r}}));
  const xml::Node firmato = doc.DocumentElement()
                                .FirstElementChild()
                                .FirstElementChild()
                                .FirstElementChild()
                                .FirstElementChild();
  EXPECT_EQ(firmato.LocalName(), "DocumentoFirmato");
  EXPECT_EQ(firmato.Text(), "AAEC");
}

TEST_F(CodecFixture, ElementFormGetsATypeAttributeAndKeepsItsChildrenInTheirNamespace) {
  // The element form of the request, declared as its type class, is written
  // with a type attribute whose prefix is declared on the body.
  InviaDocumentoRawRequest r;
  r.SetUsername("u");
  const std::string bytes = Request(1, {InvArg{.object = &r}});
  EXPECT_NE(bytes.find("<SOAP-ENV:Body xmlns:NS1=\"http://schemas.datacontract.org/2004/07/"
                       "VornMirtel.FE.WebService\">"),
            std::string::npos)
      << bytes;
  EXPECT_NE(bytes.find("<request xsi:type=\"NS1:InviaDocumentoRawRequest\">"), std::string::npos)
      << bytes;
  const xml::Document doc = xml::Document::Parse(bytes);
  const xml::Node user = doc.DocumentElement()
                             .FirstElementChild()
                             .FirstElementChild()
                             .FirstElementChild()
                             .FirstElementChild();
  EXPECT_EQ(user.LocalName(), "Username");
  EXPECT_EQ(user.NamespaceURI(),
            "http://schemas.datacontract.org/2004/07/VornMirtel.FE.WebService");
}

}  // namespace
}  // namespace vorn
