#include "base/utf8.h"

#include <algorithm>
#include <bit>

#include "base/byte_scan.h"

namespace vorn {
namespace {

bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

}  // namespace

size_t Utf8SequenceLength(std::string_view bytes) {
  if (bytes.empty()) return 0;
  const auto b0 = static_cast<unsigned char>(bytes[0]);
  if (b0 < 0x80) return 1;
  size_t length = 0;
  unsigned char lo = 0x80, hi = 0xBF;  // range of the second byte
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    length = 2;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    length = 3;
    if (b0 == 0xE0) lo = 0xA0;  // no overlong forms
    if (b0 == 0xED) hi = 0x9F;  // no surrogates
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    length = 4;
    if (b0 == 0xF0) lo = 0x90;  // no overlong forms
    if (b0 == 0xF4) hi = 0x8F;  // nothing above U+10FFFF
  } else {
    return 0;
  }
  if (bytes.size() < length) return 0;
  const auto b1 = static_cast<unsigned char>(bytes[1]);
  if (b1 < lo || b1 > hi) return 0;
  for (size_t k = 2; k < length; ++k) {
    if (!IsContinuation(static_cast<unsigned char>(bytes[k]))) return 0;
  }
  return length;
}

size_t FindInvalidUtf8(std::string_view bytes) {
  const char* const data = bytes.data();
  const size_t size = bytes.size();
  size_t i = 0;
  while (i < size) {
    // Plain ASCII, the common case, is skipped a block at a time.
    if (size - i >= kScanBlock) {
      const unsigned non_ascii = ScanBlock<ByteClass{.non_ascii = true}>(data + i);
      if (non_ascii == 0) {
        i += kScanBlock;
        continue;
      }
      i += static_cast<size_t>(std::countr_zero(non_ascii));
    }
    if (static_cast<unsigned char>(data[i]) < 0x80) {
      ++i;
      continue;
    }
    const size_t n = Utf8SequenceLength(bytes.substr(i));
    if (n == 0) return i;
    i += n;
  }
  return std::string_view::npos;
}

std::optional<Utf8Char> DecodeUtf8(std::string_view bytes) {
  const size_t length = Utf8SequenceLength(bytes);
  if (length == 0) return std::nullopt;
  const auto b0 = static_cast<unsigned char>(bytes[0]);
  // The lead byte keeps 7, 5, 4 or 3 bits of the value.
  uint32_t cp = length == 1 ? b0 : b0 & (0x7Fu >> length);
  for (size_t i = 1; i < length; ++i) {
    cp = (cp << 6) | (static_cast<unsigned char>(bytes[i]) & 0x3Fu);
  }
  return Utf8Char{cp, length};
}

char* EncodeUtf8(uint32_t cp, char* out) {
  if (cp < 0x80) {
    *out++ = static_cast<char>(cp);
  } else if (cp < 0x800) {
    *out++ = static_cast<char>(0xC0 | (cp >> 6));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    *out++ = static_cast<char>(0xE0 | (cp >> 12));
    *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    *out++ = static_cast<char>(0xF0 | ((cp >> 18) & 0x07));
    *out++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  }
  return out;
}

void AppendUtf8(std::string& out, uint32_t cp) {
  char buffer[4];
  out.append(buffer, EncodeUtf8(cp, buffer));
}

size_t CountCodePoints(std::string_view utf8) {
  return static_cast<size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
    return !IsContinuation(static_cast<unsigned char>(c));
  }));
}

std::string ReplaceInvalidUtf8(std::string_view text, std::string_view replacement,
                               size_t max_chars) {
  std::string out;
  size_t i = 0;
  if (max_chars == std::string_view::npos) {
    // Valid text, the usual case, is copied in one piece up to the first
    // invalid byte.
    i = std::min(FindInvalidUtf8(text), text.size());
    out.assign(text.substr(0, i));
  }
  for (size_t chars = 0; i < text.size() && chars < max_chars; ++chars) {
    const size_t n = Utf8SequenceLength(text.substr(i));
    if (n == 0) {
      out += replacement;
      ++i;
    } else {
      out.append(text.substr(i, n));
      i += n;
    }
  }
  return out;
}

}  // namespace vorn
