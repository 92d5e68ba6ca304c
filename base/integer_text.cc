#include "base/integer_text.h"

#include <string>

#include "base/exception.h"

namespace vorn {
namespace {

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads hexadecimal digits into a bit pattern of at most `max_digits`
// significant digits. Leading zeros do not count towards the limit.
bool ReadHex(std::string_view digits, int max_digits, uint64_t& bits) {
  if (digits.empty()) return false;
  uint64_t result = 0;
  int significant = 0;
  for (char c : digits) {
    const int d = HexDigitValue(c);
    if (d < 0) return false;
    if (result == 0 && d == 0) continue;
    if (++significant > max_digits) return false;
    result = (result << 4) | static_cast<uint64_t>(d);
  }
  bits = result;
  return true;
}

// Reads decimal digits into a magnitude no larger than `limit`.
bool ReadDecimal(std::string_view digits, uint64_t limit, uint64_t& magnitude) {
  if (digits.empty()) return false;
  uint64_t result = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return false;
    const auto d = static_cast<uint64_t>(c - '0');
    if (result > (limit - d) / 10) return false;
    result = result * 10 + d;
  }
  magnitude = result;
  return true;
}

// Parses `text` for a signed type of `bits` bits (32 or 64) and returns the
// value as the low `bits` bits of a uint64_t two's-complement pattern.
bool ParseInteger(std::string_view text, int bits, uint64_t& pattern) {
  size_t i = text.find_first_not_of(' ');
  if (i == std::string_view::npos) return false;
  bool negative = false;
  if (text[i] == '+' || text[i] == '-') negative = text[i++] == '-';
  std::string_view rest = text.substr(i);

  uint64_t value = 0;
  if (rest.starts_with('$') || rest.starts_with('x') || rest.starts_with('X')) {
    if (!ReadHex(rest.substr(1), bits / 4, value)) return false;
  } else if (rest.starts_with("0x") || rest.starts_with("0X")) {
    if (!ReadHex(rest.substr(2), bits / 4, value)) return false;
  } else {
    // The most negative value has one more unit of magnitude than the
    // most positive one.
    const uint64_t max_positive = (uint64_t{1} << (bits - 1)) - 1;
    if (!ReadDecimal(rest, max_positive + (negative ? 1 : 0), value)) return false;
  }
  // Unsigned negation wraps, which is exactly two's-complement negation.
  pattern = negative ? uint64_t{0} - value : value;
  return true;
}

[[noreturn]] void ThrowNotInteger(std::string_view text) {
  throw EConvertError("''" + std::string(text) + "'' is not a valid integer value");
}

}  // namespace

bool TryStrToInt64(std::string_view text, int64_t& value) {
  uint64_t pattern = 0;
  if (!ParseInteger(text, 64, pattern)) return false;
  value = static_cast<int64_t>(pattern);
  return true;
}

bool TryStrToInt(std::string_view text, int32_t& value) {
  uint64_t pattern = 0;
  if (!ParseInteger(text, 32, pattern)) return false;
  value = static_cast<int32_t>(static_cast<uint32_t>(pattern));
  return true;
}

int64_t StrToInt64(std::string_view text) {
  int64_t value = 0;
  if (!TryStrToInt64(text, value)) ThrowNotInteger(text);
  return value;
}

int32_t StrToInt(std::string_view text) {
  int32_t value = 0;
  if (!TryStrToInt(text, value)) ThrowNotInteger(text);
  return value;
}

}  // namespace vorn
