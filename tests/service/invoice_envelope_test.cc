// InviaDocumento with an invoice tree: exact request bytes against
// checked-in envelopes (tests/data/envelopes/), which
// check_invoice_envelopes.py reads independently against the sample
// invoice and the writer's rules.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "service/service.h"
#include "soap/xml/xml_document.h"
#include "tests/service/codec_fixture.h"
#include "tests/service/fpa01_invoice.h"

namespace vorn {
namespace {

using test::CodecFixture;

std::string EnvelopePath(const std::string& name) {
  const char* root = std::getenv("VORN_SOURCE_DIR");
  return std::string(root ? root : ".") + "/tests/data/envelopes/" + name;
}

// The checked-in envelope `name`. With VORN_UPDATE_GOLDEN=1 in the
// environment, `actual` is written there first (to review it by hand
// before committing).
std::string Golden(const std::string& name, const std::string& actual) {
  if (const char* update = std::getenv("VORN_UPDATE_GOLDEN");
      update && std::string(update) == "1") {
    std::ofstream(EnvelopePath(name), std::ios::binary) << actual;
  }
  std::ifstream in(EnvelopePath(name), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class InvoiceEnvelope : public CodecFixture {
 protected:
  std::string Send(const InviaDocumentoRequest2& request) {
    return Request(0, {InvArg{.object = &request}});
  }
};

TEST_F(InvoiceEnvelope, FreshRoot) {
  InviaDocumentoRequest2 request;
  (void)request.SetDocumento(std::make_unique<FatturaElettronicaType2>());
  const std::string bytes = Send(request);
  EXPECT_EQ(bytes, Golden("invia_documento_fresh_root.xml", bytes));
}

TEST_F(InvoiceEnvelope, OfficialSampleFpa01) {
  const auto request = test::Fpa01Request();
  const std::string bytes = Send(*request);
  EXPECT_EQ(bytes, Golden("invia_documento_fpa01.xml", bytes));
  // Writing changes nothing in the tree.
  EXPECT_EQ(Send(*request), bytes);
}

// The root and one body as element forms: both carry a type attribute. The
// root's prefix is declared on the body element; the body entry's
// namespace is the default one in scope, so its type name has no prefix.
TEST_F(InvoiceEnvelope, ElementFormRoot) {
  auto root = std::make_unique<FatturaElettronicaType>();
  root->versioneField = FormatoTrasmissioneType::FPR12;
  auto header = std::make_unique<FatturaElettronicaHeaderType2>();
  auto trasmissione = std::make_unique<DatiTrasmissioneType2>();
  trasmissione->progressivoInvioField = "00002";
  trasmissione->formatoTrasmissioneField = FormatoTrasmissioneType::FPR12;
  (void)header->datiTrasmissioneField.Set(std::move(trasmissione));
  (void)root->fatturaElettronicaHeaderField.Set(std::move(header));
  auto body = std::make_unique<FatturaElettronicaBodyType>();
  auto veicoli = std::make_unique<DatiVeicoliType2>();
  veicoli->totalePercorsoField = "120";
  (void)body->datiVeicoliField.Set(std::move(veicoli));
  root->fatturaElettronicaBodyField.push_back(std::move(body));
  root->fatturaElettronicaBodyField.push_back(nullptr);  // a nil entry

  InviaDocumentoRequest2 request;
  request.SetUsername("u");
  (void)request.SetDocumento(std::move(root));
  const std::string bytes = Send(request);
  EXPECT_EQ(bytes, Golden("invia_documento_element_form.xml", bytes));
}

struct Written {
  std::string ns;
  bool nil = false;
  std::string text;
};

// Every element below `n` by its path of local names; repeated paths get
// "#2", "#3"... appended.
void Collect(xml::Node n, const std::string& prefix, std::map<std::string, Written>& out) {
  std::map<std::string, int> seen;
  for (xml::Node c = n.FirstElementChild(); c; c = c.NextElementSibling()) {
    std::string path = prefix + "/" + c.LocalName();
    if (const int k = ++seen[path]; k > 1) path += "#" + std::to_string(k);
    out[path] = {c.NamespaceURI(), c.GetAttribute("nil", kXMLSchemaInstanceNS) == "true",
                 c.FirstElementChild() ? "" : c.Text()};
    Collect(c, path, out);
  }
}

// A signature without XML fragments: every empty fragment slot is a nil
// element, an empty byte sequence a nil element in no namespace, variants
// are "anyType" items in the invoice namespace.
TEST_F(InvoiceEnvelope, SignatureWithoutFragments) {
  auto firma = std::make_unique<SignatureType2>();
  firma->idField = "firma";
  auto info = std::make_unique<SignedInfoType2>();
  auto c14n = std::make_unique<CanonicalizationMethodType2>();
  c14n->algorithmField = "http://www.w3.org/TR/2001/REC-xml-c14n-20010315";
  (void)info->canonicalizationMethodField.Set(std::move(c14n));
  auto method = std::make_unique<SignatureMethodType2>();
  method->hMACOutputLengthField = "128";
  (void)info->signatureMethodField.Set(std::move(method));
  auto reference = std::make_unique<ReferenceType2>();
  (void)reference->digestMethodField.Set(std::make_unique<DigestMethodType2>());
  reference->digestValueField = {1, 2, 3};
  auto transform = std::make_unique<TransformType2>();
  transform->itemsField = {Variant::FromString("x")};
  transform->textField = {"t"};
  reference->transformsField.push_back(std::move(transform));
  info->referenceField.push_back(std::move(reference));
  (void)firma->signedInfoField.Set(std::move(info));
  (void)firma->signatureValueField.Set(std::make_unique<SignatureValueType2>());
  auto key = std::make_unique<KeyInfoType2>();
  key->itemsElementNameField = {ItemsChoiceType4::KeyName, ItemsChoiceType4::X509Data};
  key->itemsField = {Variant::FromString("chiave"), Variant::Null()};
  (void)firma->keyInfoField.Set(std::move(key));
  firma->objectField.push_back(std::make_unique<ObjectType2>());
  auto root = std::make_unique<FatturaElettronicaType2>();
  (void)root->signatureField.Set(std::move(firma));
  InviaDocumentoRequest2 request;
  (void)request.SetDocumento(std::move(root));

  const xml::Document doc = xml::Document::Parse(Send(request));
  const xml::Node documento = doc.DocumentElement()
                                  .FirstElementChild()
                                  .FirstElementChild()
                                  .FirstElementChild()
                                  .FirstElementChild();
  std::map<std::string, Written> got;
  Collect(documento, "", got);
  const std::string inv(kInvoiceSchemaNamespace);
  const std::string s = "/signatureField";
  const std::string ref = s + "/signedInfoField/referenceField/ReferenceType";
  const std::map<std::string, Written> expected = {
      {s + "/idField", {inv, false, "firma"}},
      {s + "/keyInfoField/itemsElementNameField/ItemsChoiceType4", {inv, false, "KeyName"}},
      {s + "/keyInfoField/itemsElementNameField/ItemsChoiceType4#2", {inv, false, "X509Data"}},
      {s + "/keyInfoField/itemsField/anyType", {inv, false, "chiave"}},
      {s + "/keyInfoField/itemsField/anyType#2", {"", true, ""}},
      {s + "/keyInfoField/textField", {inv, false, ""}},
      {s + "/objectField/ObjectType/anyField", {inv, true, ""}},
      {s + "/signatureValueField/valueField", {"", true, ""}},
      {s + "/signedInfoField/canonicalizationMethodField/anyField", {inv, true, ""}},
      {s + "/signedInfoField/signatureMethodField/anyField", {inv, true, ""}},
      {s + "/signedInfoField/signatureMethodField/hMACOutputLengthField", {inv, false, "128"}},
      {ref + "/digestMethodField/anyField", {inv, true, ""}},
      {ref + "/digestValueField", {inv, false, "AQID"}},
      {ref + "/transformsField/TransformType/itemsField/anyType", {inv, false, "x"}},
      {ref + "/transformsField/TransformType/textField/string", {inv, false, "t"}},
  };
  for (const auto& [path, want] : expected) {
    SCOPED_TRACE(path);
    ASSERT_TRUE(got.count(path));
    EXPECT_EQ(got[path].ns, want.ns);
    EXPECT_EQ(got[path].nil, want.nil);
    EXPECT_EQ(got[path].text, want.text);
  }
}

}  // namespace
}  // namespace vorn
