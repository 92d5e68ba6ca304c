#include "soap/value_text.h"

#include <cassert>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <string_view>

#include "base/exception.h"
#include "base/integer_text.h"
#include "base/text_util.h"
#include "base/utf8.h"
#include "service/registry/type_registry.h"
#include "soap/base64.h"
#include "soap/soap_errors.h"

namespace vorn {
namespace {

// Ordinal stored on the parameter route for a Boolean or enumeration text
// that names no value: all bits set.
constexpr int64_t kInvalidOrdinal = ~int64_t{0};

enum class Route { Property, Parameter };

[[noreturn]] void ThrowNoTextForm(const TypeInfo* type, Route route) {
  const std::string kind(KindName(type->kind));
  if (route == Route::Parameter) {
    throw ETypeTransException("Internal error: data type kind " + kind +
                              " cannot be converted to and from text");
  }
  const std::string kind_and_type = kind + ":(" + std::string(type->name) + ") ";
  throw ESOAPDomConvertError("Internal error: data type kind " + kind_and_type +
                             " cannot be converted to and from text");
}

// Removes spaces and control characters (codes up to 32) from both ends.
std::string_view TrimControls(std::string_view s) {
  const auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

// A character value travels as its UTF-8 form; its ordinal is the code point.
std::string CharText(int64_t code) {
  std::string out;
  AppendUtf8(out, static_cast<uint32_t>(code));
  return out;
}

// The code point of the first character of `text`; 0 for the empty text. A
// byte that does not start a valid sequence counts as itself.
int64_t FirstCodePoint(std::string_view text) {
  if (text.empty()) return 0;
  if (const auto c = DecodeUtf8(text)) return c->code_point;
  return static_cast<unsigned char>(text[0]);
}

// "true"/"false" for Booleans; otherwise the identifier of the ordinal, or
// the external text registered for it. An ordinal outside the identifiers
// gives the empty text.
std::string EnumText(const TypeInfo* type, int64_t ord) {
  if (type->IsBoolean()) return ord != 0 ? "true" : "false";
  if (ord < 0 || static_cast<uint64_t>(ord) >= type->identifiers.size()) return "";
  return RemTypeRegistry().GetExternalPropName(type, type->identifiers[static_cast<size_t>(ord)]);
}

// The ordinal named by a non-empty text, or nothing. Booleans: "true"/"1",
// "false"/"0" in any case. Enumerations: a registered external text (exact),
// else an identifier in any case.
std::optional<int64_t> EnumOrdinal(const TypeInfo* type, std::string_view text) {
  if (type->IsBoolean()) {
    if (text == "1" || EqualsIgnoreCase(text, "true")) return 1;
    if (text == "0" || EqualsIgnoreCase(text, "false")) return 0;
    return std::nullopt;
  }
  const std::string name = RemTypeRegistry().GetInternalPropName(type, text);
  for (size_t i = 0; i < type->identifiers.size(); ++i) {
    if (EqualsIgnoreCase(type->identifiers[i], name)) return static_cast<int64_t>(i);
  }
  return std::nullopt;
}

// Property route: empty texts give ordinal 0 for enumerations and fail for
// Booleans.
int64_t PropertyEnumOrdinal(const TypeInfo* type, const std::string& text) {
  if (text.empty() && !type->IsBoolean()) return 0;
  if (const auto ord = EnumOrdinal(type, text)) return *ord;
  throw EPropertyConvertError("Invalid property element: " + text);
}

std::string VariantText(const Variant& v, Route route) {
  switch (v.kind()) {
    case Variant::Kind::Empty:
    case Variant::Kind::Null:
      return "";
    case Variant::Kind::Boolean:
      return v.AsBool() ? "1" : "0";
    case Variant::Kind::Integer:
      return std::to_string(v.AsInt());
    case Variant::Kind::Float:
      return FloatToXS(v.AsFloat());
    // A date-time variant already holds its text (with the local offset).
    case Variant::Kind::String:
    case Variant::Kind::DateTime:
      return v.AsString();
    case Variant::Kind::Array:
      break;
  }
  ThrowNoTextForm(VariantTypeInfo(), route);
}

// The value object of a property whose class is a value class, or null.
const TRemotableXS* ValueObject(const TRemotable* obj) {
  return dynamic_cast<const TRemotableXS*>(obj);
}

// Creates the value object when the property is empty, stores it, then lets
// it take the text (which may throw, leaving the new object in place).
void SetValueObjectText(TRemotable& obj, const PropInfo& prop, const std::string& text) {
  const PropAccess& access = *prop.access;
  TRemotable* target = const_cast<TRemotable*>(access.GetObject(obj));
  if (target == nullptr) {
    std::unique_ptr<TRemotable> created = prop.type->class_info->NewInstance();
    target = created.get();
    // The slot was empty, so nothing is handed back.
    access.SetObject(obj, std::move(created));
  }
  auto* xs = dynamic_cast<TRemotableXS*>(target);
  if (xs == nullptr) ThrowNoTextForm(prop.type, Route::Property);
  xs->XSToNative(text);
}

bool IsValueClass(const TypeInfo* type) {
  return type->class_info != nullptr && type->class_info->is_xs;
}

// The alternative T of a parameter value; monostate gives T's zero value.
template <class T>
T ValueOf(const NativeValue& value) {
  if (std::holds_alternative<std::monostate>(value)) return T{};
  if (const T* v = std::get_if<T>(&value)) return *v;
  throw Exception("Parameter value of another kind than its type");
}

}  // namespace

// --- property route ----------------------------------------------------------

std::string GetObjectPropAsText(const TRemotable& obj, const PropInfo& prop) {
  assert(prop.type != nullptr && prop.access != nullptr && "a described property");
  const TypeInfo* type = prop.type;
  const PropAccess& access = *prop.access;
  switch (type->kind) {
    case TypeKind::Integer:
    case TypeKind::Int64:
      return std::to_string(access.GetOrd(obj));
    case TypeKind::Char:
      return CharText(access.GetOrd(obj));
    case TypeKind::Enumeration:
      return EnumText(type, access.GetOrd(obj));
    case TypeKind::Float:
      return FloatToXS(access.GetFloat(obj));
    case TypeKind::String:
      return access.GetString(obj);
    case TypeKind::Class: {
      if (!IsValueClass(type)) break;
      const TRemotable* held = access.GetObject(obj);
      if (held == nullptr) return "";
      if (const TRemotableXS* xs = ValueObject(held)) return xs->NativeToXS();
      break;
    }
    case TypeKind::Variant:
      return VariantText(access.GetVariant(obj), Route::Property);
    case TypeKind::DynArray:
      if (!type->IsByteArray()) break;
      return EncodeBase64(access.GetBytes(obj));
    case TypeKind::Unknown:
    case TypeKind::Set:
    case TypeKind::Method:
    case TypeKind::Array:
    case TypeKind::Record:
    case TypeKind::Interface:
    case TypeKind::ClassRef:
      break;
  }
  ThrowNoTextForm(type, Route::Property);
}

void SetObjectPropFromText(TRemotable& obj, const PropInfo& prop, const std::string& text) {
  assert(prop.type != nullptr && prop.access != nullptr && "a described property");
  const TypeInfo* type = prop.type;
  const PropAccess& access = *prop.access;
  switch (type->kind) {
    case TypeKind::Integer:
      access.SetOrd(obj, StrToInt(text));
      return;
    case TypeKind::Int64:
      access.SetOrd(obj, StrToInt64(text));
      return;
    case TypeKind::Char:
      access.SetOrd(obj, FirstCodePoint(text));
      return;
    case TypeKind::Enumeration:
      access.SetOrd(obj, PropertyEnumOrdinal(type, text));
      return;
    case TypeKind::Float: {
      double d = 0;
      if (!XSToFloat(text, d)) {
        throw EConvertError("''" + text + "'' is not a valid floating point value");
      }
      access.SetFloat(obj, d);
      return;
    }
    case TypeKind::String:
      access.SetString(obj, text);
      return;
    case TypeKind::Class:
      if (!IsValueClass(type)) break;
      SetValueObjectText(obj, prop, text);
      return;
    case TypeKind::Variant:
      access.SetVariant(obj, Variant::FromString(text));
      return;
    case TypeKind::DynArray: {
      if (!type->IsByteArray()) break;
      ArrayValue value;
      value.bytes = DecodeBase64(text);
      access.SetArray(obj, std::move(value));
      return;
    }
    case TypeKind::Unknown:
    case TypeKind::Set:
    case TypeKind::Method:
    case TypeKind::Array:
    case TypeKind::Record:
    case TypeKind::Interface:
    case TypeKind::ClassRef:
      break;
  }
  ThrowNoTextForm(type, Route::Property);
}

// --- parameter route ---------------------------------------------------------

std::string CastNativeToSoap(const TypeInfo* type, const NativeValue& value) {
  switch (type->kind) {
    case TypeKind::Integer:
    case TypeKind::Int64:
      return std::to_string(ValueOf<int64_t>(value));
    case TypeKind::Char:
      return CharText(ValueOf<int64_t>(value));
    case TypeKind::Enumeration:
      return EnumText(type, ValueOf<int64_t>(value));
    case TypeKind::Float:
      return FloatToXS(ValueOf<double>(value));
    case TypeKind::String:
      return ValueOf<std::string>(value);
    case TypeKind::Variant:
      return VariantText(ValueOf<Variant>(value), Route::Parameter);
    case TypeKind::Class:
    case TypeKind::DynArray:
    case TypeKind::Unknown:
    case TypeKind::Set:
    case TypeKind::Method:
    case TypeKind::Array:
    case TypeKind::Record:
    case TypeKind::Interface:
    case TypeKind::ClassRef:
      break;
  }
  ThrowNoTextForm(type, Route::Parameter);
}

bool CastSoapToNative(const TypeInfo* type, const std::string& text, bool is_nil,
                      NativeValue& value) {
  // A nil value reads like the empty text, except that numbers read as 0.
  const std::string_view src = is_nil ? std::string_view() : std::string_view(text);
  switch (type->kind) {
    case TypeKind::Integer: {
      int32_t v = 0;
      if (!is_nil && !TryStrToInt(TrimControls(src), v)) return false;
      value = int64_t{v};
      return true;
    }
    case TypeKind::Int64: {
      int64_t v = 0;
      if (!is_nil && !TryStrToInt64(TrimControls(src), v)) return false;
      value = v;
      return true;
    }
    case TypeKind::Char:
      value = FirstCodePoint(src);
      return true;
    case TypeKind::Enumeration: {
      const std::string_view t = TrimControls(src);
      value = t.empty() ? 0 : EnumOrdinal(type, t).value_or(kInvalidOrdinal);
      return true;
    }
    case TypeKind::Float: {
      double d = 0;
      if (!is_nil && !XSToFloat(TrimControls(src), d)) return false;
      value = d;
      return true;
    }
    case TypeKind::String:
      value = std::string(src);
      return true;
    case TypeKind::Variant:
      value = is_nil ? Variant::Null() : Variant::FromString(text);
      return true;
    case TypeKind::Class:
    case TypeKind::DynArray:
    case TypeKind::Unknown:
    case TypeKind::Set:
    case TypeKind::Method:
    case TypeKind::Array:
    case TypeKind::Record:
    case TypeKind::Interface:
    case TypeKind::ClassRef:
      break;
  }
  ThrowNoTextForm(type, Route::Parameter);
}

// --- floats ------------------------------------------------------------------

std::string FloatToXS(double value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  // Shortest form that reads back to the same value; never locale-dependent.
  char buf[32];
  const auto r = std::to_chars(buf, buf + sizeof buf, value);
  return std::string(buf, r.ptr);
}

bool XSToFloat(std::string_view text, double& value) {
  if (EqualsIgnoreCase(text, "NaN")) {
    value = std::numeric_limits<double>::quiet_NaN();
    return true;
  }
  if (EqualsIgnoreCase(text, "INF") || EqualsIgnoreCase(text, "-INF")) {
    value = text[0] == '-' ? -std::numeric_limits<double>::infinity()
                           : std::numeric_limits<double>::infinity();
    return true;
  }
  // Only plain decimal forms: from_chars alone would also take "inf" or "nan"
  // spelled otherwise.
  if (text.find_first_not_of("0123456789+-.eE") != std::string_view::npos) return false;
  if (!text.empty() && text[0] == '+') {
    text.remove_prefix(1);
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) return false;
  }
  double d = 0;
  const auto r = std::from_chars(text.data(), text.data() + text.size(), d);
  if (r.ec != std::errc() || r.ptr != text.data() + text.size()) return false;
  value = d;
  return true;
}

}  // namespace vorn
