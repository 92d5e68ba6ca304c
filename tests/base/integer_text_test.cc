#include "base/integer_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "base/exception.h"

namespace vorn {
namespace {

struct IntCase {
  std::string text;
  std::optional<int64_t> expected;  // nullopt: rejected
};

std::string Describe(const std::string& text) { return "text \"" + text + "\""; }

TEST(IntegerTextTest, Int64Table) {
  const IntCase cases[] = {
      {"0", 0},
      {"26", 26},
      {"-5", -5},
      {"+7", 7},
      {" 12", 12},
      {"   -12", -12},
      {"007", 7},
      {"$1A", 26},
      {"0x1A", 26},
      {"0X1a", 26},
      {"x1A", 26},
      {"X1a", 26},
      {"-$10", -16},
      {"+0x10", 16},
      {"$0000000000000000001", 1},
      {"9223372036854775807", INT64_MAX},
      {"-9223372036854775808", INT64_MIN},
      {"-00009223372036854775808", INT64_MIN},
      {"$7FFFFFFFFFFFFFFF", INT64_MAX},
      {"$8000000000000000", INT64_MIN},
      {"-$8000000000000000", INT64_MIN},
      {"$FFFFFFFFFFFFFFFF", -1},
      {"-$FFFFFFFFFFFFFFFF", 1},
      {"$FFFFFFFF", 4294967295},
      {"9223372036854775808", std::nullopt},
      {"-9223372036854775809", std::nullopt},
      {"18446744073709551616", std::nullopt},
      {"$10000000000000000", std::nullopt},
      {"12 ", std::nullopt},
      {"", std::nullopt},
      {" ", std::nullopt},
      {"+", std::nullopt},
      {"-", std::nullopt},
      {"$", std::nullopt},
      {"0x", std::nullopt},
      {"x", std::nullopt},
      {"- 5", std::nullopt},
      {"+-5", std::nullopt},
      {"\t5", std::nullopt},
      {"abc", std::nullopt},
      {"1A", std::nullopt},
      {"$1G", std::nullopt},
      {"0x$1", std::nullopt},
      {"1.0", std::nullopt},
      {"5\n", std::nullopt},
  };
  for (const IntCase& c : cases) {
    SCOPED_TRACE(Describe(c.text));
    int64_t value = 12345;
    const bool ok = TryStrToInt64(c.text, value);
    ASSERT_EQ(ok, c.expected.has_value());
    EXPECT_EQ(value, c.expected.value_or(12345));  // unchanged on failure
  }
}

TEST(IntegerTextTest, Int32Table) {
  const IntCase cases[] = {
      {"2147483647", INT32_MAX},
      {"-2147483648", INT32_MIN},
      {"2147483648", std::nullopt},
      {"-2147483649", std::nullopt},
      {" 42", 42},
      {"42 ", std::nullopt},
      {"$7FFFFFFF", INT32_MAX},
      {"$80000000", INT32_MIN},
      {"$FFFFFFFF", -1},
      {"-$1", -1},
      {"0x00000000FFFFFFFF", -1},
      {"$100000000", std::nullopt},
      {"9223372036854775807", std::nullopt},
      {"", std::nullopt},
  };
  for (const IntCase& c : cases) {
    SCOPED_TRACE(Describe(c.text));
    int32_t value = 12345;
    const bool ok = TryStrToInt(c.text, value);
    ASSERT_EQ(ok, c.expected.has_value());
    EXPECT_EQ(value, c.expected.value_or(12345));
  }
}

TEST(IntegerTextTest, ThrowingFormsReportTheTextAsGiven) {
  EXPECT_EQ(StrToInt64("-$10"), -16);
  EXPECT_EQ(StrToInt(" 42"), 42);

  const std::string texts[] = {"", "12 ", "abc", "9223372036854775808"};
  for (const std::string& text : texts) {
    SCOPED_TRACE(Describe(text));
    const std::string message = "''" + text + "'' is not a valid integer value";
    try {
      StrToInt64(text);
      ADD_FAILURE() << "StrToInt64 accepted the text";
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.ClassName(), "EConvertError");
      EXPECT_EQ(e.Message(), message);
    }
    try {
      StrToInt(text);
      ADD_FAILURE() << "StrToInt accepted the text";
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(), message);
    }
  }
}

}  // namespace
}  // namespace vorn
