#include "soap/base64.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vorn {
namespace {

TByteDynArray Bytes(std::string_view s) { return TByteDynArray(s.begin(), s.end()); }

// Bytes 0, 1, 2, ... wrapping at 256, so every value occurs.
TByteDynArray Counting(size_t n) {
  TByteDynArray b(n);
  for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(i * 7 + 3);
  return b;
}

TEST(Base64Test, EncodesGroupsWithPadding) {
  const struct {
    TByteDynArray bytes;
    std::string text;
  } cases[] = {
      {{}, ""},
      {{0, 1, 2}, "AAEC"},
      {{0xFF, 0xFE, 0xFD}, "//79"},
      {Bytes("f"), "Zg=="},
      {Bytes("fo"), "Zm8="},
      {Bytes("foo"), "Zm9v"},
      {Bytes("foob"), "Zm9vYg=="},
      {Bytes("fooba"), "Zm9vYmE="},
      {Bytes("foobar"), "Zm9vYmFy"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(EncodeBase64(c.bytes), c.text);
    EXPECT_EQ(DecodeBase64(c.text), c.bytes);
  }
}

TEST(Base64Test, BreaksLinesAfterEvery76Characters) {
  const struct {
    size_t bytes;
    std::vector<size_t> line_lengths;  // text between the CR LFs
    bool final_break;
  } cases[] = {
      {56, {76}, true},  // a padded last group completing the line counts too
      {57, {76}, true},  // a last full line also gets its CR LF
      {58, {76, 4}, false}, {100, {76, 60}, false}, {114, {76, 76}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes);
    const std::string text = EncodeBase64(Counting(c.bytes));
    std::string expected_shape;
    for (size_t i = 0; i < c.line_lengths.size(); ++i) {
      if (i > 0) expected_shape += "\r\n";
      expected_shape += std::string(c.line_lengths[i], 'x');
    }
    if (c.final_break) expected_shape += "\r\n";
    std::string shape = text;
    for (char& ch : shape) {
      if (ch != '\r' && ch != '\n') ch = 'x';
    }
    EXPECT_EQ(shape, expected_shape);
    EXPECT_EQ(DecodeBase64(text), Counting(c.bytes));
  }
}

TEST(Base64Test, RoundTripsEveryLength) {
  for (size_t n = 0; n <= 300; ++n) {
    SCOPED_TRACE(n);
    ASSERT_EQ(DecodeBase64(EncodeBase64(Counting(n))), Counting(n));
  }
}

TEST(Base64Test, DecodingSkipsCharactersOutsideTheAlphabet) {
  const struct {
    std::string text;
    TByteDynArray bytes;
  } cases[] = {
      {"AA EC\r\n", {0, 1, 2}},
      {"\tZm9v\r\nYmFy ", Bytes("foobar")},
      {"Z!m*9-v_", Bytes("foo")},
      {"Zm9vYg", Bytes("foo")},  // an incomplete last group is dropped
      {"Zg=A", Bytes("f")},      // a third "=" ends the group after one byte
      {"", {}},
      {"\r\n", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(DecodeBase64(c.text), c.bytes);
  }
}

}  // namespace
}  // namespace vorn
