// Text forms of values: what the envelope writer puts into an element and
// what the response reader accepts from one.
//
// Two routes differ in small ways: the property route serves the properties
// of objects; the parameter route serves operation parameters of simple type
// and the entries of arrays of simple values.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "service/registry/remotable.h"
#include "service/registry/variant.h"

namespace vorn {

// A simple value on the parameter route: ordinals (integers, Booleans,
// enumerations, characters) and 64-bit integers as int64_t, floats as double,
// texts as std::string, variants as Variant. monostate: no value.
using NativeValue = std::variant<std::monostate, int64_t, double, std::string, Variant>;

// --- property route -------------------------------------------------------

// The text of property `prop` of `obj`: integers in decimal, Booleans
// "true"/"false", enumerations their identifier or its registered external
// text (empty for an ordinal outside the identifiers), floats as FloatToXS,
// characters as UTF-8, byte arrays as base64 (an empty array gives the empty
// text), variants as in CastNativeToSoap. A value class property gives its
// object's NativeToXS text (empty for a null object). Throws
// ESOAPDomConvertError "Internal error: data type kind <Kind>:(<type name>)
// cannot be converted to and from text" for a kind without a text form
// (other classes, arrays that are not byte arrays, variant arrays, sets...).
std::string GetObjectPropAsText(const TRemotable& obj, const PropInfo& prop);

// Sets property `prop` of `obj` from `text` through its setter. Nothing is
// trimmed; the caller passes "0" for a nil number and "" for other nil values.
// Throws EConvertError for integers ("''<text>'' is not a valid integer
// value") and floats ("''<text>'' is not a valid floating point value"),
// EPropertyConvertError "Invalid property element: <text>" for Booleans
// (anything but "true", "false", "1", "0" in any case) and enumerations (an
// empty text gives ordinal 0), EXSDateTimeException for date-time objects,
// ESOAPDomConvertError for kinds without a text form. A value class property
// creates its object when empty and stores it before the object takes the
// text, so a failing text leaves the new object in place. A variant property
// receives the text as a String variant.
void SetObjectPropFromText(TRemotable& obj, const PropInfo& prop, const std::string& text);

// --- parameter route --------------------------------------------------------

// The text of a simple value of type `type`, as on the property route.
// Variants: Booleans "1"/"0", numbers as their type, strings and date-times
// their text, empty and null the empty text (the writer makes them nil).
// `value` must hold the alternative of the type's kind; monostate counts as
// its zero value, any other alternative throws vorn::Exception. Throws
// ETypeTransException "Internal error: data type kind <Kind> cannot be
// converted to and from text" for a kind without a text form (classes and
// arrays included: the writer handles those itself).
std::string CastNativeToSoap(const TypeInfo* type, const NativeValue& value);

// Converts `text` (trimmed of spaces and control characters for numbers,
// Booleans and enumerations) to a value of `type` in `value`. Returns false,
// leaving `value` unchanged, when a number does not convert. An empty Boolean
// or enumeration text gives ordinal 0; one that names no value stores -1
// (all bits set, an invalid ordinal) and returns true. A nil value reads as
// the empty text, except that numbers read as 0 and variants as Null; other
// variants receive the text as a String. Characters take the first code
// point (0 for the empty text). Throws ETypeTransException for a kind without
// a text form.
bool CastSoapToNative(const TypeInfo* type, const std::string& text, bool is_nil,
                      NativeValue& value);

// --- floats -----------------------------------------------------------------

// The shortest text that reads back to `value`, with "." as separator whatever
// the locale ("0.1", "1e+20"); "NaN", "INF", "-INF" for the special values.
std::string FloatToXS(double value);
// Reads a decimal or exponent form (optional sign, no blanks) or "NaN", "INF",
// "-INF" in any case. Returns false, leaving `value` unchanged, for anything
// else or a value out of range.
bool XSToFloat(std::string_view text, double& value);

}  // namespace vorn
