// Reading signed integers from text.
//
// Accepted form: optional leading blanks (U+0020 only), an optional "+" or
// "-", then either decimal digits or a hexadecimal prefix ("$", "x", "X",
// "0x", "0X") followed by hexadecimal digits (either case). At least one digit
// is required and nothing may follow the last digit, not even a blank.
//
// Decimal values must lie in the signed range of the target type. Hexadecimal
// values may have at most 16 (64-bit) or 8 (32-bit) significant digits,
// leading zeros not counted; the bit pattern is taken as a two's-complement
// value and a "-" sign then negates it, so "$FFFFFFFFFFFFFFFF" is -1 and
// "-$10" is -16.
#pragma once

#include <cstdint>
#include <string_view>

namespace vorn {

// Return true and set `value` when `text` is an integer of the form above;
// otherwise return false and leave `value` unchanged. Never throws.
bool TryStrToInt64(std::string_view text, int64_t& value);
bool TryStrToInt(std::string_view text, int32_t& value);

// The same, returning the value. Throws EConvertError
// "''<text>'' is not a valid integer value" with `text` exactly as given.
int64_t StrToInt64(std::string_view text);
int32_t StrToInt(std::string_view text);

}  // namespace vorn
