// TXSDateTime: a date-time carried as its XML Schema text, with conversion
// to and from a native date-time value in local time or UTC.
#pragma once

#include <chrono>
#include <string>

#include "service/registry/remotable.h"

namespace vorn {

// A native date-time: a calendar date and time of day with milliseconds,
// without a time zone (its meaning, local or UTC, is given by the call).
using DateTime = std::chrono::local_time<std::chrono::milliseconds>;

// The parts of a date-time text, as the parser reads them.
struct XSDateTimeParts {
  bool negative_year = false;
  int year = 0, month = 0, day = 0;
  int hour = 0, minute = 0, second = 0;
  std::string fraction;  // "." and the digits, or empty
  bool has_offset = false;
  bool offset_negative = false;
  int offset_hours = 0, offset_minutes = 0;
};

// Parses a date-time text: the date before the first "T", the time after it
// (no "T": midnight, no offset). Date: optional "-", year digits, then "-"
// and month digits, "-" and day digits, each optional; what follows the day
// is ignored. Time: hour digits, ":" minutes, ":" seconds, "." fraction
// digits, then "+"/"-" hour offset digits and optional ":" minutes; anything
// else after the time ("Z", a letter) is ignored. A part with at most one
// character left counts as ended, so a lone trailing separator is accepted.
// No range checks. Throws EXSDateTimeException "Invalid date string: <date
// part>" (also for a date part shorter than 4 characters), "Invalid time
// string: <time part>", "Hour Offset portion of time invalid" (":" after the
// offset hours without digits), or EConvertError for a digit group too long
// for 32 bits.
XSDateTimeParts ParseXSDateTime(const std::string& text);

// Minutes to add to local time to get UTC, at the moment of the call
// (negative when local time is ahead of UTC), from the C library's local time
// zone (TZ honoured; re-read on every call). 0 when it cannot be determined.
int LocalBiasMinutes();

// "yyyy-mm-ddThh:nn:ss.zzz" followed by the local offset ("+01:00", from
// LocalBiasMinutes) when `apply_local_offset` and the bias is not 0, else "Z".
std::string DateTimeToXMLTime(DateTime value, bool apply_local_offset);

class TXSDateTime : public Remotable<TXSDateTime, TRemotableXS> {
 public:
  static const ClassInfo& StaticClass();

  std::string NativeToXS() const override { return text_; }
  // Checks the text by parsing it (throws as ParseXSDateTime) and stores it
  // unchanged.
  void XSToNative(const std::string& text) override;

  // The text's time converted to local time (a text without offset, or with
  // "Z", is UTC); milliseconds are dropped. Throws as ParseXSDateTime, and
  // EConvertError "Invalid argument to date encode" / "Invalid argument to
  // time encode" when the parts name no valid date or time of day (month or
  // day 0, 30 February, hour 24...).
  DateTime AsDateTime() const;
  // Stores DateTimeToXMLTime(local, true).
  void SetAsDateTime(DateTime local);
  // The text's time minus its own offset, without the local bias. Throws as
  // AsDateTime.
  DateTime AsUTCDateTime() const;
  // Stores DateTimeToXMLTime(utc, false), ending in "Z".
  void SetAsUTCDateTime(DateTime utc);

 private:
  std::string text_ = "0001-01-01T00:00:00";
};

}  // namespace vorn
