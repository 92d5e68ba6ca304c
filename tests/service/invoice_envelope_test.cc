// InviaDocumento with an invoice tree: exact request bytes against
// checked-in envelopes (tests/data/envelopes/), which
// check_invoice_envelopes.py reads independently against the sample
// invoice and the writer's rules.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "service/service.h"
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

}  // namespace
}  // namespace vorn
