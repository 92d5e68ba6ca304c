#include "base/byte_scan.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace vorn {
namespace {

constexpr ByteClass kControlsAndNonAscii{.below = 0x20, .non_ascii = true};
constexpr ByteClass kNonAscii{.non_ascii = true};
constexpr ByteClass kMarkup{.listed = {'<', '>', '&', '\r'}, .listed_count = 4};
constexpr ByteClass kMixed{.below = 0x0A, .listed = {'"', '\xFF'}, .listed_count = 2};
constexpr ByteClass kUpToDel{.below = 0x80};

// The mask computed byte by byte from the class's own definition.
unsigned Reference(const ByteClass& c, const std::string& block) {
  unsigned mask = 0;
  for (size_t i = 0; i < kScanBlock; ++i) {
    if (c.Contains(static_cast<unsigned char>(block[i]))) mask |= 1u << i;
  }
  return mask;
}

template <ByteClass kClass>
void CheckClass(const char* name) {
  SCOPED_TRACE(name);
  // Every byte value at every position of a block of members and of
  // non-members: the neighbours must not change the answer.
  for (int value = 0; value < 256; ++value) {
    for (size_t at = 0; at < kScanBlock; ++at) {
      for (const char filler : {'a', '\x01', '\x80', '<'}) {
        std::string block(kScanBlock, filler);
        block[at] = static_cast<char>(value);
        const unsigned expected = Reference(kClass, block);
        ASSERT_EQ(ScanBlock<kClass>(block.data()), expected) << value << " at " << at;
        ASSERT_EQ(ScanBlockPortable<kClass>(block.data()), expected) << value << " at " << at;
      }
    }
  }
  std::mt19937 random(7);
  for (int round = 0; round < 2000; ++round) {
    std::string block(kScanBlock, '\0');
    for (char& b : block) b = static_cast<char>(random());
    const unsigned expected = Reference(kClass, block);
    ASSERT_EQ(ScanBlock<kClass>(block.data()), expected);
    ASSERT_EQ(ScanBlockPortable<kClass>(block.data()), expected);
  }
}

TEST(ByteScanTest, MaskMatchesTheClassForEveryByteAndPosition) {
  CheckClass<kControlsAndNonAscii>("controls and non-ASCII");
  CheckClass<kNonAscii>("non-ASCII");
  CheckClass<kMarkup>("listed bytes");
  CheckClass<kMixed>("bound and listed bytes");
  CheckClass<kUpToDel>("bound of 0x80");
}

}  // namespace
}  // namespace vorn
