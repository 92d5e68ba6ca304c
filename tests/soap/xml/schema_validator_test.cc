// Schema validation from memory: imports only from the given sources, no
// file or network access, and every finding at the line and column where
// its element or attribute starts.
#include "soap/xml/schema_validator.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "soap/xml/xml_errors.h"

namespace vorn::xml {
namespace {

// A main schema that imports a second one by an absolute location; the
// imported one gives the type of the attribute "code".
constexpr std::string_view kImportLocation = "http://schemas.vorn.invalid/codes.xsd";

const std::string kMain = R"(<?xml version="1.0" encoding="UTF-8"?>
<xs:schema xmlns:xs="http://www.w3.org/2001/XMLSchema" xmlns:c="urn:codes"
           targetNamespace="urn:order" xmlns="urn:order" elementFormDefault="unqualified">
  <xs:import namespace="urn:codes" schemaLocation="http://schemas.vorn.invalid/codes.xsd"/>
  <xs:element name="order">
    <xs:complexType>
      <xs:sequence>
        <xs:element name="head">
          <xs:complexType>
            <xs:sequence><xs:element name="format" type="xs:string"/></xs:sequence>
          </xs:complexType>
        </xs:element>
        <xs:element name="qty" type="xs:positiveInteger" maxOccurs="unbounded"/>
      </xs:sequence>
      <xs:attribute name="code" type="c:Code" use="required"/>
    </xs:complexType>
  </xs:element>
</xs:schema>)";

const std::string kCodes = R"(<?xml version="1.0"?>
<xs:schema xmlns:xs="http://www.w3.org/2001/XMLSchema" targetNamespace="urn:codes">
  <xs:simpleType name="Code">
    <xs:restriction base="xs:string"><xs:pattern value="[A-Z]{3}"/></xs:restriction>
  </xs:simpleType>
</xs:schema>)";

Schema OrderSchema() { return Schema::Compile(kMain, {{std::string(kImportLocation), kCodes}}); }

std::string Describe(const CheckedDocument& d) {
  std::string out;
  for (const Finding& f : d.Findings()) {
    out += std::to_string(f.at.line) + ":" + std::to_string(f.at.column) + ": " + f.message + "\n";
  }
  return out;
}

TEST(SchemaValidatorTest, ValidDocumentHasNoFindings) {
  const CheckedDocument d = OrderSchema().Check(
      "<?xml version=\"1.0\"?>\n<o:order xmlns:o=\"urn:order\" code=\"ABC\">"
      "<head><format>X</format></head><qty>1</qty></o:order>");
  EXPECT_TRUE(d.WellFormed());
  EXPECT_EQ(Describe(d), "");
}

TEST(SchemaValidatorTest, FindingsStandWhereTheirElementOrAttributeStarts) {
  // The start tag of the root spans two lines; "é" is one character; the
  // byte-order mark is not counted.
  const std::string text =
      "\xEF\xBB\xBF<?xml version=\"1.0\"?>\r\n"
      "<o:order xmlns:o=\"urn:order\"\r\n"
      "   code=\"abc\">\r\n"
      "  <head><format>é</format></head><qty>0</qty>\r\n"
      "\t<qty>2</qty><extra/></o:order>\r\n";
  const CheckedDocument d = OrderSchema().Check(text);
  EXPECT_TRUE(d.WellFormed());
  ASSERT_EQ(d.Findings().size(), 3u) << Describe(d);
  EXPECT_EQ(d.Findings()[0].at, (TextPosition{3, 4}));   // code="abc"
  EXPECT_EQ(d.Findings()[1].at, (TextPosition{4, 34}));  // <qty>0
  EXPECT_EQ(d.Findings()[2].at, (TextPosition{5, 14}));  // <extra/>
  EXPECT_NE(d.Findings()[0].message.find("'code'"), std::string::npos);
  EXPECT_EQ(d.Findings()[2].message,
            "Element 'extra': This element is not expected. Expected is ( qty ).");

  const auto format = d.Element({"head", "format"});
  ASSERT_TRUE(format);
  EXPECT_EQ(format->text, "é");
  EXPECT_EQ(format->at, (TextPosition{4, 9}));
  const auto root = d.Element({});
  ASSERT_TRUE(root);
  EXPECT_EQ(root->at, (TextPosition{2, 1}));
  const auto code = d.RootAttribute("code");
  ASSERT_TRUE(code);
  EXPECT_EQ(code->text, "abc");
  EXPECT_EQ(code->at, (TextPosition{3, 4}));
  EXPECT_FALSE(d.Element({"head", "missing"}));
  EXPECT_FALSE(d.RootAttribute("missing"));
}

// The parser reads its input in blocks and lets go of what it has read;
// positions far into a large text must still be right.
TEST(SchemaValidatorTest, PositionsHoldFarIntoALargeText) {
  std::string text =
      "<o:order xmlns:o=\"urn:order\" code=\"ABC\"><head><format>X</format></head>\n";
  for (int i = 0; i < 20000; ++i) text += "  <qty>7</qty>\n";
  text += "  <qty>x</qty>\n</o:order>\n";
  const CheckedDocument d = OrderSchema().Check(text);
  ASSERT_EQ(d.Findings().size(), 1u) << Describe(d);
  EXPECT_EQ(d.Findings()[0].at, (TextPosition{20002, 3}));
}

TEST(SchemaValidatorTest, TextThatIsNotWellFormedGivesItsFirstErrorOnly) {
  const CheckedDocument d = OrderSchema().Check(
      "<o:order xmlns:o=\"urn:order\" code=\"ABC\">\n  <head></heda>\n</o:order>");
  EXPECT_FALSE(d.WellFormed());
  ASSERT_EQ(d.Findings().size(), 1u) << Describe(d);
  // At the end tag that does not match, not after it.
  EXPECT_EQ(d.Findings()[0].at, (TextPosition{2, 9}));
  EXPECT_NE(d.Findings()[0].message.find("mismatch"), std::string::npos) << Describe(d);
  EXPECT_FALSE(d.Element({}));

  EXPECT_EQ(Describe(OrderSchema().Check("")), "1:1: Document is empty\n");
  EXPECT_EQ(Describe(OrderSchema().Check("  \r\n")), "2:1: Start tag expected, '<' not found\n");

  const CheckedDocument unbound = OrderSchema().Check("<x:order code=\"ABC\"/>");
  EXPECT_FALSE(unbound.WellFormed());
  EXPECT_EQ(unbound.Findings().size(), 1u) << Describe(unbound);
}

TEST(SchemaValidatorTest, TheTextIsReadAsUtf8WhateverItsDeclarationSays) {
  const CheckedDocument d = OrderSchema().Check(
      "<?xml version=\"1.0\" encoding=\"UTF-16\"?><o:order xmlns:o=\"urn:order\" code=\"ABC\">"
      "<head><format>è</format></head><qty>1</qty></o:order>");
  EXPECT_TRUE(d.WellFormed()) << Describe(d);
  EXPECT_EQ(Describe(d), "");
  EXPECT_EQ(d.Element({"head", "format"})->text, "è");

  // Bytes that look like a UTF-16 mark are not taken as one.
  const CheckedDocument utf16 = OrderSchema().Check(std::string("\xFF\xFE<\0a\0/\0>\0", 10));
  EXPECT_FALSE(utf16.WellFormed());
  ASSERT_EQ(utf16.Findings().size(), 1u);
  EXPECT_EQ(utf16.Findings()[0].at, (TextPosition{1, 1})) << Describe(utf16);
}

TEST(SchemaValidatorTest, ALoneCrEndsALineAsInXml) {
  const CheckedDocument d = OrderSchema().Check(
      "<o:order xmlns:o=\"urn:order\" code=\"ABC\">\r<head><format>X</format></head>\r\n"
      "\r <qty>0</qty></o:order>");
  EXPECT_EQ(Describe(d).substr(0, 5), "4:2: ") << Describe(d);
}

// A temporary file that must never be read.
class Bait {
 public:
  explicit Bait(const std::string& content) {
    char name[] = "/tmp/vorn-bait-XXXXXX";
    const int fd = mkstemp(name);
    EXPECT_GE(fd, 0);
    close(fd);
    path_ = name;
    std::ofstream(path_) << content;
  }
  ~Bait() { std::remove(path_.c_str()); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

TEST(SchemaValidatorTest, ImportsComeOnlyFromTheGivenSources) {
  // The import's location names a readable file; without a source for it the
  // schema does not compile.
  const Bait codes(kCodes);
  std::string main = kMain;
  main.replace(main.find(kImportLocation), kImportLocation.size(), "file://" + codes.path());
  EXPECT_THROW(Schema::Compile(main, {}), DOMException);
  EXPECT_THROW(Schema::Compile(kMain, {}), DOMException);
  try {
    Schema::Compile(kMain, {});
  } catch (const DOMException& e) {
    EXPECT_TRUE(e.Message().starts_with("The schema does not compile: ")) << e.Message();
  }
}

TEST(SchemaValidatorTest, CheckedTextReadsNoOtherDocument) {
  const Bait secret("secret-content");
  const std::string text = "<!DOCTYPE o:order [<!ENTITY x SYSTEM \"file://" + secret.path() +
                           "\">]>\n<o:order xmlns:o=\"urn:order\" code=\"ABC\" "
                           "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
                           "xsi:schemaLocation=\"urn:order file://" +
                           secret.path() +
                           "\"><head><format>&x;</format></head><qty>1</qty></o:order>";
  const CheckedDocument d = OrderSchema().Check(text);
  ASSERT_TRUE(d.Element({"head", "format"}));
  EXPECT_EQ(d.Element({"head", "format"})->text.find("secret-content"), std::string::npos);
  EXPECT_EQ(Describe(d).find("secret-content"), std::string::npos);
}

}  // namespace
}  // namespace vorn::xml
