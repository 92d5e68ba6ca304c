#include "fatturapa/value_texts.h"

#include <chrono>
#include <cstdint>

namespace vorn::fatturapa {
namespace {

bool Digits(std::string_view s, size_t from, size_t count) {
  if (from + count > s.size()) return false;
  for (size_t i = from; i < from + count; ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
  }
  return true;
}

int Number(std::string_view s, size_t from, size_t count) {
  int n = 0;
  for (size_t i = from; i < from + count; ++i) n = n * 10 + (s[i] - '0');
  return n;
}

// The length of a valid date at the start of `s` ("-"? yyyy+ "-" mm "-" dd),
// or 0.
size_t DateLength(std::string_view s) {
  size_t at = !s.empty() && s[0] == '-' ? 1 : 0;
  size_t year_digits = 0;
  while (at + year_digits < s.size() && s[at + year_digits] >= '0' && s[at + year_digits] <= '9') {
    ++year_digits;
  }
  if (year_digits < 4 || year_digits > 9) return 0;
  if (year_digits > 4 && s[at] == '0') return 0;  // no leading zeros beyond four digits
  const int year = Number(s, at, year_digits);
  at += year_digits;
  if (at + 6 > s.size() || s[at] != '-' || !Digits(s, at + 1, 2) || s[at + 3] != '-' ||
      !Digits(s, at + 4, 2)) {
    return 0;
  }
  const unsigned month = static_cast<unsigned>(Number(s, at + 1, 2));
  const unsigned day = static_cast<unsigned>(Number(s, at + 4, 2));
  // A year only matters for 29 February: any leap year stands for a negative one.
  const std::chrono::year_month_day ymd{std::chrono::year{s[0] == '-' ? 4 : year % 400 + 2000},
                                        std::chrono::month{month}, std::chrono::day{day}};
  if (year == 0 || !ymd.ok()) return 0;
  return at + 6;
}

// True when `s` is empty or a valid zone ("Z", "+hh:mm", "-hh:mm").
bool IsZone(std::string_view s) {
  if (s.empty() || s == "Z") return true;
  if (s.size() != 6 || (s[0] != '+' && s[0] != '-') || !Digits(s, 1, 2) || s[3] != ':' ||
      !Digits(s, 4, 2)) {
    return false;
  }
  const int hours = Number(s, 1, 2);
  const int minutes = Number(s, 4, 2);
  return minutes < 60 && (hours < 14 || (hours == 14 && minutes == 0));
}

// The length of a valid time "hh:mm:ss(.f+)?" at the start of `s`, or 0.
size_t TimeLength(std::string_view s) {
  if (s.size() < 8 || !Digits(s, 0, 2) || s[2] != ':' || !Digits(s, 3, 2) || s[5] != ':' ||
      !Digits(s, 6, 2)) {
    return 0;
  }
  if (Number(s, 0, 2) > 23 || Number(s, 3, 2) > 59 || Number(s, 6, 2) > 59) return 0;
  size_t at = 8;
  if (at < s.size() && s[at] == '.') {
    size_t digits = 0;
    while (at + 1 + digits < s.size() && s[at + 1 + digits] >= '0' && s[at + 1 + digits] <= '9') {
      ++digits;
    }
    if (digits == 0) return 0;
    at += 1 + digits;
  }
  return at;
}

constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int Sextet(char c) {
  const size_t at = kAlphabet.find(c);
  return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

}  // namespace

std::optional<std::string> DateToMidnight(std::string_view date) {
  const size_t n = DateLength(date);
  if (n == 0 || !IsZone(date.substr(n))) return std::nullopt;
  return std::string(date.substr(0, n)) + "T00:00:00" + std::string(date.substr(n));
}

std::optional<std::string> MidnightToDate(std::string_view date_time) {
  const size_t n = DateLength(date_time);
  if (n == 0) return std::nullopt;
  std::string_view rest = date_time.substr(n);
  if (rest.starts_with("T00:00:00")) {
    rest.remove_prefix(9);
    if (rest.starts_with('.')) {
      rest.remove_prefix(1);
      if (rest.empty() || rest[0] < '0' || rest[0] > '9') return std::nullopt;
      while (!rest.empty() && rest[0] == '0') rest.remove_prefix(1);
    }
  }
  if (!IsZone(rest)) return std::nullopt;
  return std::string(date_time.substr(0, n)) + std::string(rest);
}

bool IsDateTime(std::string_view text) {
  const size_t n = DateLength(text);
  if (n == 0 || n >= text.size() || text[n] != 'T') return false;
  const size_t t = TimeLength(text.substr(n + 1));
  return t != 0 && IsZone(text.substr(n + 1 + t));
}

std::optional<TByteDynArray> DecodeBase64Text(std::string_view text) {
  TByteDynArray out;
  out.reserve(text.size() / 4 * 3);
  uint32_t group = 0;
  int count = 0;    // sextets in the current group
  int padding = 0;  // "=" seen
  for (char c : text) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
    if (c == '=') {
      // Padding fills the third and fourth places of the last group only.
      if (count < 2) return std::nullopt;
      ++padding;
      ++count;
    } else {
      const int v = Sextet(c);
      if (v < 0 || padding > 0) return std::nullopt;
      group = (group << 6) | static_cast<uint32_t>(v);
      ++count;
    }
    if (count == 4) {
      group <<= 6 * padding;
      out.push_back(static_cast<uint8_t>(group >> 16));
      if (padding < 2) out.push_back(static_cast<uint8_t>(group >> 8));
      if (padding < 1) out.push_back(static_cast<uint8_t>(group));
      count = padding > 0 ? -1 : 0;  // nothing may follow a padded group
      group = 0;
    }
  }
  if (count != 0 && count != -1) return std::nullopt;
  return out;
}

std::string EncodeBase64Text(const TByteDynArray& bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    const uint32_t g = (uint32_t{bytes[i]} << 16) | (uint32_t{bytes[i + 1]} << 8) | bytes[i + 2];
    for (int s = 18; s >= 0; s -= 6) out.push_back(kAlphabet[(g >> s) & 63]);
  }
  if (i < bytes.size()) {
    const bool two = i + 1 < bytes.size();
    const uint32_t g = (uint32_t{bytes[i]} << 16) | (two ? uint32_t{bytes[i + 1]} << 8 : 0);
    out.push_back(kAlphabet[(g >> 18) & 63]);
    out.push_back(kAlphabet[(g >> 12) & 63]);
    out.push_back(two ? kAlphabet[(g >> 6) & 63] : '=');
    out.push_back('=');
  }
  return out;
}

}  // namespace vorn::fatturapa
