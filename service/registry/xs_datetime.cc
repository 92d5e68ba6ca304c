#include "service/registry/xs_datetime.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string_view>

#include "base/exception.h"
#include "base/integer_text.h"
#include "base/utf8.h"
#include "service/registry/xs_errors.h"

namespace vorn {
namespace {

using namespace std::chrono;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A read position in one part of a date-time text.
class Cursor {
 public:
  explicit Cursor(std::string_view s) : s_(s) {}
  // "At the end": at most one character is left, so a lone separator at the
  // end of a part is tolerated.
  bool AtEnd() const { return s_.size() - pos_ <= 1; }
  bool Next(char c) const { return pos_ < s_.size() && s_[pos_] == c; }
  bool NextIsDigit() const { return pos_ < s_.size() && IsDigit(s_[pos_]); }
  char Take() { return s_[pos_++]; }
  // Reads one or more digits as a 32-bit integer; false when there is none.
  // Throws EConvertError when the group is too long for 32 bits.
  bool Digits(int& value) {
    const size_t start = pos_;
    while (NextIsDigit()) ++pos_;
    if (pos_ == start) return false;
    value = StrToInt(s_.substr(start, pos_ - start));
    return true;
  }
  std::string_view DigitText() {
    const size_t start = pos_;
    while (NextIsDigit()) ++pos_;
    return s_.substr(start, pos_ - start);
  }

 private:
  std::string_view s_;
  size_t pos_ = 0;
};

// Month or day: nothing at the end; "-" and digits; or 0 with nothing read.
bool ReadDateField(Cursor& c, int& value) {
  value = 0;
  if (c.AtEnd() || !c.Next('-')) return true;
  c.Take();
  return c.Digits(value);
}

void ParseDate(std::string_view date, XSDateTimeParts& p) {
  if (!date.empty() && date.front() == '-') {
    p.negative_year = true;
    date.remove_prefix(1);
  }
  const auto fail = [date] {
    throw EXSDateTimeException("Invalid date string: " + std::string(date));
  };
  if (CountCodePoints(date) < 4) fail();
  Cursor c(date);
  if (!c.Digits(p.year)) fail();
  if (!ReadDateField(c, p.month)) fail();
  if (!ReadDateField(c, p.day)) fail();
  // Whatever follows the day is ignored.
}

[[noreturn]] void FailTime(std::string_view time) {
  throw EXSDateTimeException("Invalid time string: " + std::string(time));
}

// The offset after the sign: hours, then optionally ":" and minutes.
void ParseOffset(Cursor& c, XSDateTimeParts& p, std::string_view time) {
  p.has_offset = true;
  p.offset_negative = c.Take() == '-';
  if (!c.NextIsDigit()) FailTime(time);
  c.Digits(p.offset_hours);
  if (c.AtEnd() || !c.Next(':')) return;
  c.Take();
  if (!c.Digits(p.offset_minutes)) {
    throw EXSDateTimeException("Hour Offset portion of time invalid");
  }
}

void ParseTime(std::string_view time, XSDateTimeParts& p) {
  Cursor c(time);
  if (!c.Digits(p.hour)) FailTime(time);
  if (!c.AtEnd()) {
    if (!c.Next(':')) FailTime(time);
    c.Take();
    if (!c.Digits(p.minute)) FailTime(time);
  }
  if (!c.AtEnd() && c.Next(':')) {
    c.Take();
    if (!c.Digits(p.second)) FailTime(time);
  }
  if (c.Next('.')) {
    c.Take();
    const std::string_view digits = c.DigitText();
    if (digits.empty()) FailTime(time);
    p.fraction.reserve(digits.size() + 1);
    p.fraction.push_back('.');
    p.fraction.append(digits);
  }
  if (c.Next('+') || c.Next('-')) ParseOffset(c, p, time);
  // Anything else ("Z", a letter, the end) means no offset; the rest is
  // ignored.
}

// The date and time of the parts, without their offset. Throws EConvertError
// when they name no valid date or time of day.
local_seconds ComposeDateTime(const XSDateTimeParts& p) {
  const int y = p.negative_year ? -p.year : p.year;
  const bool in_range =
      y >= -32767 && y <= 32767 && p.month >= 1 && p.month <= 12 && p.day >= 1 && p.day <= 31;
  if (!in_range) throw EConvertError("Invalid argument to date encode");
  const year_month_day ymd{year{y}, month{static_cast<unsigned>(p.month)},
                           day{static_cast<unsigned>(p.day)}};
  if (!ymd.ok()) throw EConvertError("Invalid argument to date encode");
  if (p.hour > 23 || p.minute > 59 || p.second > 59) {
    throw EConvertError("Invalid argument to time encode");
  }
  return local_days{ymd} + hours{p.hour} + minutes{p.minute} + seconds{p.second};
}

// The text's own offset from UTC in minutes (positive east of UTC).
// 64-bit: the digit groups may hold any 32-bit value.
int64_t OffsetMinutes(const XSDateTimeParts& p) {
  const int64_t m = int64_t{p.offset_hours} * 60 + p.offset_minutes;
  return p.offset_negative ? -m : m;
}

}  // namespace

XSDateTimeParts ParseXSDateTime(const std::string& text) {
  XSDateTimeParts p;
  const size_t t = text.find('T');
  const std::string_view whole = text;
  ParseDate(whole.substr(0, t), p);
  if (t != std::string::npos) ParseTime(whole.substr(t + 1), p);
  return p;
}

int LocalBiasMinutes() {
  // tzset() picks up a TZ changed since the last call; localtime_r alone need
  // not.
  tzset();
  const time_t now = time(nullptr);
  struct tm local {};
  if (now == static_cast<time_t>(-1) || localtime_r(&now, &local) == nullptr) return 0;
  return -static_cast<int>(local.tm_gmtoff / 60);
}

std::string DateTimeToXMLTime(DateTime value, bool apply_local_offset) {
  const auto day_start = floor<days>(value);
  const year_month_day ymd{day_start};
  // Years beyond +-32767 have no calendar form here: an error, not a wrong year.
  if (!ymd.ok()) throw EConvertError("Invalid argument to date encode");
  const hh_mm_ss<milliseconds> hms{value - day_start};
  char buf[64];
  int n = std::snprintf(
      buf, sizeof buf, "%.4d-%.2u-%.2uT%.2d:%.2d:%.2d.%.3d", static_cast<int>(ymd.year()),
      static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()),
      static_cast<int>(hms.hours().count()), static_cast<int>(hms.minutes().count()),
      static_cast<int>(hms.seconds().count()), static_cast<int>(hms.subseconds().count()));
  std::string out(buf, static_cast<size_t>(std::max(n, 0)));
  const int bias = LocalBiasMinutes();
  if (!apply_local_offset || bias == 0) return out + "Z";
  const int a = std::abs(bias);
  n = std::snprintf(buf, sizeof buf, "%s%.2d:%.2d", bias < 0 ? "+" : "-", a / 60, a % 60);
  return out + std::string(buf, static_cast<size_t>(std::max(n, 0)));
}

const ClassInfo& TXSDateTime::StaticClass() {
  static const ClassInfo info =
      DescribeClass<TXSDateTime, TRemotableXS>("TXSDateTime", "XSBuiltIns");
  return info;
}

void TXSDateTime::XSToNative(const std::string& text) {
  ParseXSDateTime(text);
  text_ = text;
}

DateTime TXSDateTime::AsDateTime() const {
  const XSDateTimeParts p = ParseXSDateTime(text_);
  // UTC is the text's time minus its offset; local time is UTC minus the bias.
  const int64_t b = LocalBiasMinutes() + OffsetMinutes(p);
  return DateTime(ComposeDateTime(p) - minutes{b});
}

void TXSDateTime::SetAsDateTime(DateTime local) { text_ = DateTimeToXMLTime(local, true); }

DateTime TXSDateTime::AsUTCDateTime() const {
  const XSDateTimeParts p = ParseXSDateTime(text_);
  return DateTime(ComposeDateTime(p) - minutes{OffsetMinutes(p)});
}

void TXSDateTime::SetAsUTCDateTime(DateTime utc) { text_ = DateTimeToXMLTime(utc, false); }

}  // namespace vorn
