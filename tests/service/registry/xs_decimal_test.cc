#include "service/registry/xs_decimal.h"

#include <gtest/gtest.h>

#include <string>

#include "service/registry/xs_errors.h"

namespace vorn {
namespace {

TEST(XSDecimalTest, AsBcdReadsDecimalTexts) {
  const struct {
    std::string text;
    std::string value;  // Bcd::ToString
    int precision, scale;
  } cases[] = {
      {"", "0", 1, 0},  // an empty text counts as "00"
      {"00", "0", 1, 0},
      {"-0.000", "0", 1, 0},
      {"12", "12", 2, 0},
      {"100", "100", 3, 0},
      {"-1.50", "-1.5", 2, 1},
      {"+0012.3400", "12.34", 4, 2},
      {"0.001", "0.001", 1, 3},
      {".5", "0.5", 1, 1},
      {"7.", "7", 1, 0},
      {std::string(64, '9'), std::string(64, '9'), 64, 0},
      // 66 characters, the longest text accepted
      {"-." + std::string(63, '0') + "1", "-0." + std::string(63, '0') + "1", 1, 64},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    TXSDecimal d;
    d.XSToNative(c.text);
    const Bcd b = d.AsBcd();
    EXPECT_EQ(b.ToString(), c.value);
    EXPECT_EQ(b.Precision(), c.precision);
    EXPECT_EQ(b.Scale(), c.scale);
  }
}

TEST(XSDecimalTest, AsBcdRejectsWithExactMessages) {
  const std::string long_text(67, '1');
  const std::string sixty_five_digits = std::string(65, '1') + ".";  // 66 characters
  const struct {
    std::string text;
    std::string message;
  } cases[] = {
      {"1E5", "Cannot convert scientific notation to TBcd value"},
      {"NAN", "Cannot convert NAN to TBcd value"},
      {"E" + long_text + "NAN", "Cannot convert scientific notation to TBcd value"},
      {"NAN" + long_text, "Cannot convert NAN to TBcd value"},
      {long_text, "Cannot convert to TBcd: string has more than 64 digits: " + long_text},
      {sixty_five_digits, "Invalid decimal string: ''" + sixty_five_digits + "''"},
      {"1,5", "Invalid decimal string: ''1,5''"},
      {"1e5", "Invalid decimal string: ''1e5''"},
      {"nan", "Invalid decimal string: ''nan''"},
      {" 1", "Invalid decimal string: '' 1''"},
      {"1 ", "Invalid decimal string: ''1 ''"},
      {"-", "Invalid decimal string: ''-''"},
      {".", "Invalid decimal string: ''.''"},
      {"1.2.3", "Invalid decimal string: ''1.2.3''"},
      {"--1", "Invalid decimal string: ''--1''"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    TXSDecimal d;
    d.XSToNative(c.text);
    EXPECT_EQ(d.NativeToXS(), c.text);  // stored unchecked
    try {
      d.AsBcd();
      ADD_FAILURE() << "no exception";
    } catch (const EXSDecimalException& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
  }
}

TEST(XSDecimalTest, SetAsBcdWritesCanonicalTextOrRejectsPrecision) {
  TXSDecimal d;
  d.SetAsBcd(Bcd::FromParts(true, "0012300", 3));
  EXPECT_EQ(d.DecimalString, "-12.3");
  d.SetAsBcd(Bcd::FromParts(true, "000", 2));
  EXPECT_EQ(d.DecimalString, "0");

  const struct {
    Bcd value;
    std::string message;
  } bad[] = {
      {Bcd::FromParts(false, "", 0), "Invalid Bcd Precision (0) or Scale (0)"},
      {Bcd::FromParts(false, std::string(65, '1'), 2), "Invalid Bcd Precision (65) or Scale (2)"},
  };
  for (const auto& c : bad) {
    SCOPED_TRACE(c.message);
    d.DecimalString = "kept";
    try {
      d.SetAsBcd(c.value);
      ADD_FAILURE() << "no exception";
    } catch (const EXSDecimalException& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
    EXPECT_EQ(d.DecimalString, "kept");
  }
}

TEST(XSDecimalTest, EqualValuesCompareEqualWhateverTheirZeros) {
  Bcd parsed;
  ASSERT_TRUE(Bcd::TryParse("-012.50", parsed));
  EXPECT_EQ(parsed, Bcd::FromParts(true, "1250", 2));
  EXPECT_FALSE(parsed == Bcd::FromParts(false, "125", 1));
  EXPECT_EQ(Bcd(), Bcd::FromParts(true, "0", 5));
}

}  // namespace
}  // namespace vorn
