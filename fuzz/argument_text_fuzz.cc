// Reads arbitrary bytes as a command-line argument, and as the first line
// of a password given on standard input.
//
// The first input byte chooses the character set (bits 0-1) and whether the
// argument is secret (bit 2); the rest is the argument. A decoded argument
// must be valid UTF-8 holding only characters that XML allows (and, from
// UTF-8, the bytes given). A refused one must give one of the fixed
// messages, whose only variable parts are numbers and, for a non-secret
// argument, the character's code: no message may show an argument's text.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "base/utf8.h"
#include "cli/argument_text.h"
#include "cli/cli_errors.h"
#include "cli/locale_charset.h"
#include "cli/password_input.h"
#include "cli/xml_chars.h"

namespace {

constexpr std::string_view kWhat = "argument x";

[[noreturn]] void Fail(const char* what, std::string_view detail) {
  std::fprintf(stderr, "check failed: %s: %.*s\n", what, static_cast<int>(detail.size()),
               detail.data());
  __builtin_trap();
}

// Removes `prefix` from the start of `s`; false when it is not there.
bool Eat(std::string_view& s, std::string_view prefix) {
  if (!s.starts_with(prefix)) return false;
  s.remove_prefix(prefix.size());
  return true;
}

// Removes a run of decimal digits (at least one) and returns its value.
bool EatNumber(std::string_view& s, size_t& value) {
  size_t n = 0;
  value = 0;
  while (n < s.size() && s[n] >= '0' && s[n] <= '9') value = value * 10 + (s[n++] - '0');
  s.remove_prefix(n);
  return n > 0 && n < 12;
}

bool EatCodePoint(std::string_view& s) {
  if (!Eat(s, "U+")) return false;
  size_t n = 0;
  while (n < s.size() && ((s[n] >= '0' && s[n] <= '9') || (s[n] >= 'A' && s[n] <= 'F'))) ++n;
  s.remove_prefix(n);
  return n >= 4 && n <= 6;
}

void CheckMessage(std::string_view m, const std::string& charset, bool secret, size_t size) {
  const std::string_view whole = m;
  size_t at = 0;
  if (Eat(m, "Invalid " + charset + " byte sequence at byte offset ")) {
    if (!EatNumber(m, at) || at >= size || m != " of argument x") Fail("message", whole);
    return;
  }
  if (!Eat(m, "The character ")) Fail("message", whole);
  if (!secret && (!EatCodePoint(m) || !Eat(m, " "))) Fail("message", whole);
  if (!Eat(m, "at position ") || !EatNumber(m, at) || at == 0 || at > size ||
      m != " of argument x is not allowed in XML") {
    Fail("message", whole);
  }
}

void CheckText(const std::string& text, std::string_view bytes, const std::string& charset) {
  if (vorn::FindInvalidUtf8(text) != std::string_view::npos) Fail("invalid UTF-8", text);
  for (size_t i = 0; i < text.size();) {
    const size_t n = vorn::Utf8SequenceLength(std::string_view(text).substr(i));
    uint32_t cp = static_cast<unsigned char>(text[i]);
    if (n > 1) cp &= 0x7F >> n;
    for (size_t k = 1; k < n; ++k) cp = cp << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    if (!vorn::IsXmlChar(cp)) Fail("character XML does not allow", text);
    i += n;
  }
  if (vorn::IsUtf8Charset(charset) && text != bytes) Fail("UTF-8 argument changed", text);
}

void Decode(std::string_view bytes, const std::string& charset, bool secret) {
  try {
    CheckText(vorn::ArgumentText(bytes, kWhat, charset, secret), bytes, charset);
  } catch (const vorn::EArgumentError& e) {
    CheckMessage(e.Message(), charset, secret, bytes.size());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static const std::string kCharsets[] = {"UTF-8", "ISO-8859-1", "ISO-8859-15", "CP1252"};
  const std::string& charset = kCharsets[data[0] & 3];
  const bool secret = (data[0] & 4) != 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  Decode(bytes, charset, secret);
  // A password on standard input: its first line, always secret.
  const std::string_view line = vorn::FirstLine(bytes);
  if (line.size() > bytes.size() || line.find('\n') != std::string_view::npos ||
      bytes.substr(0, line.size()) != line) {
    Fail("first line", line);
  }
  Decode(line, charset, true);
  return 0;
}
