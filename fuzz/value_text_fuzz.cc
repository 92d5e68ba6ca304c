// Runs the value-text readers over the same input: integers, XML Schema
// date-times and decimals, floats, the parameter route's reader, and base64.
// Besides staying free of sanitizer reports, each must keep its stated
// behaviour:
// - the integer readers agree with a plain model of the accepted form;
// - a date-time read as UTC and written back reads as the same time;
// - a decimal's canonical text reads back to itself;
// - a float written out reads back to the same value;
// - base64 decodes what it encodes, in lines of at most 76 characters.
#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>

#include "base/integer_text.h"
#include "service/registry/type_info.h"
#include "service/registry/xs_datetime.h"
#include "service/registry/xs_decimal.h"
#include "soap/base64.h"
#include "soap/soap_errors.h"
#include "soap/value_text.h"

namespace {

// 128-bit integers, a compiler extension.
__extension__ using U128 = unsigned __int128;
__extension__ using I128 = __int128;

// `text` with bytes outside printable ASCII written as \xHH.
std::string Escaped(std::string_view text) {
  std::string out;
  for (char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0x20 && b < 0x7F && b != '\\') {
      out += c;
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", b);
      out += hex;
    }
  }
  return out;
}

[[noreturn]] void Fail(const char* what, std::string_view text, const std::string& detail = "") {
  std::fprintf(stderr, "check failed: %s\n--- text: \"%s\"\n--- %s\n", what, Escaped(text).c_str(),
               Escaped(detail).c_str());
  __builtin_trap();
}

// The accepted integer form, read straight from its description, for a
// signed type of `bits` bits.
bool ModelInteger(std::string_view t, int bits, int64_t& out) {
  size_t i = 0;
  while (i < t.size() && t[i] == ' ') ++i;
  bool negative = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
  std::string_view digits = t.substr(i);
  bool hex = true;
  if (digits.starts_with("0x") || digits.starts_with("0X")) {
    digits.remove_prefix(2);
  } else if (digits.starts_with("$") || digits.starts_with("x") || digits.starts_with("X")) {
    digits.remove_prefix(1);
  } else {
    hex = false;
  }
  if (digits.empty()) return false;
  const U128 modulus = static_cast<U128>(1) << bits;
  U128 v = 0;
  int significant = 0;
  for (char c : digits) {
    int d = -1;
    if (c >= '0' && c <= '9') d = c - '0';
    if (hex && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    if (hex && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    if (d < 0) return false;
    if (v != 0 || d != 0) ++significant;
    if (hex && significant > bits / 4) return false;
    v = v * (hex ? 16 : 10) + static_cast<unsigned>(d);
    if (!hex && v > modulus) v = modulus;  // saturate; only "too big" matters
  }
  if (!hex && v > (modulus / 2) - (negative ? 0 : 1)) return false;
  if (negative) v = (modulus - v) % modulus;
  // The low `bits` bits as a two's-complement value.
  const U128 half = modulus / 2;
  const I128 s =
      v >= half ? static_cast<I128>(v) - static_cast<I128>(modulus) : static_cast<I128>(v);
  out = static_cast<int64_t>(s);
  return true;
}

void CheckIntegers(std::string_view text) {
  int64_t model = 0, v64 = 7;
  const bool ok64 = vorn::TryStrToInt64(text, v64);
  if (ok64 != ModelInteger(text, 64, model) || (ok64 && v64 != model)) {
    Fail("TryStrToInt64 disagrees with the model", text,
         std::to_string(ok64) + " " + std::to_string(v64) + " vs " + std::to_string(model));
  }
  if (!ok64 && v64 != 7) Fail("TryStrToInt64 changed the value on failure", text);
  int32_t v32 = 7;
  const bool ok32 = vorn::TryStrToInt(text, v32);
  if (ok32 != ModelInteger(text, 32, model) || (ok32 && v32 != model)) {
    Fail("TryStrToInt disagrees with the model", text,
         std::to_string(ok32) + " " + std::to_string(v32) + " vs " + std::to_string(model));
  }
  try {
    if (vorn::StrToInt64(text) != v64 || !ok64) Fail("StrToInt64 differs", text);
  } catch (const vorn::EConvertError& e) {
    if (ok64) Fail("StrToInt64 threw on a valid text", text, e.Message());
    if (e.Message() != "''" + std::string(text) + "'' is not a valid integer value") {
      Fail("StrToInt64 message", text, e.Message());
    }
  }
}

void CheckDateTime(const std::string& text) {
  using vorn::DateTime;
  vorn::TXSDateTime dt;
  try {
    dt.XSToNative(text);
  } catch (const vorn::Exception&) {
    return;
  }
  if (dt.NativeToXS() != text) Fail("TXSDateTime does not keep its text", text);
  DateTime utc;
  try {
    (void)dt.AsDateTime();
    utc = dt.AsUTCDateTime();
  } catch (const vorn::Exception&) {
    return;
  }
  // Writing and reading back holds only for the years a date-time can hold.
  // The bounds are compared as day counts: a calendar year outside them
  // does not survive the conversion to year_month_day.
  using namespace std::chrono;
  static const local_days first{year{-32767} / January / 1};
  static const local_days last{year{32767} / December / 31};
  const local_days day = floor<days>(utc);
  if (day < first || day > last) return;
  vorn::TXSDateTime back;
  back.SetAsUTCDateTime(utc);
  try {
    if (back.AsUTCDateTime() != utc) {
      Fail("UTC date-time changes when written back", text, back.NativeToXS());
    }
  } catch (const vorn::Exception& e) {
    Fail("UTC date-time written back does not read", text, back.NativeToXS() + ": " + e.Report());
  }
}

void CheckDecimal(const std::string& text) {
  vorn::Bcd direct;
  if (vorn::Bcd::TryParse(text, direct)) {
    const std::string canonical = direct.ToString();
    vorn::Bcd again;
    if (!vorn::Bcd::TryParse(canonical, again) || again.ToString() != canonical ||
        again.Precision() != direct.Precision() || again.Scale() != direct.Scale()) {
      Fail("decimal canonical text does not read back", text, canonical);
    }
  }
  vorn::TXSDecimal d;
  d.XSToNative(text);
  try {
    const vorn::Bcd value = d.AsBcd();
    d.SetAsBcd(value);
    if (d.DecimalString != value.ToString()) Fail("SetAsBcd text", text, d.DecimalString);
  } catch (const vorn::Exception&) {
  }
}

void CheckFloat(std::string_view text) {
  double v = 0;
  if (!vorn::XSToFloat(text, v)) return;
  const std::string written = vorn::FloatToXS(v);
  double back = 0;
  if (!vorn::XSToFloat(written, back) || (std::isnan(v) ? !std::isnan(back) : back != v)) {
    Fail("float written out does not read back", text, written);
  }
}

void CheckParameterRoute(const std::string& text) {
  static const vorn::TypeInfo* const kTypes[] = {
      vorn::BooleanTypeInfo(), vorn::IntegerTypeInfo(), vorn::Int64TypeInfo(),
      vorn::DoubleTypeInfo(),  vorn::StringTypeInfo(),  vorn::ByteTypeInfo(),
      vorn::VariantTypeInfo(),
  };
  for (const vorn::TypeInfo* type : kTypes) {
    for (bool nil : {false, true}) {
      vorn::NativeValue value;
      try {
        vorn::CastSoapToNative(type, text, nil, value);
      } catch (const vorn::Exception&) {
      }
    }
  }
}

void CheckBase64(std::span<const uint8_t> bytes, std::string_view text) {
  const std::string encoded = vorn::EncodeBase64(bytes);
  size_t column = 0;
  for (size_t i = 0; i < encoded.size(); ++i) {
    if (encoded[i] == '\r') {
      if (column != 76 || i + 1 >= encoded.size() || encoded[i + 1] != '\n') {
        Fail("base64 line break", text, encoded);
      }
      column = 0;
      ++i;
    } else if (++column > 76) {
      Fail("base64 line longer than 76", text, encoded);
    }
  }
  if (column == 76) Fail("base64 full last line without CR LF", text, encoded);
  const vorn::TByteDynArray decoded = vorn::DecodeBase64(encoded);
  if (!std::equal(decoded.begin(), decoded.end(), bytes.begin(), bytes.end())) {
    Fail("base64 does not decode what it encodes", text, encoded);
  }
  const vorn::TByteDynArray loose = vorn::DecodeBase64(text);
  if (vorn::DecodeBase64(vorn::EncodeBase64(loose)) != loose) {
    Fail("base64 round trip of decoded text", text);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  CheckIntegers(text);
  CheckDateTime(text);
  CheckDecimal(text);
  CheckFloat(text);
  CheckParameterRoute(text);
  CheckBase64(std::span<const uint8_t>(data, size), text);
  return 0;
}
