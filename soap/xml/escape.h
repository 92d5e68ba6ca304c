// Escaping text and attribute values for markup. Internal to the XML layer.
//
// Text escapes <, >, & and CR; an attribute value also ", LF and tab. CR is
// written as a character reference so that it survives parsing. Everything
// else, non-ASCII characters included, is written as it is.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "base/byte_scan.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vorn::xml {

// Replacement text per byte (size 0: the byte is written as it is). Each
// entry is padded to 8 bytes so that it is stored with one fixed-size copy.
struct Escape {
  char text[8];
  uint8_t size;
};
using EscapeTable = std::array<Escape, 256>;

constexpr EscapeTable MakeEscapeTable(bool attribute) {
  EscapeTable t{};
  const auto set = [&t](unsigned char c, std::string_view text) {
    for (size_t i = 0; i < text.size(); ++i) t[c].text[i] = text[i];
    t[c].size = static_cast<uint8_t>(text.size());
  };
  set('<', "&lt;");
  set('>', "&gt;");
  set('&', "&amp;");
  set('\r', "&#13;");
  if (attribute) {
    set('"', "&quot;");
    set('\n', "&#10;");
    set('\t', "&#9;");
  }
  return t;
}
inline constexpr EscapeTable kTextEscapes = MakeEscapeTable(false);
inline constexpr EscapeTable kAttributeEscapes = MakeEscapeTable(true);

// The longest escape, and the room that one block step of EscapeText needs.
inline constexpr size_t kLongestEscape = 5;
inline constexpr size_t kEscapeBlockRoom = kScanBlock + sizeof(Escape::text);

namespace internal {

// The bytes that text escapes, for scanning a block at a time, and the two
// halves of them by the length their escape adds (3 and 4 bytes).
inline constexpr ByteClass kTextSpecials{.listed = {'<', '>', '&', '\r'}, .listed_count = 4};

constexpr bool ScanMatchesTable(const ByteClass& scanned, const EscapeTable& table) {
  for (int b = 0; b < 256; ++b) {
    if (scanned.Contains(static_cast<unsigned char>(b)) != (table[b].size != 0)) return false;
  }
  return true;
}
static_assert(ScanMatchesTable(kTextSpecials, kTextEscapes));
static_assert(kTextEscapes['<'].size == 4 && kTextEscapes['>'].size == 4);
static_assert(kTextEscapes['&'].size == 5 && kTextEscapes['\r'].size == 5);

}  // namespace internal

// Writes the escape of `c` at `w` (8 bytes of room) and returns the end.
inline char* PutEscape(const EscapeTable& table, unsigned char c, char* w) {
  const Escape& e = table[c];
  std::memcpy(w, e.text, sizeof e.text);
  return w + e.size;
}

// The size of `text` once escaped as text content: its size, plus 3 for
// each < and >, plus 4 for each & and CR. With SSE2 the specials are counted
// 16 bytes a step in byte counters, which are added up every 255 steps.
inline uint64_t EscapedTextSize(std::string_view text) {
  const char* p = text.data();
  const char* const end = p + text.size();
  uint64_t extra = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const __m128i lt = _mm_set1_epi8('<'), gt = _mm_set1_epi8('>');
  const __m128i amp = _mm_set1_epi8('&'), cr = _mm_set1_epi8('\r');
  while (end - p >= static_cast<ptrdiff_t>(kScanBlock)) {
    __m128i three = zero, four = zero;  // per byte lane: how many, at most 255
    const ptrdiff_t steps = std::min<ptrdiff_t>((end - p) / kScanBlock, 255);
    for (ptrdiff_t i = 0; i < steps; ++i, p += kScanBlock) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      three = _mm_sub_epi8(three, _mm_or_si128(_mm_cmpeq_epi8(v, lt), _mm_cmpeq_epi8(v, gt)));
      four = _mm_sub_epi8(four, _mm_or_si128(_mm_cmpeq_epi8(v, amp), _mm_cmpeq_epi8(v, cr)));
    }
    const __m128i sum3 = _mm_sad_epu8(three, zero);  // two 64-bit sums each
    const __m128i sum4 = _mm_sad_epu8(four, zero);
    extra += 3 * (static_cast<uint64_t>(_mm_cvtsi128_si64(sum3)) +
                  static_cast<uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(sum3, sum3))));
    extra += 4 * (static_cast<uint64_t>(_mm_cvtsi128_si64(sum4)) +
                  static_cast<uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(sum4, sum4))));
  }
#endif
  for (; p < end; ++p) {
    const uint8_t size = kTextEscapes[static_cast<unsigned char>(*p)].size;
    extra += size > 0 ? size - 1u : 0u;
  }
  return text.size() + extra;
}

// Escapes text content from `in` into [w, end) until the input ends or the
// next byte's escape does not fit; returns the input consumed and advances
// `w`. A block without <, >, & or CR is copied 16 bytes at a time.
inline size_t EscapeText(std::string_view in, char*& w, char* const end) {
  const auto* p = reinterpret_cast<const unsigned char*>(in.data());
  const unsigned char* const in_end = p + in.size();
  char* out = w;
  while (in_end - p >= static_cast<ptrdiff_t>(kScanBlock) &&
         end - out >= static_cast<ptrdiff_t>(kEscapeBlockRoom)) {
    const char* block = reinterpret_cast<const char*>(p);
    const unsigned mask = ScanBlock<internal::kTextSpecials>(block);
    std::memcpy(out, block, kScanBlock);
    if (mask == 0) {
      p += kScanBlock;
      out += kScanBlock;
      continue;
    }
    const int k = std::countr_zero(mask);
    p += k;
    out += k;
    out = PutEscape(kTextEscapes, *p++, out);
  }
  for (; p < in_end; ++p) {
    const Escape& e = kTextEscapes[*p];
    if (e.size == 0) {
      if (out == end) break;
      *out++ = static_cast<char>(*p);
    } else {
      if (end - out < e.size) break;
      std::memcpy(out, e.text, e.size);
      out += e.size;
    }
  }
  w = out;
  return static_cast<size_t>(p - reinterpret_cast<const unsigned char*>(in.data()));
}

// Appends `value` escaped as an attribute value to `out`.
template <class String>
void AppendAttributeValue(String& out, std::string_view value) {
  for (const char c : value) {
    const Escape& e = kAttributeEscapes[static_cast<unsigned char>(c)];
    if (e.size == 0) {
      out += c;
    } else {
      out.append(e.text, e.size);
    }
  }
}

}  // namespace vorn::xml
