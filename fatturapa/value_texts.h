// The texts of dates, date-times and base64 bytes in a FatturaPA file, and
// how dates travel in the model: as date-times at midnight.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "service/registry/type_info.h"

namespace vorn::fatturapa {

// An xs:date text ("2014-12-18", optionally with a zone: "Z", "+01:00") as
// the date-time at midnight of that day, the zone kept:
// "2014-12-18T00:00:00", "2014-12-18T00:00:00+01:00". nullopt when the text
// is not a valid date.
std::optional<std::string> DateToMidnight(std::string_view date);

// The date of a date-time text at midnight, the inverse of DateToMidnight.
// Accepts a date alone ("2014-12-18") or a date-time whose time is
// 00:00:00, with or without a fraction of zeros ("T00:00:00.000"), the zone
// kept. nullopt for any other text: a time of day has no place in a date.
std::optional<std::string> MidnightToDate(std::string_view date_time);

// True when the text is a valid xs:dateTime ("2012-10-22T16:46:12.000+02:00").
bool IsDateTime(std::string_view text);

// The bytes of a base64 text: the standard alphabet with "=" padding; XML
// white space (space, tab, CR, LF) may stand anywhere and is skipped.
// nullopt for any other character, misplaced padding or a length that is
// not a multiple of four.
std::optional<TByteDynArray> DecodeBase64Text(std::string_view text);

// The base64 text of `bytes` on one line, with "=" padding.
std::string EncodeBase64Text(const TByteDynArray& bytes);

}  // namespace vorn::fatturapa
