#include "service/registry/xs_decimal.h"

#include <algorithm>

#include "base/utf8.h"
#include "service/registry/xs_errors.h"

namespace vorn {
namespace {

constexpr int kMaxDigits = 64;
constexpr size_t kMaxTextLength = 66;  // 64 digits, a sign and a point

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool Bcd::TryParse(std::string_view text, Bcd& out) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  std::string digits;
  int scale = 0;
  bool any_digit = false;
  for (; i < text.size() && IsDigit(text[i]); ++i, any_digit = true) digits += text[i];
  if (i < text.size() && text[i] == '.') {
    for (++i; i < text.size() && IsDigit(text[i]); ++i, ++scale, any_digit = true) {
      digits += text[i];
    }
  }
  if (!any_digit || i != text.size()) return false;

  // Keep the significant digits only.
  while (scale > 0 && digits.back() == '0') {
    digits.pop_back();
    --scale;
  }
  const size_t first = digits.find_first_not_of('0');
  if (first == std::string::npos) {
    out = Bcd();
    return true;
  }
  digits.erase(0, first);
  if (digits.size() > static_cast<size_t>(kMaxDigits)) return false;
  out = FromParts(negative, std::move(digits), scale);
  return true;
}

Bcd Bcd::FromParts(bool negative, std::string digits, int scale) {
  Bcd b;
  b.negative_ = negative;
  b.digits_ = std::move(digits);
  b.scale_ = scale;
  return b;
}

std::string Bcd::ToString() const {
  const std::string_view digits = digits_;
  const auto scale = static_cast<size_t>(scale_);
  const size_t whole_len = scale >= digits.size() ? 0 : digits.size() - scale;
  std::string_view whole = digits.substr(0, whole_len);
  while (!whole.empty() && whole.front() == '0') whole.remove_prefix(1);
  std::string fraction(scale > digits.size() ? scale - digits.size() : 0, '0');
  fraction.append(digits.substr(whole_len));
  while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
  std::string out;
  if (negative_ && (!whole.empty() || !fraction.empty())) out.push_back('-');
  if (whole.empty()) {
    out.push_back('0');
  } else {
    out.append(whole);
  }
  if (!fraction.empty()) {
    out.push_back('.');
    out.append(fraction);
  }
  return out;
}

const ClassInfo& TXSDecimal::StaticClass() {
  static const ClassInfo info = DescribeClass<TXSDecimal, TRemotableXS>("TXSDecimal", "XSBuiltIns");
  return info;
}

Bcd TXSDecimal::AsBcd() const {
  const std::string text = DecimalString.empty() ? "00" : DecimalString;
  if (text.find('E') != std::string::npos) {
    throw EXSDecimalException("Cannot convert scientific notation to TBcd value");
  }
  if (text.find("NAN") != std::string::npos) {
    throw EXSDecimalException("Cannot convert NAN to TBcd value");
  }
  if (CountCodePoints(text) > kMaxTextLength) {
    throw EXSDecimalException("Cannot convert to TBcd: string has more than 64 digits: " + text);
  }
  Bcd value;
  if (!Bcd::TryParse(text, value)) {
    throw EXSDecimalException("Invalid decimal string: ''" + text + "''");
  }
  return value;
}

void TXSDecimal::SetAsBcd(const Bcd& value) {
  if (value.Precision() == 0 || value.Precision() > kMaxDigits) {
    throw EXSDecimalException("Invalid Bcd Precision (" + std::to_string(value.Precision()) +
                              ") or Scale (" + std::to_string(value.Scale()) + ")");
  }
  DecimalString = value.ToString();
}

}  // namespace vorn
