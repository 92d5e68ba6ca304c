// A value whose type is known only at run time: the entries of arrays of
// "anyType".
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace vorn {

class Variant {
 public:
  // Empty and Null both travel as a nil element.
  enum class Kind { Empty, Null, Boolean, Integer, Float, String, DateTime, Array };

  Variant() = default;
  static Variant Null() { return Variant(Kind::Null, std::monostate{}); }
  static Variant FromBool(bool b) { return Variant(Kind::Boolean, b); }
  static Variant FromInt(int64_t i) { return Variant(Kind::Integer, i); }
  static Variant FromFloat(double d) { return Variant(Kind::Float, d); }
  static Variant FromString(std::string s) { return Variant(Kind::String, std::move(s)); }
  // A date-time held as its XML Schema text.
  static Variant FromDateTime(std::string xs_text) {
    return Variant(Kind::DateTime, std::move(xs_text));
  }
  static Variant FromArray(std::vector<Variant> items) {
    return Variant(Kind::Array, std::move(items));
  }

  Kind kind() const { return kind_; }
  bool IsNil() const { return kind_ == Kind::Empty || kind_ == Kind::Null; }
  bool AsBool() const { return std::get<bool>(value_); }
  int64_t AsInt() const { return std::get<int64_t>(value_); }
  double AsFloat() const { return std::get<double>(value_); }
  // String and DateTime.
  const std::string& AsString() const { return std::get<std::string>(value_); }
  const std::vector<Variant>& AsArray() const { return std::get<std::vector<Variant>>(value_); }

  friend bool operator==(const Variant&, const Variant&) = default;

 private:
  using Storage =
      std::variant<std::monostate, bool, int64_t, double, std::string, std::vector<Variant>>;
  Variant(Kind k, Storage v) : kind_(k), value_(std::move(v)) {}

  Kind kind_ = Kind::Empty;
  Storage value_;
};

}  // namespace vorn
