// The offline checks of an invoice: the official samples pass (but the one
// known to fail the schema), and each sample broken on purpose is reported
// at its line and column.
#include "cli/invoice_check.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "cli/document_loader.h"

namespace vorn {
namespace {

// The findings for a sample under tests/cli/fatturapa, as "FILE:LINE:COLUMN:
// message" lines (the tests run in tests/cli), with PA `pa` ("" for none).
std::string Check(const std::string& path, std::string_view formato = "") {
  std::string out;
  const auto given = formato.empty() ? std::nullopt : std::optional(formato);
  for (const xml::Finding& f :
       CheckInvoice(path, LoadDocumentText(path), std::filesystem::file_size(path), given)) {
    out += FindingLine(path, f) + "\n";
  }
  return out;
}

TEST(InvoiceCheckTest, OfficialSamplesPassButTheOneKnownToFail) {
  const std::string root = "fatturapa";
  int checked = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    const std::string path = entry.path().string();
    if (entry.path().extension() != ".xml" || path.starts_with(root + "/broken/")) continue;
    ++checked;
    if (path == root + "/IT01234567890_FPR02.xml") {
      // The 1.2.2 edition of this sample puts ContattiTrasmittente after
      // PECDestinatario, which the schema does not allow.
      EXPECT_EQ(Check(path), path +
                                 ":16:4: Element 'ContattiTrasmittente': This element is not "
                                 "expected.\n");
    } else {
      EXPECT_EQ(Check(path), "") << path;
    }
  }
  EXPECT_GT(checked, 0);
}

TEST(InvoiceCheckTest, SamplesBrokenOnPurposeAreReportedWhereTheyAreBroken) {
  const std::string fpa = "{http://ivaservizi.agenziaentrate.gov.it/docs/xsd/fatture/v1.2}";
  struct Case {
    std::string file;  // under fatturapa/broken
    std::string findings;
  } cases[] = {
      {"IT01234567890_FPA91.xml",  // ProgressivoInvio left out
       ":12:7: Element 'FormatoTrasmissione': This element is not expected. Expected is ( "
       "ProgressivoInvio ).\n"},
      {"IT01234567890_FPA92.xml",  // 30 February
       ":56:9: Element 'Data': '2017-02-30' is not a valid value of the atomic type '" + fpa +
           "DataFatturaType'.\n"},
      {"IT01234567890_FPA93.xml",  // versione FPA13
       ":2:23: Element '" + fpa +
           "FatturaElettronica', attribute 'versione': [facet 'enumeration'] The value 'FPA13' "
           "is not an element of the set {'FPA12', 'FPR12'}.\n"
           "#:13:7: FormatoTrasmissione FPA12 does not agree with the root element's versione "
           "FPA13\n"},
      {"IT01234567890_FPA94.xml",  // </Divisas>
       ":55:20: Opening and ending tag mismatch: Divisa line 55 and Divisas\n"},
      {"IT01234567890_FPA95.xml",  // "Perché è così" before a wrong Quantita
       ":106:49: Element 'Quantita': 'uno' is not a valid value of the atomic type '" + fpa +
           "QuantitaType'.\n"
           "#:107:9: Element 'Quantita': This element is not expected. Expected is one of ( "
           "UnitaMisura, DataInizioPeriodo, DataFinePeriodo, PrezzoUnitario ).\n"},
      {"IT01234567890_FPA96.xml",  // UTF-16 with its mark; Divisa EURO
       ":55:9: Element 'Divisa': [facet 'pattern'] The value 'EURO' is not accepted by the "
       "pattern '[A-Z]{3}'.\n"},
      {"IT01234567890_FPR91.xml",  // FormatoTrasmissione FPA12 in an FPR12 invoice
       ":13:7: FormatoTrasmissione FPA12 does not agree with the root element's versione "
       "FPR12\n"},
      {"invoice-january.xml",
       ":1:1: The file name \"invoice-january.xml\" does not follow the naming rule: country "
       "code, sender id, \"_\", a progressive of 1 to 5 letters or digits, \".xml\" (as in "
       "IT01234567890_FPA01.xml)\n"},
  };
  for (auto& c : cases) {
    const std::string path = "fatturapa/broken/" + c.file;
    // Each line begins with the path; "#" stands for it after the first.
    std::string expected = path + c.findings;
    for (size_t at = expected.find("\n#"); at != std::string::npos; at = expected.find("\n#")) {
      expected.replace(at + 1, 1, path);
    }
    EXPECT_EQ(Check(path), expected);
  }
}

TEST(InvoiceCheckTest, FormatoTrasmissioneMustAgreeWithThePaArgument) {
  const std::string fpa = "fatturapa/IT01234567890_FPA01.xml";
  EXPECT_EQ(Check(fpa, "FPA12"), "");
  EXPECT_EQ(Check(fpa, "FPR12"),
            fpa +
                ":13:7: FormatoTrasmissione FPA12 does not agree with the PA argument, which "
                "sends FPR12\n");
}

TEST(InvoiceCheckTest, AFileOver5MiBIsReported) {
  const std::string fpa = "fatturapa/IT01234567890_FPA01.xml";
  const auto findings =
      CheckInvoice(fpa, LoadDocumentText(fpa), kMaxInvoiceBytes + 1, std::nullopt);
  ASSERT_EQ(findings.size(), 1u);
  EXPECT_EQ(FindingLine(fpa, findings[0]),
            fpa +
                ":1:1: The file is 5242881 bytes long; at most 5242880 bytes (5 MiB) are "
                "accepted");
  EXPECT_TRUE(CheckInvoice(fpa, LoadDocumentText(fpa), kMaxInvoiceBytes, std::nullopt).empty());
}

TEST(InvoiceCheckTest, NamingRule) {
  for (const char* name : {"IT01234567890_FPA01.xml", "ITNREGCM80H30D612D_20003.xml", "IT1_a.xml",
                           "DE1234567890123456789012345678_ZZZZZ.xml"}) {
    EXPECT_TRUE(FollowsNamingRule(name)) << name;
  }
  for (const char* name :
       {"it01234567890_FPA01.xml", "IT01234567890_FPA01.XML", "IT01234567890_FPA001.xml",
        "IT01234567890_.xml", "IT_FPA01.xml", "IT01234567890FPA01.xml", "I01234567890_FPA01.xml",
        "IT01234567890_FPA01.xml.p7m", "IT0123456789-0_FPA01.xml", "IT01234567890_FP-1.xml",
        "DE12345678901234567890123456789_ZZZZZ.xml", "IT01234567890_FPA01.xmlx", ".xml"}) {
    EXPECT_FALSE(FollowsNamingRule(name)) << name;
  }
}

}  // namespace
}  // namespace vorn
