// TXSDecimal: a decimal number carried as its XML Schema text, and Bcd, the
// exact fixed-point decimal of up to 64 digits that AsBcd converts to.
#pragma once

#include <string>
#include <string_view>

#include "service/registry/remotable.h"

namespace vorn {

// An exact decimal: sign, digits and scale (digits after the point), so the
// value is digits x 10^-scale. Precision is the number of digits held. The
// default value is zero with precision 1.
class Bcd {
 public:
  Bcd() = default;
  // Parses a decimal text with "." as separator: an optional sign, then
  // digits with an optional fraction ("1", "-1.50", "1.", ".5"); nothing
  // before or after, not even blanks. The result holds the significant digits
  // only (no leading zeros, no trailing zeros in the fraction; zero is "0").
  // Returns false, leaving `out` unchanged, for any other text or for more
  // than 64 significant digits.
  static bool TryParse(std::string_view text, Bcd& out);
  // Builds a number from its parts, kept as given (zeros included, so the
  // precision may be 0 or above 64). REQUIRES: digits are '0'..'9', scale >= 0.
  static Bcd FromParts(bool negative, std::string digits, int scale);

  // Decimal form with "." as separator: no exponent, no leading zeros before
  // the units digit, no trailing zeros in the fraction, no point for whole
  // numbers, "0" for zero (whatever the sign).
  std::string ToString() const;
  int Precision() const { return static_cast<int>(digits_.size()); }
  int Scale() const { return scale_; }
  bool Negative() const { return negative_; }
  // Equal values compare equal whatever zeros their parts carry.
  friend bool operator==(const Bcd& a, const Bcd& b) { return a.ToString() == b.ToString(); }

 private:
  bool negative_ = false;
  std::string digits_ = "0";  // most significant first
  int scale_ = 0;
};

class TXSDecimal : public Remotable<TXSDecimal, TRemotableXS> {
 public:
  static const ClassInfo& StaticClass();

  // The text, unchanged, in both directions; no check is made.
  std::string NativeToXS() const override { return DecimalString; }
  void XSToNative(const std::string& text) override { DecimalString = text; }

  // The text as a number. Throws EXSDecimalException for an exponent, "NAN",
  // more than 66 characters, or a text that does not convert. An empty text
  // counts as "00".
  Bcd AsBcd() const;
  // Stores the number's decimal form. Throws EXSDecimalException
  // "Invalid Bcd Precision (%d) or Scale (%d)" for precision 0 or above 64.
  void SetAsBcd(const Bcd& value);

  std::string DecimalString;
};

}  // namespace vorn
