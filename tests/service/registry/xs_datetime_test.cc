#include "service/registry/xs_datetime.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "base/exception.h"
#include "service/registry/xs_errors.h"

namespace vorn {
namespace {

using namespace std::chrono;

// Sets TZ for the life of the object and restores the previous value.
class LocalZone {
 public:
  explicit LocalZone(const char* tz) {
    if (const char* old = std::getenv("TZ")) old_ = old;
    setenv("TZ", tz, 1);
    tzset();
  }
  ~LocalZone() {
    if (old_) {
      setenv("TZ", old_->c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }
  LocalZone(const LocalZone&) = delete;
  LocalZone& operator=(const LocalZone&) = delete;

 private:
  std::optional<std::string> old_;
};

DateTime At(int y, unsigned mo, unsigned d, int h, int mi, int s, int ms = 0) {
  return DateTime(local_days{year{y} / mo / d}) + hours{h} + minutes{mi} + seconds{s} +
         milliseconds{ms};
}

// The parts in one line: "[-]y-m-d h:m:s[fraction] [+|-]oh:om", or "none"
// for no offset.
std::string Show(const XSDateTimeParts& p) {
  std::string s = (p.negative_year ? "-" : "") + std::to_string(p.year) + "-" +
                  std::to_string(p.month) + "-" + std::to_string(p.day) + " " +
                  std::to_string(p.hour) + ":" + std::to_string(p.minute) + ":" +
                  std::to_string(p.second) + p.fraction + " ";
  if (!p.has_offset) return s + "none";
  return s + (p.offset_negative ? "-" : "+") + std::to_string(p.offset_hours) + ":" +
         std::to_string(p.offset_minutes);
}

TEST(XSDateTimeTest, ParsesAcceptedTexts) {
  const struct {
    std::string text;
    std::string parts;
  } cases[] = {
      {"2021-03-03", "2021-3-3 0:0:0 none"},
      {"21-03-03", "21-3-3 0:0:0 none"},  // a year below 100
      {"-0044-03-15", "-44-3-15 0:0:0 none"},
      {"2021", "2021-0-0 0:0:0 none"},
      {"2021-", "2021-0-0 0:0:0 none"},  // one character left: the end
      {"2021x03", "2021-0-0 0:0:0 none"},
      {"2021-03-03xyz", "2021-3-3 0:0:0 none"},
      {"2021-03-03T09", "2021-3-3 9:0:0 none"},
      {"2021-03-03T09:", "2021-3-3 9:0:0 none"},
      {"2021-03-03T09:15", "2021-3-3 9:15:0 none"},
      {"2021-03-03T09:15:30.123+01:30", "2021-3-3 9:15:30.123 +1:30"},
      {"2021-03-03T09:15:30-05:00", "2021-3-3 9:15:30 -5:0"},
      {"2021-03-03T09:15+02", "2021-3-3 9:15:0 +2:0"},
      {"2021-03-03T09:15:30+01:", "2021-3-3 9:15:30 +1:0"},
      {"2021-03-03T09:15:30Z", "2021-3-3 9:15:30 none"},
      {"2021-03-03T09:15:30x", "2021-3-3 9:15:30 none"},
      {"2021-03-03T09:15:30Z+01:00", "2021-3-3 9:15:30 none"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Show(ParseXSDateTime(c.text)), c.parts);
  }
}

TEST(XSDateTimeTest, RejectsInvalidTextsWithExactMessages) {
  const struct {
    std::string text;
    std::string report;  // class name and message
  } cases[] = {
      {"202", "EXSDateTimeException: Invalid date string: 202"},
      {"-202", "EXSDateTimeException: Invalid date string: 202"},
      {"", "EXSDateTimeException: Invalid date string: "},
      {"x021-03-03", "EXSDateTimeException: Invalid date string: x021-03-03"},
      {"2021-x3-03T10:00", "EXSDateTimeException: Invalid date string: 2021-x3-03"},
      {"2021-03-xx", "EXSDateTimeException: Invalid date string: 2021-03-xx"},
      {"2021-03-03T", "EXSDateTimeException: Invalid time string: "},
      {"2021-03-03Tx", "EXSDateTimeException: Invalid time string: x"},
      {"2021-03-03T10-05", "EXSDateTimeException: Invalid time string: 10-05"},
      {"2021-03-03T09:x5", "EXSDateTimeException: Invalid time string: 09:x5"},
      {"2021-03-03T09:15:x0", "EXSDateTimeException: Invalid time string: 09:15:x0"},
      {"2021-03-03T09:15:30.x", "EXSDateTimeException: Invalid time string: 09:15:30.x"},
      {"2021-03-03T09:15:30+x1", "EXSDateTimeException: Invalid time string: 09:15:30+x1"},
      {"2021-03-03T09:15:30+01:x0", "EXSDateTimeException: Hour Offset portion of time invalid"},
      {"99999999999-01-01", "EConvertError: ''99999999999'' is not a valid integer value"},
      {"2021-03-03T09:15:30+99999999999",
       "EConvertError: ''99999999999'' is not a valid integer value"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    TXSDateTime dt;
    dt.XSToNative("2000-01-01");
    try {
      dt.XSToNative(c.text);
      ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Report(), c.report);
    }
    EXPECT_EQ(dt.NativeToXS(), "2000-01-01");  // a rejected text is not stored
  }
}

TEST(XSDateTimeTest, StoresTheAcceptedTextUnchanged) {
  TXSDateTime dt;
  EXPECT_EQ(dt.NativeToXS(), "0001-01-01T00:00:00");
  for (const char* text : {"2021-03-03", "2021-03-03T09:15:30.5000Z", "21-3-3T9x"}) {
    dt.XSToNative(text);
    EXPECT_EQ(dt.NativeToXS(), text);
  }
}

TEST(XSDateTimeTest, SetAppliesTheLocalOffsetOnlyThroughAsDateTime) {
  LocalZone zone("CET-1");
  EXPECT_EQ(LocalBiasMinutes(), -60);
  TXSDateTime dt;
  dt.SetAsDateTime(At(2021, 3, 3, 9, 15, 30));
  EXPECT_EQ(dt.NativeToXS(), "2021-03-03T09:15:30.000+01:00");
  dt.SetAsUTCDateTime(At(2021, 3, 3, 9, 15, 30));
  EXPECT_EQ(dt.NativeToXS(), "2021-03-03T09:15:30.000Z");
}

TEST(XSDateTimeTest, FormatsTheOffsetOfEachZone) {
  const struct {
    const char* tz;
    std::string text;
  } cases[] = {
      {"UTC0", "0001-02-03T04:05:06.007Z"},
      {"EST5", "0001-02-03T04:05:06.007-05:00"},
      {"IST-5:30", "0001-02-03T04:05:06.007+05:30"},
      {"NST3:30", "0001-02-03T04:05:06.007-03:30"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tz);
    LocalZone zone(c.tz);
    EXPECT_EQ(DateTimeToXMLTime(At(1, 2, 3, 4, 5, 6, 7), true), c.text);
  }
}

TEST(XSDateTimeTest, ReadsTextsAsLocalAndAsUTC) {
  LocalZone zone("CET-1");
  const struct {
    std::string text;
    DateTime local, utc;
  } cases[] = {
      {"2021-03-03T09:15:30Z", At(2021, 3, 3, 10, 15, 30), At(2021, 3, 3, 9, 15, 30)},
      {"2021-03-03T09:15:30", At(2021, 3, 3, 10, 15, 30), At(2021, 3, 3, 9, 15, 30)},
      {"2021-03-03T09:15:30.999+01:00", At(2021, 3, 3, 9, 15, 30), At(2021, 3, 3, 8, 15, 30)},
      {"2021-03-03T23:15:30-05:30", At(2021, 3, 4, 5, 45, 30), At(2021, 3, 4, 4, 45, 30)},
      {"2021-03-03", At(2021, 3, 3, 1, 0, 0), At(2021, 3, 3, 0, 0, 0)},
      // Offsets are not range-checked; large ones must not overflow.
      {"2021-03-03T00:00:00+48:00", At(2021, 3, 1, 1, 0, 0), At(2021, 3, 1, 0, 0, 0)},
      {"0001-01-01T00:00:00-950060000",
       DateTime(At(1, 1, 1, 1, 0, 0) + std::chrono::hours{950060000}),
       DateTime(At(1, 1, 1, 0, 0, 0) + std::chrono::hours{950060000})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    TXSDateTime dt;
    dt.XSToNative(c.text);
    EXPECT_EQ(dt.AsDateTime(), c.local);
    EXPECT_EQ(dt.AsUTCDateTime(), c.utc);
  }

  // What SetAsDateTime writes reads back unchanged (milliseconds dropped).
  TXSDateTime dt;
  dt.SetAsDateTime(At(2021, 7, 1, 12, 0, 0, 250));
  EXPECT_EQ(dt.AsDateTime(), At(2021, 7, 1, 12, 0, 0));
}

TEST(XSDateTimeTest, AsDateTimeRejectsPartsThatNameNoDate) {
  const struct {
    std::string text;
    std::string message;
  } cases[] = {
      {"2021", "Invalid argument to date encode"},
      {"2021-02-29", "Invalid argument to date encode"},
      {"2021-13-01", "Invalid argument to date encode"},
      {"40000-01-01", "Invalid argument to date encode"},
      {"2021-03-03T24:00:00", "Invalid argument to time encode"},
      {"2021-03-03T10:60", "Invalid argument to time encode"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    TXSDateTime dt;
    dt.XSToNative(c.text);  // the parser checks no ranges
    try {
      dt.AsUTCDateTime();
      ADD_FAILURE() << "no exception";
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
  }
}

TEST(XSDateTimeTest, DateBeyondTheCalendarIsRefusedNotWrapped) {
  LocalZone zone("UTC0");
  TXSDateTime dt;
  dt.XSToNative("32767-12-31T23:00:00-01:00");
  const DateTime utc = dt.AsUTCDateTime();  // the first hour of year 32768
  try {
    dt.SetAsUTCDateTime(utc);
    ADD_FAILURE() << dt.NativeToXS();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Invalid argument to date encode");
  }
}

}  // namespace
}  // namespace vorn
