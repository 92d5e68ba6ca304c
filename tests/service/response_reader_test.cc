// Replies read into InviaDocumentoResponse2, faults raised as exceptions,
// and replies of the wrong shape rejected with their messages.
#include <gtest/gtest.h>

#include "service/messages.h"
#include "soap/soap_errors.h"
#include "tests/service/codec_fixture.h"

namespace vorn {
namespace {

using test::CodecFixture;

constexpr const char* kEnv11 =
    "<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\" "
    "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"><SOAP-ENV:Body>";
constexpr const char* kEnd11 = "</SOAP-ENV:Body></SOAP-ENV:Envelope>";

std::string Wrap(const std::string& result_children,
                 const std::string& result_name = "InviaDocumentoRawResult") {
  return std::string(kEnv11) + "<InviaDocumentoRawResponse xmlns=\"http://tempuri.org/\"><" +
         result_name + ">" + result_children + "</" + result_name +
         "></InviaDocumentoRawResponse>" + kEnd11;
}

// WCF's own form: prefixed elements, i:nil, Errors items in the Arrays namespace.
std::string WcfReply(bool success, const std::string& xml, const std::string& errors) {
  return "<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\"><s:Body>"
         "<InviaDocumentoRawResponse xmlns=\"http://tempuri.org/\">"
         "<InviaDocumentoRawResult xmlns:a=\"http://schemas.datacontract.org/2004/07/"
         "VornMirtel.FE.WebService\" xmlns:i=\"http://www.w3.org/2001/XMLSchema-instance\">"
         "<a:Errors xmlns:b=\"http://schemas.microsoft.com/2003/10/Serialization/Arrays\"" +
         (errors.empty() ? std::string("/>") : ">" + errors + "</a:Errors>") +
         "<a:Filename i:nil=\"true\"/><a:Id>7</a:Id><a:Success>" + (success ? "true" : "false") +
         "</a:Success>" +
         (xml.empty() ? std::string("<a:Xml i:nil=\"true\"/>") : "<a:Xml>" + xml + "</a:Xml>") +
         "</InviaDocumentoRawResult></InviaDocumentoRawResponse></s:Body></s:Envelope>";
}

struct ReadCase {
  std::string name;
  std::string reply;
  bool has_result;
  bool success;
  bool success_specified;
  int id;
  std::string xml;
  std::vector<std::string> errors;
  bool errors_specified;
};

class ReplyTable : public CodecFixture, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(ReplyTable, ReadsTheResponse) {
  const ReadCase& c = GetParam();
  InvResult result = Reply(1, c.reply);
  auto* r = dynamic_cast<InviaDocumentoResponse2*>(result.object.get());
  ASSERT_EQ(r != nullptr, c.has_result);
  if (r == nullptr) return;
  EXPECT_EQ(r->Success(), c.success);
  EXPECT_EQ(r->Success_Specified(), c.success_specified);
  EXPECT_EQ(r->Id(), c.id);
  EXPECT_EQ(r->Xml(), c.xml);
  EXPECT_EQ(r->Errors(), c.errors);
  EXPECT_EQ(r->Errors_Specified(), c.errors_specified);
}

const std::string kAllNil =
    "<Errors xsi:nil=\"true\"/><Filename xsi:nil=\"true\"/><Id>0</Id><Success>true</Success>"
    "<Xml xsi:nil=\"true\"/>";

INSTANTIATE_TEST_SUITE_P(
    Replies, ReplyTable,
    ::testing::Values(
        ReadCase{"NilsAndValues", Wrap(kAllNil), true, true, true, 0, "", {}, true},
        ReadCase{"OtherOrder",
                 Wrap("<Success>1</Success><Xml>x</Xml><Id> 42</Id><Errors/>"),
                 true,
                 true,
                 true,
                 42,
                 "x",
                 {},
                 true},
        ReadCase{"SuccessInOtherCaseIsNotMatched",
                 Wrap("<success>true</success><Id>1</Id>"),
                 true,
                 false,
                 false,
                 1,
                 "",
                 {},
                 false},
        ReadCase{"ResultNameInOtherCase",
                 Wrap("<Success>TRUE</Success>", "invIADocumentoRAWresult"),
                 true,
                 true,
                 true,
                 0,
                 "",
                 {},
                 false},
        ReadCase{"SingleChildWithOtherName",
                 Wrap("<Success>true</Success>", "Whatever"),
                 true,
                 true,
                 true,
                 0,
                 "",
                 {},
                 false},
        ReadCase{"ExtraAndRepeatedElementsIgnored",
                 Wrap("<Unknown>1</Unknown><Xml>first</Xml><Xml>second</Xml>"),
                 true,
                 false,
                 false,
                 0,
                 "first",
                 {},
                 false},
        ReadCase{
            "NilIdIsZero", Wrap("<Id xsi:nil=\"true\"/>"), true, false, false, 0, "", {}, false},
        ReadCase{"ErrorsAnyNameAnyNamespace",
                 Wrap("<Errors><string>uno</string><x:other xmlns:x=\"urn:x\">due</x:other>"
                      "</Errors>"),
                 true,
                 false,
                 false,
                 0,
                 "",
                 {"uno", "due"},
                 true},
        ReadCase{"WcfAccepted", WcfReply(true, "", ""), true, true, true, 7, "", {}, true},
        ReadCase{"WcfRejected",
                 WcfReply(false, "&lt;Esito&gt;KO&lt;/Esito&gt;",
                          "<b:string>00404: fattura duplicata</b:string><b:string>"
                          "00200: file non conforme</b:string>"),
                 true,
                 false,
                 true,
                 7,
                 "<Esito>KO</Esito>",
                 {"00404: fattura duplicata", "00200: file non conforme"},
                 true},
        ReadCase{"Soap12Envelope",
                 "<e:Envelope xmlns:e=\"http://www.w3.org/2003/05/soap-envelope\"><e:Body>"
                 "<R><InviaDocumentoRawResult><Success>true</Success></InviaDocumentoRawResult>"
                 "</R></e:Body></e:Envelope>",
                 true,
                 true,
                 true,
                 0,
                 "",
                 {},
                 false},
        ReadCase{"TwoChildrenNoneMatching",
                 std::string(kEnv11) + "<R><A/><B/></R>" + kEnd11,
                 false,
                 false,
                 false,
                 0,
                 "",
                 {},
                 false},
        ReadCase{"EmptyWrapper",
                 std::string(kEnv11) + "<R/>" + kEnd11,
                 false,
                 false,
                 false,
                 0,
                 "",
                 {},
                 false},
        ReadCase{"EmptyBody", std::string(kEnv11) + kEnd11, false, false, false, 0, "", {}, false},
        ReadCase{
            "ReturnNamedResult",
            std::string(kEnv11) + "<R><A/><result><Success>true</Success></result></R>" + kEnd11,
            true,
            true,
            true,
            0,
            "",
            {},
            false}),
    [](const auto& p) { return p.param.name; });

struct ErrorCase {
  std::string name;
  std::string reply;
  std::string class_name;
  std::string message;
};

class ErrorTable : public CodecFixture, public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(ErrorTable, RaisesWithItsMessage) {
  const ErrorCase& c = GetParam();
  try {
    Reply(1, c.reply);
    FAIL() << "no error";
  } catch (const Exception& e) {
    EXPECT_EQ(e.ClassName(), c.class_name);
    if (!c.message.empty()) {
      EXPECT_EQ(e.Message(), c.message);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Replies, ErrorTable,
    ::testing::Values(
        ErrorCase{"EmptyIdText", Wrap("<Id></Id>"), "EConvertError",
                  "'''' is not a valid integer value"},
        ErrorCase{"TrailingSpaceInId", Wrap("<Id>42 </Id>"), "EConvertError",
                  "''42 '' is not a valid integer value"},
        ErrorCase{"NilSuccess", Wrap("<Success xsi:nil=\"true\"/>"), "EPropertyConvertError",
                  "Invalid property element: "},
        ErrorCase{"YesIsNoBoolean", Wrap("<Success>yes</Success>"), "EPropertyConvertError",
                  "Invalid property element: yes"},
        ErrorCase{"EnvelopeInNoNamespace", "<Envelope><Body/></Envelope>", "ESOAPDomConvertError",
                  "DocumentElement http://schemas.xmlsoap.org/soap/envelope/:Envelope expected, "
                  ":Envelope found"},
        ErrorCase{"WellFormedHtml", "<html><body>Service unavailable</body></html>",
                  "ESOAPDomConvertError",
                  "DocumentElement http://schemas.xmlsoap.org/soap/envelope/:Envelope expected, "
                  ":html found"},
        ErrorCase{"EmptyEnvelope",
                  "<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\"/>",
                  "ESOAPDomConvertError", "Invalid SOAP request"},
        ErrorCase{"BlankEnvelope",
                  "<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\"> \r\n\t "
                  "</s:Envelope>",
                  "ESOAPDomConvertError", "Invalid SOAP request"},
        ErrorCase{"PreservedBlankEnvelope",
                  "<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\" "
                  "xml:space=\"preserve\">\n  \n</s:Envelope>",
                  "ESOAPDomConvertError", "Invalid SOAP request"},
        ErrorCase{"TooManyNodes",
                  std::string(kEnv11) +
                      [] {
                        std::string many;
                        for (int i = 0; i < 100000; ++i) many += "<a/>";
                        return many;
                      }() +
                      kEnd11,
                  "ESOAPDomConvertError", "Reply refused: more than 100000 nodes"},
        ErrorCase{"TooManyAttributes",
                  std::string(kEnv11) +
                      [] {
                        std::string x = "<x";
                        for (int i = 0; i < 100000; ++i) x += " a" + std::to_string(i) + "=''";
                        return x + "/>";
                      }() +
                      kEnd11,
                  "ESOAPDomConvertError", "Reply refused: more than 256 attributes on one element"},
        ErrorCase{"TwoBodies",
                  "<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\"><s:Body/>"
                  "<s:Body/></s:Envelope>",
                  "ESOAPDomConvertError", "Invalid SOAP response"},
        ErrorCase{"HtmlErrorPage", "<html><body><p>Bad gateway</body></html>", "EDOMParseError",
                  ""},
        ErrorCase{"EmptyReply", "", "EDOMParseError", ""},
        ErrorCase{"Doctype",
                  "<!DOCTYPE s [<!ENTITY a \"aaaa\">]><s:Envelope "
                  "xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\"/>",
                  "EDOMParseError", ""}),
    [](const auto& p) { return p.param.name; });

TEST_F(CodecFixture, FaultBecomesERemotableException) {
  const std::string fault =
      std::string(kEnv11) +
      "<SOAP-ENV:Fault><faultcode>s:Client</faultcode><faultstring xml:lang=\"it-IT\">"
      "Credenziali non valide</faultstring><detail><x>1</x><SOAP-ENV:y/></detail>"
      "</SOAP-ENV:Fault>" +
      kEnd11;
  try {
    Reply(1, fault);
    FAIL();
  } catch (const ERemotableException& e) {
    EXPECT_EQ(e.Report(), "ERemotableException: Credenziali non valide");
    EXPECT_EQ(e.FaultCode, "s:Client");
    // The detail declares the prefix it uses, so it stands alone.
    EXPECT_EQ(e.FaultDetail,
              "<detail xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\"><x>1</x>"
              "<SOAP-ENV:y/></detail>");
  }
}

TEST_F(CodecFixture, FaultMessageFallsBackToDetailThenToTheFault) {
  const std::string with_detail = std::string(kEnv11) +
                                  "<SOAP-ENV:Fault><faultstring/><detail>d</detail>"
                                  "</SOAP-ENV:Fault>" +
                                  kEnd11;
  const std::string bare = std::string(kEnv11) + "<Fault><faultcode>c</faultcode></Fault>" + kEnd11;
  const std::string soap12 =
      "<e:Envelope xmlns:e=\"http://www.w3.org/2003/05/soap-envelope\"><e:Body><e:Fault>"
      "<e:Code><e:Value>e:Sender</e:Value></e:Code><e:Reason><e:Text xml:lang=\"en\">bad"
      "</e:Text></e:Reason><e:Detail>why</e:Detail></e:Fault></e:Body></e:Envelope>";
  struct {
    std::string reply, message, code;
  } cases[] = {
      {with_detail, "<detail>d</detail>", ""},
      {bare, "<Fault><faultcode>c</faultcode></Fault>", "c"},
      // A SOAP 1.2 fault is read with the SOAP 1.1 names: only its Detail
      // matches, shown as text that declares its prefix.
      {soap12, "<e:Detail xmlns:e=\"http://www.w3.org/2003/05/soap-envelope\">why</e:Detail>", ""},
  };
  for (const auto& c : cases) {
    try {
      Reply(1, c.reply);
      ADD_FAILURE() << c.reply;
    } catch (const ERemotableException& e) {
      EXPECT_EQ(e.Message(), c.message);
      EXPECT_EQ(e.FaultCode, c.code);
    }
  }
}

TEST_F(CodecFixture, EntityBombIsRefusedWithoutExpansion) {
  std::string bomb = "<?xml version=\"1.0\"?><!DOCTYPE lolz [<!ENTITY lol \"lol\">";
  std::string prev = "lol";
  for (int i = 1; i <= 9; ++i) {
    const std::string name = "lol" + std::to_string(i);
    bomb += "<!ENTITY " + name + " \"";
    for (int j = 0; j < 10; ++j) bomb += "&" + prev + ";";
    bomb += "\">";
    prev = name;
  }
  bomb += "]><lolz>&" + prev + ";</lolz>";
  EXPECT_THROW(Reply(1, bomb), EDOMParseError);
}

}  // namespace
}  // namespace vorn
