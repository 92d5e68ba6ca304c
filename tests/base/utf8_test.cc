#include "base/utf8.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace vorn {
namespace {

TEST(Utf8CheckTest, SequenceLength) {
  struct Case {
    std::string bytes;
    size_t length;
  };
  const Case cases[] = {
      {"", 0},
      {"a", 1},
      {"\x7F", 1},
      {"\xC2\x80", 2},
      {"\xDF\xBF", 2},
      {"\xC1\xBF", 0},  // overlong
      {"\xC3", 0},      // truncated
      {"\xC3(", 0},
      {"\xE0\xA0\x80", 3},
      {"\xE0\x9F\xBF", 0},  // overlong
      {"\xED\x9F\xBF", 3},
      {"\xED\xA0\x80", 0},  // surrogate
      {"\xEF\xBF\xBFz", 3},
      {"\xEF\xBF", 0},
      {"\xF0\x90\x80\x80", 4},
      {"\xF0\x8F\xBF\xBF", 0},  // overlong
      {"\xF4\x8F\xBF\xBF", 4},
      {"\xF4\x90\x80\x80", 0},  // above U+10FFFF
      {"\xF5\x80\x80\x80", 0},
      {"\x80", 0},
      {"\xFF", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(Utf8SequenceLength(c.bytes), c.length);
  }
}

// A character of each length, valid or not, at each position of the first
// blocks of otherwise plain text.
TEST(Utf8CheckTest, FindsTheFirstInvalidSequenceAtEveryPosition) {
  const std::string valid[] = {"\xC3\xA8", "\xE2\x82\xAC", "\xF0\x9F\x98\x80"};
  const std::string invalid[] = {"\x80", "\xC3", "\xE2\x82", "\xF0\x9F\x98", "\xFE"};
  for (size_t before = 0; before <= 40; ++before) {
    for (size_t after : {0, 1, 20}) {
      const std::string head(before, 'x');
      const std::string tail(after, 'y');
      for (const std::string& piece : valid) {
        SCOPED_TRACE("valid at " + std::to_string(before) + ", " + std::to_string(after) +
                     " after");
        EXPECT_EQ(FindInvalidUtf8(head + piece + tail), std::string_view::npos);
        EXPECT_EQ(FindInvalidUtf8(head + piece + tail + "\xBF"), before + piece.size() + after);
      }
      for (const std::string& piece : invalid) {
        SCOPED_TRACE("invalid at " + std::to_string(before) + ", " + std::to_string(after) +
                     " after");
        EXPECT_EQ(FindInvalidUtf8(head + piece + tail), before);
      }
    }
  }
}

// Every length of sequence, at the edges of its range: decoding gives the
// code point and the length, encoding gives the bytes back.
TEST(Utf8CheckTest, DecodesAndEncodesEachLengthAtItsEdges) {
  struct Case {
    std::string bytes;
    uint32_t code_point;
  };
  const Case cases[] = {
      {std::string(1, '\0'), 0},
      {"\x7F", 0x7F},
      {"\xC2\x80", 0x80},
      {"\xDF\xBF", 0x7FF},
      {"\xE0\xA0\x80", 0x800},
      {"\xED\x9F\xBF", 0xD7FF},
      {"\xEE\x80\x80", 0xE000},
      {"\xEF\xBF\xBF", 0xFFFF},
      {"\xF0\x90\x80\x80", 0x10000},
      {"\xF4\x8F\xBF\xBF", 0x10FFFF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code_point);
    const auto decoded = DecodeUtf8(c.bytes + "tail");
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->code_point, c.code_point);
    EXPECT_EQ(decoded->length, c.bytes.size());
    std::string encoded = "x";
    AppendUtf8(encoded, c.code_point);
    EXPECT_EQ(encoded, "x" + c.bytes);
  }
  // What is not valid decodes to nothing, whatever its shape.
  for (const std::string bytes :
       {"", "\x80", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE2\x82"}) {
    EXPECT_FALSE(DecodeUtf8(bytes).has_value()) << bytes.size() << " bytes";
  }
  // A surrogate is written in the form its value gives; so are values past
  // U+10FFFF, from their low 21 bits.
  std::string out;
  AppendUtf8(out, 0xD800);
  AppendUtf8(out, 0x1FFFFF);
  AppendUtf8(out, 0xFFFFFFFF);
  EXPECT_EQ(out, "\xED\xA0\x80\xF7\xBF\xBF\xBF\xF7\xBF\xBF\xBF");
}

TEST(Utf8CheckTest, CountsCharactersNotBytes) {
  EXPECT_EQ(CountCodePoints(""), 0u);
  EXPECT_EQ(CountCodePoints("abc"), 3u);
  EXPECT_EQ(CountCodePoints("perch\xC3\xA9 \xE2\x82\xAC\xF0\x9F\x98\x80"), 9u);
}

TEST(Utf8CheckTest, ReplacesInvalidBytesOneForOne) {
  struct Case {
    std::string text;
    size_t max_chars;
    std::string expected;
  };
  const size_t kAll = std::string_view::npos;
  const Case cases[] = {
      {"caff\xC3\xA8", kAll, "caff\xC3\xA8"},
      {"a\xC0\xAF"
       "b",
       kAll, "a??b"},              // an overlong form: each byte
      {"a\xE2\x82", kAll, "a??"},  // a truncated sequence at the end
      {"\xF0\x9F\x98\x80\xFF", kAll, "\xF0\x9F\x98\x80?"},
      {"\xC3\xA8\xC3\xA9\xC3\xAC", 2, "\xC3\xA8\xC3\xA9"},  // at most two characters
      {"\xFF\xFF"
       "abc",
       3, "??a"},  // a replaced byte counts as one
      {"ab", 5, "ab"},
      {"", kAll, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ReplaceInvalidUtf8(c.text, "?", c.max_chars), c.expected);
  }
}

}  // namespace
}  // namespace vorn
