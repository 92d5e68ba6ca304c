#include "soap/base64.h"

#include <array>

namespace vorn {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr size_t kLineLength = 76;

// Decoding table: the 6-bit value of an alphabet character, kPad for "=",
// kSkip for everything else.
constexpr uint8_t kPad = 64;
constexpr uint8_t kSkip = 255;

constexpr std::array<uint8_t, 256> MakeDecodeTable() {
  std::array<uint8_t, 256> t{};
  for (auto& v : t) v = kSkip;
  for (uint8_t i = 0; i < 64; ++i) t[static_cast<unsigned char>(kAlphabet[i])] = i;
  t['='] = kPad;
  return t;
}

constexpr std::array<uint8_t, 256> kDecode = MakeDecodeTable();

// Appends the four characters of one group, then CR LF when they complete a
// line. `column` counts the characters of the current line.
void PutGroup(std::string& out, const char (&group)[4], size_t& column) {
  out.append(group, 4);
  column += 4;
  if (column == kLineLength) {
    out += "\r\n";
    column = 0;
  }
}

}  // namespace

std::string EncodeBase64(std::span<const uint8_t> bytes) {
  const size_t groups = (bytes.size() + 2) / 3;
  std::string out;
  // 19 groups make one line of 76 characters.
  out.reserve(groups * 4 + (groups / 19) * 2);
  size_t column = 0;
  size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    const uint32_t n = (uint32_t{bytes[i]} << 16) | (uint32_t{bytes[i + 1]} << 8) | bytes[i + 2];
    const char group[4] = {kAlphabet[n >> 18], kAlphabet[(n >> 12) & 63], kAlphabet[(n >> 6) & 63],
                           kAlphabet[n & 63]};
    PutGroup(out, group, column);
  }
  const size_t rest = bytes.size() - i;
  if (rest > 0) {
    const uint32_t n = (uint32_t{bytes[i]} << 16) | (rest == 2 ? uint32_t{bytes[i + 1]} << 8 : 0);
    const char group[4] = {kAlphabet[n >> 18], kAlphabet[(n >> 12) & 63],
                           rest == 2 ? kAlphabet[(n >> 6) & 63] : '=', '='};
    PutGroup(out, group, column);
  }
  return out;
}

TByteDynArray DecodeBase64(std::string_view text) {
  TByteDynArray out;
  out.reserve(text.size() / 4 * 3 + 3);
  uint8_t quad[4];
  int filled = 0;
  for (char c : text) {
    const uint8_t v = kDecode[static_cast<unsigned char>(c)];
    if (v == kSkip) continue;
    quad[filled++] = v;
    if (filled < 4) continue;
    filled = 0;
    // A "=" in the first two places carries no bits; treat it as zero.
    const uint32_t n = (uint32_t{quad[0] & 63u} << 18) | (uint32_t{quad[1] & 63u} << 12) |
                       (quad[2] == kPad ? 0 : uint32_t{quad[2]} << 6) |
                       (quad[3] == kPad ? 0 : quad[3]);
    out.push_back(static_cast<uint8_t>(n >> 16));
    if (quad[2] == kPad) continue;
    out.push_back(static_cast<uint8_t>(n >> 8));
    if (quad[3] == kPad) continue;
    out.push_back(static_cast<uint8_t>(n));
  }
  return out;
}

}  // namespace vorn
