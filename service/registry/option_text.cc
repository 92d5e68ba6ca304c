#include "service/registry/option_text.h"

namespace vorn {
namespace {

// Characters with code 32 or less separate the parts of an option text.
bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool IsQuote(char c) { return c == '"' || c == '\'' || c == '`'; }

// True when `name` stands at `pos`, followed (before `end`) by a blank or "=".
bool NameAt(std::string_view text, size_t pos, size_t end, std::string_view name) {
  if (pos + name.size() >= end) return false;
  if (text.compare(pos, name.size(), name) != 0) return false;
  const char next = text[pos + name.size()];
  return IsBlank(next) || next == '=';
}

}  // namespace

bool GetRegInfo(std::string_view text, std::string_view name, std::string& value) {
  if (text.size() < 3 || text.front() != '[' || text.back() != ']') return false;
  const size_t end = text.size() - 1;  // the final "]"
  size_t pos = 1;
  auto skip_blanks = [&] {
    while (pos < end && IsBlank(text[pos])) ++pos;
  };
  for (;;) {
    skip_blanks();
    const bool match = NameAt(text, pos, end, name);
    if (match) {
      pos += name.size();
    } else {
      // Only letters make up a name: any other character stops here and
      // fails at the "=" check below.
      while (pos < end && IsAsciiLetter(text[pos])) ++pos;
    }
    skip_blanks();
    if (pos >= end || text[pos] != '=') return false;
    ++pos;
    skip_blanks();
    if (pos >= end || !IsQuote(text[pos])) return false;
    const size_t start = pos + 1;
    const size_t close = text.find(text[pos], start);
    if (close == std::string_view::npos || close >= end) return false;
    if (match) {
      value.assign(text.substr(start, close - start));
      return true;
    }
    pos = close + 1;
    while (pos < end && (IsBlank(text[pos]) || text[pos] == ',')) ++pos;
    if (pos >= end) return false;
  }
}

}  // namespace vorn
