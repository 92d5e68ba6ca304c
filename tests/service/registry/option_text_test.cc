#include "service/registry/option_text.h"

#include <gtest/gtest.h>

#include <string>

namespace vorn {
namespace {

struct OptionCase {
  std::string_view text;
  std::string_view name;
  bool found;
  std::string_view value;  // expected when found
};

TEST(GetRegInfoTest, ReadsOptionTexts) {
  const OptionCase cases[] = {
      // The texts that registrations use.
      {R"([ReturnName="InviaDocumentoRawResult"])", "ReturnName", true, "InviaDocumentoRawResult"},
      {R"([ReturnName="InviaDocumentoRawResult"])", "RequestNS", false, ""},
      {R"([Namespace="http://example.org/msg"])", "Namespace", true, "http://example.org/msg"},
      {R"([ArrayItemName="string"])", "ArrayItemName", true, "string"},
      // Several options, each quote character, blanks and commas between.
      {"[ArrayItemName='Row', Namespace=`urn:a`]", "ArrayItemName", true, "Row"},
      {"[ArrayItemName='Row', Namespace=`urn:a`]", "Namespace", true, "urn:a"},
      {"[RequestNS=\"urn:req\",ReturnName=\"R\"]", "ReturnName", true, "R"},
      {"[ \t\r\nReturnName \n= \t\"v\" ]", "ReturnName", true, "v"},
      {"[A=\"1\" ,, \t B=\"2\"]", "B", true, "2"},
      // The value is taken verbatim up to the same quote character.
      {R"([Namespace='a"b,c]d'])", "Namespace", true, R"(a"b,c]d)"},
      {R"([Namespace=""])", "Namespace", true, ""},
      {"[Namespace=\"città\"]", "Namespace", true, "città"},
      // A name matches only whole and in its exact case.
      {R"([ReturnNameX="a", ReturnName="b"])", "ReturnName", true, "b"},
      {R"([Return="a"])", "ReturnName", false, ""},
      {R"([returnname="a"])", "ReturnName", false, ""},
      // Not an option text, or broken syntax: no option at all.
      {R"(ReturnName="R")", "ReturnName", false, ""},
      {R"([ReturnName="R")", "ReturnName", false, ""},
      {R"(ReturnName="R"])", "ReturnName", false, ""},
      {"[]", "ReturnName", false, ""},
      {"", "ReturnName", false, ""},
      {R"([Namespace="abc])", "Namespace", false, ""},
      {R"([Namespace="abc'])", "Namespace", false, ""},
      {R"([Namespace "abc"])", "Namespace", false, ""},
      {"[Namespace=abc]", "Namespace", false, ""},
      {R"([A="1",])", "B", false, ""},
      // A name that is not made of letters stops the scan: later options are
      // out of reach.
      {R"([Item_Name="a", Namespace="n"])", "Namespace", false, ""},
      {R"([Item2="a", Namespace="n"])", "Namespace", false, ""},
      {R"([Namespace="n", Item_Name="a"])", "Namespace", true, "n"},
  };
  for (const OptionCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "text " << c.text << ", option " << c.name);
    std::string value = "untouched";
    EXPECT_EQ(GetRegInfo(c.text, c.name, value), c.found);
    EXPECT_EQ(value, c.found ? c.value : "untouched");
  }
}

}  // namespace
}  // namespace vorn
