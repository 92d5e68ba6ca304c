#include "soap/xml/reply_limits.h"

#include <gtest/gtest.h>

#include <string>

namespace vorn::xml {
namespace {

std::string Repeat(std::string_view unit, size_t n) {
  std::string out;
  out.reserve(unit.size() * n);
  for (size_t i = 0; i < n; ++i) out += unit;
  return out;
}

// `ascii` in UTF-16 or UCS-4, with or without a byte-order mark.
std::string Wide(std::string_view ascii, size_t width, bool big, bool bom) {
  std::string out;
  auto put = [&](unsigned v) {
    for (size_t k = 0; k < width; ++k) {
      const size_t shift = 8 * (big ? width - 1 - k : k);
      out += static_cast<char>((v >> shift) & 0xFF);
    }
  };
  if (bom) put(0xFEFF);
  for (char c : ascii) put(static_cast<unsigned char>(c));
  return out;
}

const ReplyLimits kSmall{.max_nodes = 10, .max_attributes = 3, .max_depth = 4, .max_namespaces = 2};

TEST(ReplyLimitsTest, CountsNodesAttributesAndDepth) {
  const struct {
    std::string reply;
    std::optional<std::string> breach;
  } cases[] = {
      {"<a><b x='1' z='>'/>text<!--c--><![CDATA[<<<]]><?pi?></a>", std::nullopt},  // 10
      {"<a>" + Repeat("<b/>", 10) + "</a>", "Reply refused: more than 10 nodes"},
      {"<a>" + Repeat("<b/>", 9) + "</a>", std::nullopt},
      {"<a>" + Repeat("t<b/>", 5) + "</a>", "Reply refused: more than 10 nodes"},
      {"<a>" + Repeat(" \r\n<b/>", 10) + "</a>", "Reply refused: more than 10 nodes"},
      {"<a>" + Repeat(" \r\n<b/>", 9) + "</a>", std::nullopt},  // blanks are no nodes
      {"<a>" + Repeat("<!--x-->", 10) + "</a>", "Reply refused: more than 10 nodes"},
      {"<a p='1' q='2' r='3' s='4'/>", "Reply refused: more than 3 attributes on one element"},
      {"<a xmlns='u' xmlns:p='v' p:q='1' r='2'/>",
       "Reply refused: more than 3 attributes on one element"},
      {"<a p='1' q='2' r='3'/>", std::nullopt},
      {"<a p='1' q='2'><b r='1' s='2'/></a>", std::nullopt},  // 2 elements + 4 attributes
      {"<a p='1' q='2' r='3'><b s='1' t='2'/></a>", "Reply refused: more than 10 nodes"},
      {"<a><b><c><d/></c></b></a>", std::nullopt},
      {"<a><b><c><d><e/></d></c></b></a>", "Reply refused: elements nested more than 4 deep"},
      {"<a xmlns='u' xmlns:p='v'><p:b/></a>", std::nullopt},
      {"<a xmlns='u' xmlns:p = 'v'><b xmlns:q='w'/></a>",
       "Reply refused: more than 2 namespace declarations in scope"},
      {"<a xmlns:p='u'></a><b xmlns:q='v' xmlns:r='w'/>", std::nullopt},  // a's went out of scope
      {"<a xmlnsx='u' axmlns:p='v' c='xmlns:'><b xmlns:q='w'/></a>", std::nullopt},
      {"<a><b><c><d><e></e></d></c></b></a>", "Reply refused: elements nested more than 4 deep"},
      {Repeat("<a></a>", 5), std::nullopt},  // depth goes down again
      // Markup inside comments, CDATA and values is no markup.
      {"<a><!--<b><b><b><b><b>--><![CDATA[<c><c><c><c><c>]]><d v='<e><e><e><e><e>'/></a>",
       std::nullopt},
      // Malformed bytes are counted as far as they go; the parser reports them.
      {"<a b='unterminated", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ReplyLimitBreach(c.reply, kSmall), c.breach) << c.reply;
}

TEST(ReplyLimitsTest, ScansEveryEncodingTheParserReads) {
  const std::string deep = "<a><b><c><d><e></e></d></c></b></a>";
  for (size_t width : {2, 4}) {
    for (bool big : {false, true}) {
      for (bool bom : {false, true}) {
        SCOPED_TRACE(std::to_string(width) + (big ? " BE" : " LE") + (bom ? " BOM" : ""));
        std::string decl = width == 2 ? "<?xml version='1.0' encoding='UTF-16'?>"
                                      : "<?xml version='1.0' encoding='UCS-4'?>";
        EXPECT_EQ(ReplyLimitBreach(Wide(decl + "<a/>", width, big, bom), kSmall), std::nullopt);
        EXPECT_EQ(ReplyLimitBreach(Wide(decl + deep, width, big, bom), kSmall),
                  "Reply refused: elements nested more than 4 deep");
        // A declaration that switches to an encoding of another family.
        EXPECT_EQ(ReplyLimitBreach(
                      Wide("<?xml version='1.0' encoding='UTF-7'?><a/>", width, big, bom), kSmall),
                  "Reply refused: encoding \"UTF-7\" not supported");
      }
    }
  }
  EXPECT_EQ(ReplyLimitBreach("\xEF\xBB\xBF" + deep, kSmall),
            "Reply refused: elements nested more than 4 deep");
  for (const char* ok : {"utf-8", "ISO-8859-1", "windows-1252", "US-ASCII", "latin1"}) {
    EXPECT_EQ(ReplyLimitBreach("<?xml version=\"1.0\" encoding=\"" + std::string(ok) + "\"?><a/>",
                               kSmall),
              std::nullopt)
        << ok;
  }
  EXPECT_EQ(ReplyLimitBreach("<?xml version='1.0' encoding='IBM037'?><a/>", kSmall),
            "Reply refused: encoding \"IBM037\" not supported");
  EXPECT_EQ(ReplyLimitBreach("\x4C\x6F\xA7\x94\x93\x40", kSmall),
            "Reply refused: encoding EBCDIC not supported");
}

TEST(ReplyLimitsTest, DefaultsRefuseTheCostlyRepliesOnly) {
  const std::string head = "<s:Envelope xmlns:s='http://schemas.xmlsoap.org/soap/envelope/'>";
  const std::string tail = "</s:Envelope>";
  EXPECT_EQ(ReplyLimitBreach(head + Repeat("<a/>", 99990) + tail), std::nullopt);
  EXPECT_EQ(ReplyLimitBreach(head + Repeat("<a/>", 100000) + tail),
            "Reply refused: more than 100000 nodes");
  std::string many = "<x";
  for (int i = 0; i < 100000; ++i) many += " a" + std::to_string(i) + "=''";
  EXPECT_EQ(ReplyLimitBreach(head + many + "/>" + tail),
            "Reply refused: more than 256 attributes on one element");
  EXPECT_EQ(ReplyLimitBreach(head + Repeat("<a>", 256) + tail),
            "Reply refused: elements nested more than 256 deep");
  EXPECT_EQ(ReplyLimitBreach(head + "<Xml>" + std::string(1 << 20, 'x') + "</Xml>" + tail),
            std::nullopt);
  // Prefixes looked up through thousands of declarations in scope.
  std::string nested;
  for (int level = 0; level < 190; ++level) {
    nested += "<e";
    for (int k = 0; k < 128; ++k) {
      nested += " xmlns:p" + std::to_string(level) + "_" + std::to_string(k) + "='u'";
    }
    nested += ">";
  }
  EXPECT_EQ(ReplyLimitBreach(head + nested + tail),
            "Reply refused: more than 256 namespace declarations in scope");
}

}  // namespace
}  // namespace vorn::xml
