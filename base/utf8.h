// UTF-8, read strictly, and the small text helpers built on it.
//
// Text inside the program is UTF-8. A sequence is valid as the standard
// defines it: overlong forms, surrogates (U+D800 to U+DFFF), values above
// U+10FFFF and truncated sequences are invalid.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vorn {

// Length (1 to 4) of the UTF-8 sequence at the start of `bytes` when it is
// valid, or 0 when it is invalid or truncated (or `bytes` is empty).
size_t Utf8SequenceLength(std::string_view bytes);

// Byte offset of the first byte of the first invalid UTF-8 sequence in
// `bytes`, or std::string_view::npos when all of it is valid.
size_t FindInvalidUtf8(std::string_view bytes);

// A character read from UTF-8.
struct Utf8Char {
  uint32_t code_point = 0;
  size_t length = 0;  // of its sequence, 1 to 4
};

// The character at the start of `bytes`; nothing when the sequence there is
// invalid or truncated, or `bytes` is empty.
std::optional<Utf8Char> DecodeUtf8(std::string_view bytes);

// Writes code point `cp` as UTF-8 at `out`, which has room for 4 bytes, and
// returns the end of what was written. A surrogate gets the three bytes its
// value gives; a value of 0x110000 or more is written in four bytes from its
// low 21 bits.
char* EncodeUtf8(uint32_t cp, char* out);

// Appends code point `cp` to `out`, encoded as EncodeUtf8 does.
void AppendUtf8(std::string& out, uint32_t cp);

// The number of characters of UTF-8 text: its bytes that are not
// continuation bytes (10xxxxxx). Exact for valid text.
size_t CountCodePoints(std::string_view utf8);

// The characters of `text`, at most `max_chars` of them, with every byte
// that does not start a valid sequence replaced by `replacement`; a replaced
// byte counts as one character.
std::string ReplaceInvalidUtf8(std::string_view text, std::string_view replacement,
                               size_t max_chars = std::string_view::npos);

}  // namespace vorn
