// Content with no place in the model, unknown content and invalid values are
// refused with one error naming the value and its line; nothing is dropped.
#include <gtest/gtest.h>

#include <string>

#include "fatturapa/fatturapa_errors.h"
#include "fatturapa/fatturapa_reader.h"
#include "soap/xml/xml_errors.h"
#include "tests/fatturapa/infoset.h"

namespace vorn {
namespace {

struct Edit {
  const char* name;
  const char* find;     // a text of FPA01 ...
  const char* replace;  // ... and what it becomes
  int line;             // the line the error names
  const char* message;  // the part of the message after "Line N: "
};

constexpr const char* kNoHome =
    " has no place in the typed invoice model, which follows an older edition of FatturaPA; "
    "the raw operation (vorn without --typed) sends the file as it is";

const Edit kEdits[] = {
    {"NewDocumentType", "<TipoDocumento>TD01<", "<TipoDocumento>TD24<", 54,
     "TipoDocumento \"TD24\""},
    {"NewNatureCode", "<AliquotaIVA>22.00</AliquotaIVA>\n      </DettaglioLinee>",
     "<AliquotaIVA>0.00</AliquotaIVA>\n<Natura>N2.1</Natura>\n      </DettaglioLinee>", 111,
     "Natura \"N2.1\""},
    {"NewPaymentMethod", "<ModalitaPagamento>MP01<", "<ModalitaPagamento>MP23<", 122,
     "ModalitaPagamento \"MP23\""},
    {"RootAttribute", "versione=\"FPA12\"", "versione=\"FPA12\" SistemaEmittente=\"ERP 1\"", 5,
     "the attribute SistemaEmittente of FatturaElettronica (\"ERP 1\")"},
    {"SecondWithholding", "<Numero>123</Numero>",
     "<Numero>123</Numero>\n<DatiRitenuta><TipoRitenuta>RT01</TipoRitenuta><ImportoRitenuta>1.00"
     "</ImportoRitenuta><AliquotaRitenuta>20.00</AliquotaRitenuta><CausalePagamento>A"
     "</CausalePagamento></DatiRitenuta>\n<DatiRitenuta><TipoRitenuta>RT02</TipoRitenuta>"
     "<ImportoRitenuta>1.00</ImportoRitenuta><AliquotaRitenuta>20.00</AliquotaRitenuta>"
     "<CausalePagamento>A</CausalePagamento></DatiRitenuta>",
     59, "a second DatiRitenuta in DatiGeneraliDocumento (the model holds one)"},
    {"NewWithholdingType", "<Numero>123</Numero>",
     "<Numero>123</Numero>\n<DatiRitenuta><TipoRitenuta>RT04</TipoRitenuta><ImportoRitenuta>1.00"
     "</ImportoRitenuta><AliquotaRitenuta>20.00</AliquotaRitenuta><CausalePagamento>A"
     "</CausalePagamento></DatiRitenuta>",
     58, "TipoRitenuta \"RT04\""},
    {"KeyInfoCertificate", "</FatturaElettronicaBody>",
     "</FatturaElettronicaBody>\n<ds:Signature><ds:SignedInfo><ds:CanonicalizationMethod "
     "Algorithm=\"c\"/><ds:SignatureMethod Algorithm=\"s\"/><ds:Reference><ds:DigestMethod "
     "Algorithm=\"d\"/><ds:DigestValue>AAAA</ds:DigestValue></ds:Reference></ds:SignedInfo>\n"
     "<ds:SignatureValue>AAAA</ds:SignatureValue>\n<ds:KeyInfo>\n<ds:X509Data><ds:X509Certificate>"
     "AAAA</ds:X509Certificate></ds:X509Data></ds:KeyInfo></ds:Signature>",
     131, "the element X509Data of KeyInfo"},
    {"Comment", "<Divisa>EUR</Divisa>", "<Divisa>EUR</Divisa><!-- note -->", 55,
     "a comment in DatiGeneraliDocumento"},
};

std::string Edited(const Edit& e) {
  std::string text = testing::ReadFile(testing::DataPath("IT01234567890_FPA01.xml"));
  const size_t at = text.find(e.find);
  EXPECT_NE(at, std::string::npos) << e.name;
  if (at != std::string::npos) text.replace(at, std::string_view(e.find).size(), e.replace);
  return text;
}

class Refusal : public ::testing::TestWithParam<Edit> {};

TEST_P(Refusal, NamesTheContentAndItsLine) {
  const Edit& e = GetParam();
  try {
    ReadFatturaPA(Edited(e));
    ADD_FAILURE() << "read without error";
  } catch (const EInvoiceFileError& error) {
    EXPECT_EQ(error.Line(), e.line);
    EXPECT_EQ(error.Report(),
              "EInvoiceFileError: Line " + std::to_string(e.line) + ": " + e.message + kNoHome);
  }
}

INSTANTIATE_TEST_SUITE_P(NoHome, Refusal, ::testing::ValuesIn(kEdits),
                         [](const auto& p) { return std::string(p.param.name); });

// Unknown content and invalid values: the same error, a reason of their own.
const Edit kInvalid[] = {
    {"UnknownElement", "<Divisa>EUR</Divisa>", "<Divisa>EUR</Divisa><Valuta>EUR</Valuta>", 55,
     "the element Valuta in DatiGeneraliDocumento is not part of FatturaPA 1.2"},
    {"QualifiedChild", "<Divisa>EUR</Divisa>", "<p:Divisa>EUR</p:Divisa>", 55,
     "the element {http://ivaservizi.agenziaentrate.gov.it/docs/xsd/fatture/v1.2}"
     "Divisa in DatiGeneraliDocumento is not part of FatturaPA 1.2"},
    {"InvalidCode", "<TipoDocumento>TD01<", "<TipoDocumento>TD99<", 54,
     "TipoDocumento \"TD99\" is not a valid code"},
    {"InvalidDate", "<Data>2017-01-18</Data>", "<Data>2017-02-30</Data>", 56,
     "Data \"2017-02-30\" is not a valid date"},
    {"TimeInDate", "<Data>2017-01-18</Data>", "<Data>2017-01-18T10:00:00</Data>", 56,
     "Data \"2017-01-18T10:00:00\" is not a valid date"},
    {"InvalidDateTime", "2017-01-10T16:46:12.000+02:00", "2017-01-10 16:46", 100,
     "DataOraConsegna \"2017-01-10 16:46\" is not a valid date-time"},
    {"InvalidDecimal", "<Quantita>5.00<", "<Quantita>5,00<", 107,
     "Quantita \"5,00\" is not a valid decimal number"},
    {"MissingRequired", "<Numero>123</Numero>", "", 53,
     "the required element Numero of DatiGeneraliDocumento is missing"},
    {"UnknownAttribute", "<DatiGeneraliDocumento>", "<DatiGeneraliDocumento id=\"x\">", 53,
     "the attribute id of DatiGeneraliDocumento is not part of FatturaPA 1.2"},
    {"AttributeOnValue", "<Divisa>EUR</Divisa>", "<Divisa cambio=\"1.1\">EUR</Divisa>", 55,
     "the attribute cambio of Divisa is not part of FatturaPA 1.2"},
    {"ElementInValue", "<Divisa>EUR</Divisa>", "<Divisa>E<b>U</b>R</Divisa>", 55,
     "the element b inside Divisa, which holds a value, is not part of FatturaPA 1.2"},
};

class Invalid : public ::testing::TestWithParam<Edit> {};

TEST_P(Invalid, IsRefusedAtItsLine) {
  const Edit& e = GetParam();
  try {
    ReadFatturaPA(Edited(e));
    ADD_FAILURE() << "read without error";
  } catch (const EInvoiceFileError& error) {
    EXPECT_EQ(error.Line(), e.line);
    EXPECT_EQ(error.Message(),
              "Line " + std::to_string(e.line) + ": " + e.message +
                  "; the raw operation (vorn without --typed) sends the file as it is");
  }
}

INSTANTIATE_TEST_SUITE_P(Content, Invalid, ::testing::ValuesIn(kInvalid),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(Refusal, RealFileWithTwoWithholdingBlocks) {
  const std::string text =
      testing::ReadFile(testing::DataPath("extra/OCA_l10n-italy/ITNREGCM80H30D612D_20003.xml"));
  ASSERT_FALSE(text.empty());
  try {
    ReadFatturaPA(text);
    ADD_FAILURE() << "read without error";
  } catch (const EInvoiceFileError& error) {
    EXPECT_EQ(error.Line(), 78) << error.Message();
    EXPECT_NE(error.Message().find("a second DatiRitenuta"), std::string::npos) << error.Message();
  }
}

TEST(Refusal, OtherDocumentsAndText) {
  EXPECT_THROW(ReadFatturaPA("<FatturaElettronica versione=\"FPA12\"/>"), EInvoiceFileError);
  EXPECT_THROW(ReadFatturaPA("<p:FatturaElettronica xmlns:p=\"urn:other\"/>"), EInvoiceFileError);
  EXPECT_THROW(ReadFatturaPA("not xml"), EDOMParseError);
  // A declared encoding is not used: the text is UTF-8 already.
  const std::string text = testing::ReadFile(testing::DataPath("IT01234567890_FPA01.xml"));
  std::string latin = text;
  latin.replace(latin.find("UTF-8"), 5, "ISO-8859-1");
  latin.replace(latin.find("ALPHA SRL"), 9, "ALPHA SRL è");
  EXPECT_EQ(ReadFatturaPA(latin)
                ->fatturaElettronicaHeaderField->cedentePrestatoreField->datiAnagraficiField
                ->anagraficaField->itemsField[0],
            "ALPHA SRL è");
}

}  // namespace
}  // namespace vorn
