// Real FatturaPA files read into the model and written back: the result is
// the same infoset as the original.
#include <gtest/gtest.h>

#include <string>

#include "fatturapa/fatturapa_errors.h"
#include "fatturapa/fatturapa_reader.h"
#include "fatturapa/fatturapa_writer.h"
#include "soap/xml/schema_validator.h"
#include "tests/fatturapa/infoset.h"

namespace vorn {
namespace {

// The root's xsi:schemaLocation only tells a validator where the schema is;
// the reader ignores it, so the comparison does too.
constexpr std::string_view kSchemaLocation =
    "{http://www.w3.org/2001/XMLSchema-instance}schemaLocation";

// The official schema with the signature schema that it imports.
const xml::Schema& OfficialSchema() {
  static const xml::Schema schema = xml::Schema::Compile(
      testing::ReadFile(testing::SchemaPath("Schema_del_file_xml_FatturaPA_v1.2.2.xsd")),
      {{"http://www.w3.org/TR/2002/REC-xmldsig-core-20020212/xmldsig-core-schema.xsd",
        testing::ReadFile(testing::SchemaPath("xmldsig-core-schema.xsd"))}});
  return schema;
}

// The check is not vacuous: an invoice without its header and body fails it.
TEST(RoundTrip, SchemaCheckFindsAnIncompleteInvoice) {
  EXPECT_FALSE(OfficialSchema()
                   .Check("<p:FatturaElettronica versione=\"FPA12\" xmlns:p=\"http://"
                          "ivaservizi.agenziaentrate.gov.it/docs/xsd/fatture/v1.2\"/>")
                   .Findings()
                   .empty());
}

class RoundTrip : public ::testing::TestWithParam<const char*> {};

TEST_P(RoundTrip, WrittenFileIsTheOriginalInfoset) {
  const std::string original = testing::ReadFile(testing::DataPath(GetParam()));
  ASSERT_FALSE(original.empty()) << GetParam();
  const std::unique_ptr<FatturaElettronicaType2> invoice = ReadFatturaPA(original);
  const std::string written = WriteFatturaPA(*invoice);
  EXPECT_TRUE(written.starts_with("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"));
  EXPECT_EQ(testing::CanonicalForm(written), testing::CanonicalForm(original, kSchemaLocation));
  // The written file is valid against the official schema.
  const xml::CheckedDocument checked = OfficialSchema().Check(written);
  for (const xml::Finding& f : checked.Findings()) {
    ADD_FAILURE() << f.at.line << ":" << f.at.column << ": " << f.message;
  }
  // Reading the written file gives the same file again.
  EXPECT_EQ(WriteFatturaPA(*ReadFatturaPA(written)), written);
}

// Every sample that is valid against the 1.2.2 schema, and an own file with
// a signature, attachments, every repeated block twice and special
// characters.
INSTANTIATE_TEST_SUITE_P(Samples, RoundTrip,
                         ::testing::Values("IT01234567890_FPA01.xml", "IT01234567890_FPA02.xml",
                                           "IT01234567890_FPA03.xml", "IT01234567890_FPR01.xml",
                                           "IT01234567890_FPR03.xml",
                                           "official-v1.2.1/IT01234567890_FPR02.xml",
                                           "extra/siboxd_fatturapa-model/IT13013131001_00026.xml",
                                           "extra/OCA_l10n-italy/IT06363391001_00003.xml",
                                           "IT01234567890_VRN01.xml"));

TEST(RoundTrip, ModelHoldsTheFileValues) {
  const auto invoice =
      ReadFatturaPA(testing::ReadFile(testing::DataPath("IT01234567890_VRN01.xml")));
  EXPECT_EQ(invoice->versioneField, FormatoTrasmissioneType::FPA12);
  ASSERT_EQ(invoice->fatturaElettronicaBodyField.size(), 2u);
  const auto& doc =
      *invoice->fatturaElettronicaBodyField[1]->datiGeneraliField->datiGeneraliDocumentoField;
  // A date is a date-time at midnight; decimals keep their text.
  EXPECT_EQ(doc.dataField->NativeToXS(), "2024-01-31T00:00:00");
  EXPECT_EQ(doc.importoTotaleDocumentoField->DecimalString, "284.03");
  EXPECT_TRUE(doc.importoTotaleDocumentoFieldSpecified);
  EXPECT_EQ(doc.arrotondamentoField->DecimalString, "-0.01");
  EXPECT_TRUE(doc.art73FieldSpecified);
  EXPECT_EQ(doc.causaleField.size(), 2u);
  EXPECT_EQ(doc.causaleField[0], "Fornitura di caffè & tè: \"prima\" parte");
  // A date-time keeps its text.
  const auto& transport =
      *invoice->fatturaElettronicaBodyField[0]->datiGeneraliField->datiTrasportoField;
  EXPECT_EQ(transport.dataOraConsegnaField->NativeToXS(), "2024-01-10T16:46:12.000+01:00");
  EXPECT_TRUE(transport.dataOraConsegnaFieldSpecified);
  EXPECT_FALSE(invoice->fatturaElettronicaBodyField[0]
                   ->datiBeniServiziField->datiRiepilogoField[0]
                   ->naturaFieldSpecified);
  EXPECT_TRUE(invoice->fatturaElettronicaBodyField[0]
                  ->datiBeniServiziField->datiRiepilogoField[1]
                  ->naturaFieldSpecified);
  // Choices: the names and the values side by side.
  const auto& vettore = *transport.datiAnagraficiVettoreField->anagraficaField;
  EXPECT_EQ(vettore.itemsElementNameField,
            (ArrayOfItemsChoiceType{ItemsChoiceType::Nome, ItemsChoiceType::Cognome}));
  EXPECT_EQ(vettore.itemsField, (ArrayOfstring{"Luigi", "Verdi"}));
  // The signature: attributes, wrapped transforms, key names, fragments.
  const SignatureType2& sig = *invoice->signatureField;
  EXPECT_EQ(sig.idField, "firma-1");
  ASSERT_EQ(sig.signedInfoField->referenceField.size(), 2u);
  const ReferenceType2& ref = *sig.signedInfoField->referenceField[1];
  EXPECT_EQ(ref.uRIField, "#doc-2");
  EXPECT_EQ(ref.digestValueField, TByteDynArray(32, 2));
  ASSERT_EQ(ref.transformsField.size(), 2u);
  EXPECT_EQ(ref.transformsField[0]->itemsField,
            ArrayOfanyType{Variant::FromString("not(ancestor-or-self::ds:Signature)")});
  EXPECT_EQ(sig.signedInfoField->signatureMethodField->hMACOutputLengthField, "160");
  const KeyInfoType2& key = *sig.keyInfoField;
  EXPECT_EQ(key.itemsElementNameField,
            (ArrayOfItemsChoiceType4{ItemsChoiceType4::KeyName, ItemsChoiceType4::MgmtData,
                                     ItemsChoiceType4::KeyName}));
  EXPECT_EQ(key.itemsField[0].AsString(), "Chiave di prova è € 😀 & < > \" '");
  ASSERT_EQ(sig.objectField.size(), 2u);
  EXPECT_EQ(sig.objectField[0]->anyField->XMLNode().LocalName(), "nota");
  EXPECT_EQ(sig.objectField[1]->anyField->XMLNode().Value(), "Testo libero dell'oggetto: è € 😀");
  EXPECT_EQ(invoice->fatturaElettronicaBodyField[0]->allegatiField[1]->attachmentField.size(),
            256u);
}

}  // namespace
}  // namespace vorn
