// Dates at midnight, date-times and base64 texts.
#include <gtest/gtest.h>

#include "fatturapa/value_texts.h"

namespace vorn::fatturapa {
namespace {

TEST(DateTexts, DatesTravelAsMidnight) {
  struct Case {
    const char* date;
    const char* midnight;
  };
  const Case cases[] = {
      {"2014-12-18", "2014-12-18T00:00:00"},   {"2024-02-29", "2024-02-29T00:00:00"},
      {"2014-12-18Z", "2014-12-18T00:00:00Z"}, {"2014-12-18+01:00", "2014-12-18T00:00:00+01:00"},
      {"12014-12-18", "12014-12-18T00:00:00"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DateToMidnight(c.date), c.midnight) << c.date;
    EXPECT_EQ(MidnightToDate(c.midnight), c.date) << c.midnight;
  }
  for (const char* bad : {"2014-12-1", "2014-13-01", "2023-02-29", "2014-12-18T00:00:00",
                          "14-12-18", "2014-12-18+15:00", "2014-12-18 ", "0000-01-01", ""}) {
    EXPECT_EQ(DateToMidnight(bad), std::nullopt) << bad;
  }
  // A date written from a date-time: midnight with or without a zero
  // fraction; a time of day has no place in a date.
  EXPECT_EQ(MidnightToDate("2014-12-18T00:00:00.000+01:00"), "2014-12-18+01:00");
  for (const char* bad : {"2014-12-18T10:00:00", "2014-12-18T00:00:00.001", "2014-12-18T00:00",
                          "2014-12-18T00:00:00.", "0001-01-01T00:00:00x"}) {
    EXPECT_EQ(MidnightToDate(bad), std::nullopt) << bad;
  }
}

TEST(DateTexts, DateTimes) {
  for (const char* good :
       {"2017-01-10T16:46:12.000+02:00", "2024-01-09T08:30:00", "2024-01-09T23:59:59Z"}) {
    EXPECT_TRUE(IsDateTime(good)) << good;
  }
  for (const char* bad : {"2017-01-10", "2017-01-10T24:00:01", "2017-01-10T16:46",
                          "2017-01-10T16:60:00", "2017-01-10T16:46:12.", "2017-01-10T16:46:12+2"}) {
    EXPECT_FALSE(IsDateTime(bad)) << bad;
  }
}

TEST(Base64Texts, StrictDecodingAndOneLineEncoding) {
  EXPECT_EQ(DecodeBase64Text("TWFu"), (TByteDynArray{'M', 'a', 'n'}));
  EXPECT_EQ(DecodeBase64Text("TW E=\r\n"), (TByteDynArray{'M', 'a'}));
  EXPECT_EQ(DecodeBase64Text("TQ=="), (TByteDynArray{'M'}));
  EXPECT_EQ(DecodeBase64Text(""), TByteDynArray{});
  for (const char* bad : {"TWF", "TQ=", "T===", "TQ==TWFu", "TW-u", "TQ=a", "=QQQ"}) {
    EXPECT_EQ(DecodeBase64Text(bad), std::nullopt) << bad;
  }
  TByteDynArray all;
  for (int i = 0; i < 256; ++i) all.push_back(static_cast<uint8_t>(i));
  for (size_t n : {0, 1, 2, 3, 100, 256}) {
    const TByteDynArray bytes(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(n));
    const std::string text = EncodeBase64Text(bytes);
    EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos);
    EXPECT_EQ(DecodeBase64Text(text), bytes);
  }
}

}  // namespace
}  // namespace vorn::fatturapa
