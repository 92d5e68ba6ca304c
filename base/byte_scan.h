// Finding the bytes of a small class in text, 16 bytes at a time.
//
// ScanBlock answers, for a block of 16 bytes, which of them belong to a
// class of bytes: those below a bound (controls), those of 0x80 and above
// (not ASCII), and up to four listed bytes. The answer is a mask with bit i
// set for byte i, so a caller steps over a block with no member at once and
// finds the first member with std::countr_zero. With SSE2 a block costs a
// few instructions; elsewhere eight bytes are tested at a time in a 64-bit
// word, with the same answer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vorn {

// A class of bytes that a scan looks for: every byte below `below` (0: none;
// at most 0x80), every byte of 0x80 and above when `non_ascii` is set, and
// the first `listed_count` bytes of `listed`.
struct ByteClass {
  unsigned char below = 0;
  bool non_ascii = false;
  char listed[4] = {};
  int listed_count = 0;

  constexpr bool Contains(unsigned char b) const {
    if (b < below || (non_ascii && b >= 0x80)) return true;
    for (int i = 0; i < listed_count; ++i) {
      if (b == static_cast<unsigned char>(listed[i])) return true;
    }
    return false;
  }
};

inline constexpr size_t kScanBlock = 16;

namespace internal {

// Bit 7 of each byte of the result is set when that byte of `word` is in
// the class; the other bits are clear. No byte carries into the next.
template <ByteClass kClass>
constexpr uint64_t MembersOfWord(uint64_t word) {
  static_assert(kClass.below <= 0x80 && kClass.listed_count <= 4);
  constexpr uint64_t kOnes = 0x0101010101010101u;
  constexpr uint64_t kLow7 = kOnes * 0x7F;
  uint64_t high = 0;
  if constexpr (kClass.below > 0) {
    // (b & 0x7F) + (0x80 - below) stays below 0x80 for the low bytes only;
    // bytes of 0x80 and above are sorted out next.
    const uint64_t low = ~((word & kLow7) + kOnes * (0x80 - kClass.below)) & ~word;
    high |= low;
  }
  if constexpr (kClass.non_ascii) high |= word;
  [&]<size_t... I>(std::index_sequence<I...>) {
    // A listed byte is where word ^ (byte * ones) has a zero byte.
    ((high |= [](uint64_t x) { return ~(((x & kLow7) + kLow7) | x); }(
                  word ^ (kOnes * static_cast<unsigned char>(kClass.listed[I])))),
     ...);
  }
  (std::make_index_sequence<static_cast<size_t>(kClass.listed_count)>());
  return high & (kOnes * 0x80);
}

// Bit i (0 to 7) set when byte p[i] is in the class, whatever the machine's
// byte order.
template <ByteClass kClass>
constexpr unsigned MembersOf8(const char* p) {
  uint64_t word = 0;  // p[0] in the low byte
  for (int i = 0; i < 8; ++i) word |= uint64_t{static_cast<unsigned char>(p[i])} << (8 * i);
  // Gathers the eight top bits into the top byte, bit i from byte i.
  return static_cast<unsigned>(((MembersOfWord<kClass>(word) >> 7) * 0x0102040810204080u) >> 56);
}

}  // namespace internal

// The same mask as ScanBlock, computed without SIMD instructions.
template <ByteClass kClass>
constexpr unsigned ScanBlockPortable(const char* p) {
  return internal::MembersOf8<kClass>(p) | (internal::MembersOf8<kClass>(p + 8) << 8);
}

// Bit i (0 to 15) set when byte p[i] is in `kClass`. REQUIRES: 16 readable
// bytes at `p`.
template <ByteClass kClass>
inline unsigned ScanBlock(const char* p) {
#if defined(__SSE2__)
  static_assert(kClass.below <= 0x80 && kClass.listed_count <= 4);
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  __m128i hit = _mm_setzero_si128();
  if constexpr (kClass.below > 0 && kClass.non_ascii) {
    // Compared as signed, bytes 0x80 to 0xFF are negative: one comparison
    // finds both them and the bytes below the bound.
    hit = _mm_cmpgt_epi8(_mm_set1_epi8(static_cast<char>(kClass.below)), v);
  } else if constexpr (kClass.below > 0) {
    const __m128i last = _mm_set1_epi8(static_cast<char>(kClass.below - 1));
    hit = _mm_cmpeq_epi8(_mm_min_epu8(v, last), v);
  } else if constexpr (kClass.non_ascii) {
    hit = v;  // the top bit of each byte is the answer
  }
  [&]<size_t... I>(std::index_sequence<I...>) {
    ((hit = _mm_or_si128(hit, _mm_cmpeq_epi8(v, _mm_set1_epi8(kClass.listed[I])))), ...);
  }
  (std::make_index_sequence<static_cast<size_t>(kClass.listed_count)>());
  return static_cast<unsigned>(_mm_movemask_epi8(hit));
#else
  return ScanBlockPortable<kClass>(p);
#endif
}

}  // namespace vorn
