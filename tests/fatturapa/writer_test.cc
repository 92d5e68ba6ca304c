// Writing a tree built in code: what the file holds, and the values that it
// cannot hold refused by path.
#include <gtest/gtest.h>

#include "fatturapa/fatturapa_errors.h"
#include "fatturapa/fatturapa_reader.h"
#include "fatturapa/fatturapa_writer.h"
#include "tests/fatturapa/infoset.h"

namespace vorn {
namespace {

std::unique_ptr<FatturaElettronicaType2> Sample() {
  return ReadFatturaPA(testing::ReadFile(testing::DataPath("IT01234567890_FPA01.xml")));
}

DatiGeneraliDocumentoType2& Document(FatturaElettronicaType2& invoice) {
  return *invoice.fatturaElettronicaBodyField[0]->datiGeneraliField->datiGeneraliDocumentoField;
}

TEST(Writer, DatesAsDatesAndSchemaOrder) {
  auto invoice = Sample();
  auto date = std::make_unique<TXSDateTime>();
  date->XSToNative("2017-01-19T00:00:00.000+01:00");
  Document(*invoice).dataField.Set(std::move(date));
  invoice->versioneField = FormatoTrasmissioneType::FPR12;
  const std::string text = WriteFatturaPA(*invoice);
  EXPECT_NE(text.find("<Data>2017-01-19+01:00</Data>"), std::string::npos);
  EXPECT_NE(text.find("<p:FatturaElettronica xmlns:p=\"http://ivaservizi.agenziaentrate.gov.it/"
                      "docs/xsd/fatture/v1.2\" versione=\"FPR12\">"),
            std::string::npos);
  // Elements follow the schema, not the model's alphabetical properties.
  EXPECT_LT(text.find("<TipoDocumento>"), text.find("<Divisa>"));
  EXPECT_LT(text.find("<Divisa>"), text.find("<Data>"));
}

TEST(Writer, RefusesValuesTheFileCannotHold) {
  struct Case {
    const char* name;
    void (*change)(FatturaElettronicaType2&);
    const char* message;
  };
  const Case cases[] = {
      {"TimeOfDayInDate",
       [](FatturaElettronicaType2& inv) {
         Document(inv).dataField->XSToNative("2017-01-18T10:30:00");
       },
       "FatturaElettronica/fatturaElettronicaBodyField[0]/datiGeneraliField/"
       "datiGeneraliDocumentoField/"
       "dataField: \"2017-01-18T10:30:00\" is not a date at midnight; the file holds a date here"},
      {"ValueWithoutCompanion",
       [](FatturaElettronicaType2& inv) {
         Document(inv).importoTotaleDocumentoField.Set(std::make_unique<TXSDecimal>());
       },
       "FatturaElettronica/fatturaElettronicaBodyField[0]/datiGeneraliField/"
       "datiGeneraliDocumentoField/"
       "importoTotaleDocumentoField: holds a value but its companion "
       "importoTotaleDocumentoFieldSpecified is false"},
      {"CompanionWithoutValue",
       [](FatturaElettronicaType2& inv) { Document(inv).arrotondamentoFieldSpecified = true; },
       "FatturaElettronica/fatturaElettronicaBodyField[0]/datiGeneraliField/"
       "datiGeneraliDocumentoField/"
       "arrotondamentoField: marked present by its companion but holds no value"},
      {"ChoiceArraysOfTwoLengths",
       [](FatturaElettronicaType2& inv) {
         inv.fatturaElettronicaHeaderField->cedentePrestatoreField->datiAnagraficiField
             ->anagraficaField->itemsField.push_back("extra");
       },
       "FatturaElettronica/fatturaElettronicaHeaderField/cedentePrestatoreField/"
       "datiAnagraficiField/"
       "anagraficaField/itemsElementNameField: names 1 entries but itemsField holds 2"},
      {"CodeOutsideItsList",
       [](FatturaElettronicaType2& inv) {
         Document(inv).tipoDocumentoField = static_cast<TipoDocumentoType>(40);
       },
       "FatturaElettronica/fatturaElettronicaBodyField[0]/datiGeneraliField/"
       "datiGeneraliDocumentoField/"
       "tipoDocumentoField: code 40 is outside TipoDocumentoType"},
  };
  for (const Case& c : cases) {
    auto invoice = Sample();
    c.change(*invoice);
    try {
      WriteFatturaPA(*invoice);
      ADD_FAILURE() << c.name << ": written without error";
    } catch (const EInvoiceModelError& e) {
      EXPECT_EQ(e.Message(), c.message) << c.name;
    }
  }
}

}  // namespace
}  // namespace vorn
