#include "soap/value_text.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>

#include "base/exception.h"
#include "service/registry/type_registry.h"
#include "service/registry/xs_datetime.h"
#include "service/registry/xs_decimal.h"
#include "soap/soap_errors.h"

namespace vorn {

enum class Colour : uint8_t { Red, Green, BlueSky };

template <>
struct EnumTraits<Colour> {
  static constexpr std::string_view kName = "Colour";
  static constexpr std::string_view kUnit = "ValueTextTest";
  static constexpr std::array<std::string_view, 3> kIdentifiers = {"Red", "Green", "BlueSky"};
};

namespace {

// One property of each kind that has a text form.
class Sample : public Remotable<Sample, TRemotable> {
 public:
  static const ClassInfo& StaticClass();

  int32_t Id = 0;
  int64_t Big = 0;
  bool Flag = false;
  Colour Tint = Colour::Red;
  std::string Text;
  double Ratio = 0;
  TByteDynArray Data;
  Variant Any;
  std::unique_ptr<TXSDateTime> When;
  std::unique_ptr<TXSDecimal> Amount;
  ArrayOfstring Names;
};

const ClassInfo& Sample::StaticClass() {
  using C = Sample;
  static const ClassInfo info = DescribeClass<C, TRemotable>("Sample", "ValueTextTest", [] {
    return PropList{
        field<&C::Id>("Id"),         field<&C::Big>("Big"),     field<&C::Flag>("Flag"),
        field<&C::Tint>("Tint"),     field<&C::Text>("Text"),   field<&C::Ratio>("Ratio"),
        field<&C::Data>("Data"),     field<&C::Any>("Any"),     field<&C::When>("When"),
        field<&C::Amount>("Amount"), field<&C::Names>("Names"),
    };
  });
  return info;
}

const PropInfo& Prop(std::string_view name) {
  for (const PropInfo& p : Sample::StaticClass().Properties()) {
    if (p.name == name) return p;
  }
  throw std::logic_error("no property " + std::string(name));
}

// Colour travels with an external text for BlueSky.
const TypeInfo* ColourType() {
  static const TypeInfo* type = [] {
    const TypeInfo* t = TypeInfoOf<Colour>();
    RemTypeRegistry().RegisterXSInfo(t, "urn:value-text-test", "Colour");
    RemTypeRegistry().RegisterExternalPropName(t, "BlueSky", "blue-sky");
    return t;
  }();
  return type;
}

// The report ("ClassName: message") of what `f` throws, or "" when it
// returns.
std::string ReportOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const Exception& e) {
    return e.Report();
  }
  return "";
}

// The text that the property route reads into property `name`, then writes
// back; or the report of the error.
std::string ReadBack(std::string_view name, const std::string& text) {
  Sample s;
  const std::string error = ReportOf([&] { SetObjectPropFromText(s, Prop(name), text); });
  return error.empty() ? GetObjectPropAsText(s, Prop(name)) : error;
}

// The ordinal that the parameter route reads, or "false" when it reports
// failure.
std::string ParamOrd(const TypeInfo* type, const std::string& text, bool is_nil = false) {
  NativeValue v;
  if (!CastSoapToNative(type, text, is_nil, v)) return "false";
  return std::to_string(std::get<int64_t>(v));
}

TEST(ValueTextTest, PropertyRouteIntegers) {
  const struct {
    std::string_view prop;
    std::string text, result;
  } cases[] = {
      {"Id", "42", "42"},
      {"Id", " 42", "42"},
      {"Id", "42 ", "EConvertError: ''42 '' is not a valid integer value"},
      {"Id", "", "EConvertError: '''' is not a valid integer value"},
      {"Id", "$1A", "26"},
      {"Id", "0x1a", "26"},
      {"Id", "-2147483648", "-2147483648"},
      {"Id", "2147483648", "EConvertError: ''2147483648'' is not a valid integer value"},
      {"Id", "$FFFFFFFF", "-1"},
      {"Big", "9223372036854775807", "9223372036854775807"},
      {"Big", "-1", "-1"},
      {"Big", "X7FFFFFFFFFFFFFFF", "9223372036854775807"},
      {"Big", "9223372036854775808",
       "EConvertError: ''9223372036854775808'' is not a valid integer value"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.prop) + " \"" + c.text + "\"");
    EXPECT_EQ(ReadBack(c.prop, c.text), c.result);
  }
}

TEST(ValueTextTest, BooleansOnBothRoutes) {
  const struct {
    std::string text;
    std::string property;   // written back, or the error
    std::string parameter;  // the ordinal
  } cases[] = {
      {"true", "true", "1"},
      {"True", "true", "1"},
      {"TRUE", "true", "1"},
      {"1", "true", "1"},
      {"false", "false", "0"},
      {"FaLsE", "false", "0"},
      {"0", "false", "0"},
      {" true\r\n", "EPropertyConvertError: Invalid property element:  true\r\n", "1"},
      {"yes", "EPropertyConvertError: Invalid property element: yes", "-1"},
      {"2", "EPropertyConvertError: Invalid property element: 2", "-1"},
      {"", "EPropertyConvertError: Invalid property element: ", "0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("\"" + c.text + "\"");
    EXPECT_EQ(ReadBack("Flag", c.text), c.property);
    EXPECT_EQ(ParamOrd(BooleanTypeInfo(), c.text), c.parameter);
  }
  EXPECT_EQ(ParamOrd(BooleanTypeInfo(), "true", /*is_nil=*/true), "0");
  EXPECT_EQ(CastNativeToSoap(BooleanTypeInfo(), int64_t{1}), "true");
  EXPECT_EQ(CastNativeToSoap(BooleanTypeInfo(), int64_t{0}), "false");
}

TEST(ValueTextTest, EnumerationsOnBothRoutes) {
  const TypeInfo* colour = ColourType();
  const struct {
    std::string text;
    std::string property;   // written back, or the error
    std::string parameter;  // the ordinal
  } cases[] = {
      {"Green", "Green", "1"},
      {"gREEN", "Green", "1"},
      {"blue-sky", "blue-sky", "2"},  // external text, exact
      {"BLUESKY", "blue-sky", "2"},   // identifier in any case
      {"Blue-Sky", "EPropertyConvertError: Invalid property element: Blue-Sky", "-1"},
      {"", "Red", "0"},
      {"\t Green \n", "EPropertyConvertError: Invalid property element: \t Green \n", "1"},
      {"Purple", "EPropertyConvertError: Invalid property element: Purple", "-1"},
      {"1", "EPropertyConvertError: Invalid property element: 1", "-1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("\"" + c.text + "\"");
    EXPECT_EQ(ReadBack("Tint", c.text), c.property);
    EXPECT_EQ(ParamOrd(colour, c.text), c.parameter);
  }
  EXPECT_EQ(ParamOrd(colour, "Green", /*is_nil=*/true), "0");
  EXPECT_EQ(CastNativeToSoap(colour, int64_t{1}), "Green");
  EXPECT_EQ(CastNativeToSoap(colour, int64_t{2}), "blue-sky");
}

TEST(ValueTextTest, ParameterRouteNumbersAndTexts) {
  const auto read = [](const TypeInfo* type, const std::string& text, bool is_nil) {
    NativeValue v = std::string("unchanged");
    const bool ok = CastSoapToNative(type, text, is_nil, v);
    return std::make_pair(ok, v);
  };
  const struct {
    const TypeInfo* type;
    std::string text;
    bool is_nil;
    bool ok;
    NativeValue value;
  } cases[] = {
      {IntegerTypeInfo(), " 42\r\n", false, true, int64_t{42}},
      {IntegerTypeInfo(), "2147483648", false, false, std::string("unchanged")},
      {IntegerTypeInfo(), "", false, false, std::string("unchanged")},
      {IntegerTypeInfo(), "", true, true, int64_t{0}},
      {Int64TypeInfo(), "\t-9223372036854775808 ", false, true, INT64_MIN},
      {Int64TypeInfo(), "4x", false, false, std::string("unchanged")},
      {DoubleTypeInfo(), " 1.5\n", false, true, 1.5},
      {DoubleTypeInfo(), "1,5", false, false, std::string("unchanged")},
      {DoubleTypeInfo(), "", true, true, 0.0},
      {StringTypeInfo(), " a b ", false, true, std::string(" a b ")},
      {StringTypeInfo(), "text", true, true, std::string()},
      {VariantTypeInfo(), " 7", false, true, Variant::FromString(" 7")},
      {VariantTypeInfo(), "7", true, true, Variant::Null()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.type->name) + " \"" + c.text + "\"");
    const auto [ok, value] = read(c.type, c.text, c.is_nil);
    EXPECT_EQ(ok, c.ok);
    EXPECT_EQ(value, c.value);
  }
  // Characters travel as UTF-8; the ordinal is the code point.
  static const TypeInfo kChar{.kind = TypeKind::Char, .name = "WideChar", .ord = OrdType::U16};
  for (const auto& [text, code] : {std::pair<std::string, int64_t>{"A", 65},
                                   {"\xC3\xA9", 0xE9},
                                   {"\xE2\x82\xAC", 0x20AC},
                                   {"\xF0\x9F\x98\x80", 0x1F600}}) {
    SCOPED_TRACE(code);
    NativeValue v;
    ASSERT_TRUE(CastSoapToNative(&kChar, text + "xyz", false, v));
    EXPECT_EQ(v, NativeValue(code));
    EXPECT_EQ(CastNativeToSoap(&kChar, code), text);
  }
  EXPECT_EQ(CastNativeToSoap(Int64TypeInfo(), INT64_MIN), "-9223372036854775808");
  EXPECT_EQ(CastNativeToSoap(StringTypeInfo(), std::string(" x ")), " x ");
}

TEST(ValueTextTest, ValueClassPropertiesCreateTheirObject) {
  Sample s;
  EXPECT_EQ(GetObjectPropAsText(s, Prop("When")), "");  // null object
  SetObjectPropFromText(s, Prop("When"), "2021-03-03");
  ASSERT_NE(s.When, nullptr);
  const TXSDateTime* created = s.When.get();
  EXPECT_EQ(GetObjectPropAsText(s, Prop("When")), "2021-03-03");

  // A second text goes into the same object.
  SetObjectPropFromText(s, Prop("When"), "2022-01-01T10:00:00Z");
  EXPECT_EQ(s.When.get(), created);
  EXPECT_EQ(s.When->NativeToXS(), "2022-01-01T10:00:00Z");

  // Decimals take any text unchanged.
  SetObjectPropFromText(s, Prop("Amount"), "1,5");
  ASSERT_NE(s.Amount, nullptr);
  EXPECT_EQ(GetObjectPropAsText(s, Prop("Amount")), "1,5");

  // A rejected date leaves the newly created object in place.
  Sample t;
  EXPECT_EQ(ReportOf([&] { SetObjectPropFromText(t, Prop("When"), "2021-03-03T10-05"); }),
            "EXSDateTimeException: Invalid time string: 10-05");
  ASSERT_NE(t.When, nullptr);
  EXPECT_EQ(t.When->NativeToXS(), "0001-01-01T00:00:00");
}

TEST(ValueTextTest, BytesTravelAsBase64) {
  Sample s;
  s.Data = {0, 1, 2};
  EXPECT_EQ(GetObjectPropAsText(s, Prop("Data")), "AAEC");
  SetObjectPropFromText(s, Prop("Data"), "AA EC\r\n");
  EXPECT_EQ(s.Data, (TByteDynArray{0, 1, 2}));
  SetObjectPropFromText(s, Prop("Data"), "");
  EXPECT_TRUE(s.Data.empty());
}

TEST(ValueTextTest, VariantTexts) {
  const struct {
    Variant value;
    std::string text;
  } cases[] = {
      {Variant(), ""},
      {Variant::Null(), ""},
      {Variant::FromBool(true), "1"},
      {Variant::FromBool(false), "0"},
      {Variant::FromInt(-5), "-5"},
      {Variant::FromFloat(0.25), "0.25"},
      {Variant::FromString("x y"), "x y"},
      {Variant::FromDateTime("2021-03-03T09:15:30.000+01:00"), "2021-03-03T09:15:30.000+01:00"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    Sample s;
    s.Any = c.value;
    EXPECT_EQ(GetObjectPropAsText(s, Prop("Any")), c.text);
    EXPECT_EQ(CastNativeToSoap(VariantTypeInfo(), c.value), c.text);
  }
  Sample s;
  SetObjectPropFromText(s, Prop("Any"), "7");
  EXPECT_EQ(s.Any, Variant::FromString("7"));
}

TEST(ValueTextTest, KindsWithoutTextFormAreRejected) {
  const std::string suffix = " cannot be converted to and from text";
  // Property route: the kind and the type's name.
  PropInfo set_prop = Prop("Id");
  set_prop.type = UntravellableTypeInfo(TypeKind::Set);
  PropInfo sample_prop = Prop("Id");
  sample_prop.type = TypeInfoOf<Sample>();
  const struct {
    const PropInfo* prop;
    std::string report;
  } props[] = {
      {&set_prop, "ESOAPDomConvertError: Internal error: data type kind Set:(TSet) " + suffix},
      {&Prop("Names"),
       "ESOAPDomConvertError: Internal error: data type kind DynArray:(ArrayOfstring) " + suffix},
      {&sample_prop,
       "ESOAPDomConvertError: Internal error: data type kind Class:(Sample) " + suffix},
  };
  for (const auto& c : props) {
    SCOPED_TRACE(c.report);
    Sample s;
    EXPECT_EQ(ReportOf([&] { GetObjectPropAsText(s, *c.prop); }), c.report);
    EXPECT_EQ(ReportOf([&] { SetObjectPropFromText(s, *c.prop, "1"); }), c.report);
  }
  Sample s;
  s.Any = Variant::FromArray({Variant::FromInt(1)});
  EXPECT_EQ(ReportOf([&] { GetObjectPropAsText(s, Prop("Any")); }),
            "ESOAPDomConvertError: Internal error: data type kind Variant:(Variant) " + suffix);

  // Parameter route: the kind alone.
  const struct {
    const TypeInfo* type;
    std::string report;
  } params[] = {
      {UntravellableTypeInfo(TypeKind::Record),
       "ETypeTransException: Internal error: data type kind Record" + suffix},
      {UntravellableTypeInfo(TypeKind::Interface),
       "ETypeTransException: Internal error: data type kind Interface" + suffix},
      {ArrayOfstringTypeInfo(),
       "ETypeTransException: Internal error: data type kind DynArray" + suffix},
  };
  for (const auto& c : params) {
    SCOPED_TRACE(c.report);
    NativeValue v;
    EXPECT_EQ(ReportOf([&] { CastNativeToSoap(c.type, v); }), c.report);
    EXPECT_EQ(ReportOf([&] { CastSoapToNative(c.type, "1", false, v); }), c.report);
  }
}

TEST(ValueTextTest, FloatTexts) {
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    double value;
    std::string text;
  } written[] = {
      {1.5, "1.5"},    {-0.25, "-0.25"}, {100, "100"},   {0.1, "0.1"},
      {1e20, "1e+20"}, {inf, "INF"},     {-inf, "-INF"},
  };
  for (const auto& c : written) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(FloatToXS(c.value), c.text);
    double back = 0;
    ASSERT_TRUE(XSToFloat(c.text, back));
    EXPECT_EQ(back, c.value);
  }
  EXPECT_EQ(FloatToXS(std::numeric_limits<double>::quiet_NaN()), "NaN");

  const struct {
    std::string text;
    std::optional<double> value;  // nullopt: rejected
  } read[] = {
      {"+1.5", 1.5},    {"-1E3", -1000}, {".5", 0.5},   {"inf", inf}, {"-Inf", -inf},
      {"1,5", {}},      {"", {}},        {" 1", {}},    {"1 ", {}},   {"+-1", {}},
      {"infinity", {}}, {"+INF", {}},    {"1e999", {}}, {"0x10", {}},
  };
  for (const auto& c : read) {
    SCOPED_TRACE(c.text);
    double v = 42;
    EXPECT_EQ(XSToFloat(c.text, v), c.value.has_value());
    EXPECT_EQ(v, c.value.value_or(42));
  }
  double nan = 0;
  ASSERT_TRUE(XSToFloat("nAn", nan));
  EXPECT_TRUE(std::isnan(nan));

  EXPECT_EQ(ReadBack("Ratio", "2.75"), "2.75");
  EXPECT_EQ(ReadBack("Ratio", "2,75"),
            "EConvertError: ''2,75'' is not a valid floating point value");
}

}  // namespace
}  // namespace vorn
