#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "base/exception.h"
#include "service/registry/interface_info.h"
#include "service/registry/invoke_registry.h"
#include "service/registry/remotable.h"
#include "service/registry/type_info.h"
#include "service/registry/type_registry.h"
#include "service/registry/xs_datetime.h"
#include "service/registry/xs_decimal.h"

namespace vorn {

// A type class with an array property whose entries have their own element
// name, and its element form, which adds nothing.
class SampleDocType2 : public Remotable<SampleDocType2, TRemotable> {
 public:
  static const ClassInfo& StaticClass();
  std::string codiceField;
  ArrayOfstring righeField;
};

class SampleDocType : public Remotable<SampleDocType, SampleDocType2> {
 public:
  static const ClassInfo& StaticClass();
};

// A class that no test registers.
class SampleLoose : public Remotable<SampleLoose, TRemotable> {
 public:
  static const ClassInfo& StaticClass();
};

constexpr std::string_view kTestUnit = "RegistryTest";

const ClassInfo& SampleDocType2::StaticClass() {
  using C = SampleDocType2;
  static const ClassInfo info = DescribeClass<C, TRemotable>("SampleDocType2", kTestUnit, [] {
    return PropList{field<&C::codiceField>("codiceField"), field<&C::righeField>("righeField")};
  });
  return info;
}

const ClassInfo& SampleDocType::StaticClass() {
  static const ClassInfo info =
      DescribeClass<SampleDocType, SampleDocType2>("SampleDocType", kTestUnit);
  return info;
}

const ClassInfo& SampleLoose::StaticClass() {
  static const ClassInfo info = DescribeClass<SampleLoose, TRemotable>("SampleLoose", kTestUnit);
  return info;
}

namespace {

constexpr std::string_view kXS = "http://www.w3.org/2001/XMLSchema";
constexpr std::string_view kSoapEnc = "http://schemas.xmlsoap.org/soap/encoding/";
constexpr std::string_view kDocNS = "urn:test:doc";
constexpr std::string_view kGuidText = "{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9}";

const InterfaceInfo& SampleIntf() {
  static const InterfaceInfo info{
      .name = "ISample",
      .unit = "SampleUnit",
      .guid = Guid::Parse(kGuidText),
      .methods = {{.name = "SendThing",
                   .params = {{.name = "request", .type = StringTypeInfo(), .is_out = false}},
                   .result = StringTypeInfo()}},
  };
  return info;
}

// ---------------------------------------------------------------------------
// Interface identifiers.

TEST(GuidTest, ParsesTheBracedFormInWrittenOrder) {
  const Guid g = Guid::Parse(kGuidText);
  const std::array<uint8_t, 16> expected = {0x0a, 0x1b, 0x2c, 0x3d, 0x4e, 0x5f, 0x60, 0x71,
                                            0x82, 0x93, 0xa4, 0xb5, 0xc6, 0xd7, 0xe8, 0xf9};
  EXPECT_EQ(g.bytes, expected);
  EXPECT_EQ(Guid::Parse("{0a1b2c3d-4e5f-6071-8293-a4b5c6d7e8f9}"), g);
}

TEST(GuidTest, RejectsOtherForms) {
  for (std::string_view text : {
           "0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9",     // no braces
           "{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F}",    // one digit short
           "{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8FG}",   // not a hex digit
           "{0A1B2C3D04E5F-6071-8293-A4B5C6D7E8F9}",   // separator replaced
           "{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F90}",  // one digit too many
       }) {
    EXPECT_THROW(Guid::Parse(text), Exception) << text;
  }
}

// ---------------------------------------------------------------------------
// Interface registry.

TEST(InvokeRegistryTest, RegistersAnInterfaceOnceWithItsOptions) {
  TInvokableClassRegistry reg;
  const InterfaceInfo& intf = SampleIntf();
  reg.RegisterDefaultSOAPAction(intf, "ignored/%operationName%");  // not registered yet
  reg.RegisterInterface(intf, "urn:test:svc", "utf-8");
  reg.RegisterInterface(intf, "urn:test:other");  // already registered: no effect
  reg.RegisterInvokeOptions(intf, InvokeOption::ioDocument);

  const InvokeOptions base = {InvokeOption::ioDocument, InvokeOption::ioHasNamespace};
  EXPECT_EQ(reg.GetIntfInvokeOptions(intf), base);
  EXPECT_EQ(reg.GetInterfaceTypeInfo(intf.guid), &intf);
  EXPECT_EQ(reg.GetNamespaceByGUID(intf.guid), "urn:test:svc");
  EXPECT_EQ(reg.GetWSDLEncoding(intf), "utf-8");
  EXPECT_EQ(reg.GetActionURIOfInfo(intf, "SendThing", 0), "urn:test:svc#SendThing");

  reg.RegisterDefaultSOAPAction(intf, "urn:test:svc/%operationName%");
  const InvokeOptions with_action = {InvokeOption::ioDocument, InvokeOption::ioHasNamespace,
                                     InvokeOption::ioHasDefaultSOAPAction};
  EXPECT_EQ(reg.GetIntfInvokeOptions(intf.guid), with_action);

  reg.RegisterInvokeOptions(intf, InvokeOptions{InvokeOption::ioSOAP12});  // replaces the set
  EXPECT_EQ(reg.GetIntfInvokeOptions(intf), InvokeOptions{InvokeOption::ioSOAP12});
}

TEST(InvokeRegistryTest, UnregisteredInterfaceAnswersWithDefaults) {
  TInvokableClassRegistry reg;
  const InterfaceInfo& intf = SampleIntf();
  EXPECT_EQ(reg.GetIntfInvokeOptions(intf), InvokeOptions{});
  EXPECT_EQ(reg.GetInterfaceTypeInfo(intf.guid), nullptr);
  EXPECT_EQ(reg.GetNamespaceByGUID(intf.guid), "");
  EXPECT_EQ(reg.GetReturnParamNames(intf), "Result;Return");
  EXPECT_EQ(reg.GetInterfaceExternalName(intf), "ISample");
  EXPECT_EQ(reg.GetActionURIOfInfo(intf, "SendThing", 0), "");
  const auto m = reg.GetMethodInfo(intf, "SendThing");
  EXPECT_EQ(m.ext_name, "SendThing");
  EXPECT_EQ(m.return_name, "");
  EXPECT_EQ(m.flags, 0u);

  // Registered without a namespace: one is made from module and name.
  reg.RegisterInterface(intf, "", "", "", "SampleService");
  EXPECT_EQ(reg.GetNamespaceByGUID(intf.guid), "urn:SampleUnit-ISample");
  EXPECT_FALSE(reg.GetIntfInvokeOptions(intf).Has(InvokeOption::ioHasNamespace));
  EXPECT_EQ(reg.GetInterfaceExternalName(intf), "SampleService");
  reg.RegisterReturnParamNames(intf, "Out,Answer");
  EXPECT_EQ(reg.GetReturnParamNames(intf), "Out,Answer");
}

TEST(InvokeRegistryTest, FindsOperationsAndParametersIgnoringCase) {
  TInvokableClassRegistry reg;
  const InterfaceInfo& intf = SampleIntf();
  reg.RegisterInterface(intf, "urn:test:svc");
  reg.RegisterMethodInfo(intf, "SendThing", "", R"([ReturnName="SendThingResult"])",
                         IS_OPTN | IS_NLBL);
  reg.RegisterParamInfo(intf, "SendThing", "request", "", R"([Namespace="urn:test:msg"])", IS_NLBL);
  reg.RegisterParamInfo(intf, "sendthing", "REQUEST", "", R"([Namespace="urn:test:msg"])",
                        IS_REF);  // the same entries: flags are added
  reg.RegisterMethodInfo(intf, "SENDTHING", "", R"([ReturnName="SendThingResult"])",
                         IS_NLBL);  // the same entry: flags are replaced

  const auto m = reg.GetMethodInfo(intf, "sendTHING");
  EXPECT_EQ(m.ext_name, "sendTHING");  // no external name: the name asked for
  EXPECT_EQ(m.return_name, R"([ReturnName="SendThingResult"])");
  EXPECT_EQ(m.flags, IS_NLBL);

  const auto p = reg.GetParamInfo(intf, "SENDTHING", "Request");
  EXPECT_EQ(p.ext_name, "Request");
  EXPECT_EQ(p.ns, R"([Namespace="urn:test:msg"])");
  EXPECT_EQ(p.flags, IS_NLBL | IS_REF);

  const auto missing = reg.GetParamInfo(intf, "SendThing", "other");
  EXPECT_EQ(missing.ext_name, "other");
  EXPECT_EQ(missing.ns, "");
  EXPECT_EQ(missing.flags, 0u);

  reg.RegisterExternalMethName(intf, "sendthing", "Send");
  reg.RegisterExternalParamName(intf, "SendThing", "request", "req");
  EXPECT_EQ(reg.GetMethExternalName(intf, "SendThing"), "Send");
  EXPECT_EQ(reg.GetParamExternalName(intf, "SendThing", "Request"), "req");
  EXPECT_EQ(reg.GetMethodInfo(intf, "SendThing").return_name,
            R"([ReturnName="SendThingResult"])");  // only the external name changed
}

TEST(InvokeRegistryTest, ComputesTheSOAPActionOfAnOperation) {
  enum class Actions { None, Template, List };
  struct ActionCase {
    Actions kind;
    std::string_view text;  // template or list
    std::string_view operation;
    int index;
    std::string_view expected;
  };
  const ActionCase cases[] = {
      {Actions::Template, "http://tempuri.org/ISample/%operationName%", "SendThing", 0,
       "http://tempuri.org/ISample/SendThing"},
      {Actions::Template, "a/%operationName%/%operationName%", "Op", 0, "a/Op/%operationName%"},
      {Actions::Template, "a/%operationName%", "", 0, "a/%operationName%"},
      {Actions::Template, "fixed", "Op", 0, "fixed"},
      {Actions::List, "|act0|act1|act2", "Op", 1, "act1"},
      {Actions::List, ";x;;z", "Op", 1, ""},
      {Actions::List, ";x;;z", "Op", 2, "z"},
      {Actions::List, "|act0|act1", "Op", 2, ""},
      {Actions::List, "|act0|act1", "Op", -1, ""},
      {Actions::None, "", "Op", 0, "urn:test:svc#Op"},
  };
  const InterfaceInfo& intf = SampleIntf();
  for (const ActionCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.text << " / " << c.operation << " / " << c.index);
    TInvokableClassRegistry reg;
    reg.RegisterInterface(intf, "urn:test:svc");
    if (c.kind == Actions::Template) reg.RegisterDefaultSOAPAction(intf, c.text);
    if (c.kind == Actions::List) reg.RegisterAllSOAPActions(intf, c.text);
    EXPECT_EQ(reg.GetActionURIOfInfo(intf, c.operation, c.index), c.expected);
  }
}

// ---------------------------------------------------------------------------
// Type registry.

const TypeInfo* DocInfo() { return SampleDocType2::StaticClass().type_info; }
const TypeInfo* ElementInfo() { return SampleDocType::StaticClass().type_info; }

// Registers the pair as the start-up pass registers an invoice type: the type
// class first, under an external name, then its element form under that name.
void RegisterDocPair(TRemotableTypeRegistry& reg) {
  reg.RegisterXSClass(SampleDocType2::StaticClass(), kDocNS, "SampleDocType2", "SampleDoc");
  reg.RegisterExternalPropName(DocInfo(), "righeField", R"([ArrayItemName="X"])");
  reg.RegisterXSClass(SampleDocType::StaticClass(), kDocNS, "SampleDoc");
}

TEST(TypeRegistryTest, BuiltInEntriesAnswerForTheSchemaTypes) {
  TRemotableTypeRegistry reg;
  struct InfoCase {
    const TypeInfo* info;
    std::string_view name;
  };
  for (const InfoCase& c :
       {InfoCase{BooleanTypeInfo(), "boolean"}, InfoCase{IntegerTypeInfo(), "int"},
        InfoCase{Int64TypeInfo(), "long"}, InfoCase{ByteTypeInfo(), "unsignedByte"},
        InfoCase{DoubleTypeInfo(), "double"}, InfoCase{StringTypeInfo(), "string"},
        InfoCase{ByteDynArrayTypeInfo(), "base64Binary"}, InfoCase{VariantTypeInfo(), "anyType"}}) {
    const XSDName x = reg.InfoToURI(c.info);
    EXPECT_EQ(x.uri, kXS) << c.info->name;
    EXPECT_EQ(x.name, c.name) << c.info->name;
  }

  // Value classes: the first entry answers, and they are scalar.
  const XSDName decimal = reg.ClassToURI(TXSDecimal::StaticClass());
  EXPECT_EQ(decimal.uri, kXS);
  EXPECT_EQ(decimal.name, "decimal");
  EXPECT_TRUE(decimal.is_scalar);
  EXPECT_EQ(reg.TypeInfoToXSD(TXSDateTime::StaticClass().type_info).name, "dateTime");

  struct NameCase {
    std::string_view uri;
    std::string_view name;
    const ClassInfo* cls;
    const TypeInfo* info;
  };
  const NameCase names[] = {
      {kXS, "decimal", &TXSDecimal::StaticClass(), TXSDecimal::StaticClass().type_info},
      {kXS, "nonNegativeInteger", &TXSDecimal::StaticClass(), TXSDecimal::StaticClass().type_info},
      {kXS, "timeInstant", &TXSDateTime::StaticClass(), TXSDateTime::StaticClass().type_info},
      {kXS, "unsignedLong", nullptr, Int64TypeInfo()},
      {kXS, "integer", nullptr, Int64TypeInfo()},
      {kXS, "ur-type", nullptr, VariantTypeInfo()},
      {kXS, "string", nullptr, StringTypeInfo()},
      {kSoapEnc, "base64", nullptr, ByteDynArrayTypeInfo()},
      {kXS, "base64", nullptr, nullptr},
  };
  for (const NameCase& c : names) {
    SCOPED_TRACE(c.name);
    bool scalar = false;
    EXPECT_EQ(reg.URIToClass(c.uri, c.name, &scalar), c.cls);
    EXPECT_EQ(scalar, c.cls != nullptr);
    EXPECT_EQ(reg.URIToInfo(c.uri, c.name), c.info);
  }

  // The kinds without a description of their own are found by kind and name.
  const TypeInfo float32{.kind = TypeKind::Float, .name = "Single", .flt = FloatType::Single};
  const TypeInfo int16{.kind = TypeKind::Integer, .name = "Int16", .ord = OrdType::S16};
  EXPECT_EQ(reg.InfoToURI(&float32).name, "float");
  EXPECT_EQ(reg.InfoToURI(&int16).name, "short");
  EXPECT_EQ(reg.URIToInfo(kXS, "float")->flt, FloatType::Single);
}

TEST(TypeRegistryTest, ProcessWideAccessorsShareOneRegistryWithBuiltIns) {
  EXPECT_EQ(&RemTypeRegistry(), &RemClassRegistry());
  EXPECT_EQ(RemClassRegistry().InfoToURI(Int64TypeInfo()).name, "long");
  EXPECT_EQ(RemTypeRegistry().URIToClass(kXS, "decimal"), &TXSDecimal::StaticClass());
}

TEST(TypeRegistryTest, RepeatedAndSecondNameRegistrations) {
  TRemotableTypeRegistry reg;
  const ClassInfo& doc = SampleDocType2::StaticClass();
  const size_t built_in = reg.Entries().size();
  reg.RegisterXSClass(doc, kDocNS, "SampleDocType2", "SampleDoc");
  reg.RegisterXSClass(doc, "urn:test:elsewhere", "SampleDocType2");  // same name: no effect
  reg.RegisterXSClass(doc, "urn:test:elsewhere");                    // no name: no effect
  EXPECT_EQ(reg.Entries().size(), built_in + 1);

  reg.RegisterXSClass(doc, "urn:test:second", "Second", "", true,
                      MultiRefOption::ocNoMultiRef);  // a second entry
  EXPECT_EQ(reg.Entries().size(), built_in + 2);
  EXPECT_EQ(reg.URIToClass("urn:test:second", "Second"), &doc);

  // Lookups by class take the first entry.
  const XSDName x = reg.ClassToURI(doc);
  EXPECT_EQ(x.uri, kDocNS);
  EXPECT_EQ(x.name, "SampleDoc");
  EXPECT_FALSE(x.is_scalar);
  EXPECT_FALSE(reg.IsClassScalar(doc));
  EXPECT_EQ(reg.ClassOptions(doc), MultiRefOption::ocDefault);
  reg.RegisterSerializeOptions(DocInfo(), {SerializationOption::xoInlineArrays});
  EXPECT_EQ(reg.SerializeOptions(DocInfo()),
            SerializationOptions{SerializationOption::xoInlineArrays});
  EXPECT_EQ(reg.Entries()[built_in].SerializationOpt,
            SerializationOptions{SerializationOption::xoInlineArrays});
}

TEST(TypeRegistryTest, PropertyNamesNeedTheirTypeRegisteredFirst) {
  TRemotableTypeRegistry reg;
  reg.RegisterExternalPropName(DocInfo(), "codiceField", "Codice");  // type not registered
  reg.RegisterXSClass(SampleDocType2::StaticClass(), kDocNS);
  EXPECT_EQ(reg.GetExternalPropName(DocInfo(), "codiceField"), "codiceField");

  reg.RegisterExternalPropName(DocInfo(), "codiceField", "Codice");
  reg.RegisterExternalPropName(DocInfo(), "codiceField", "Later");  // the first pair wins
  EXPECT_EQ(reg.GetExternalPropName(DocInfo(), "codiceField"), "Codice");
  EXPECT_EQ(reg.GetInternalPropName(DocInfo(), "Codice"), "codiceField");
  EXPECT_EQ(reg.GetInternalPropName(DocInfo(), "Unknown"), "Unknown");
  EXPECT_EQ(reg.GetExternalPropName(DocInfo(), "CodiceField"), "CodiceField");  // exact case
}

TEST(TypeRegistryTest, ElementFormTakesThePropertyTextsOfItsTypeClass) {
  TRemotableTypeRegistry reg;
  RegisterDocPair(reg);
  EXPECT_EQ(reg.GetExternalPropName(ElementInfo(), "righeField"), R"([ArrayItemName="X"])");
  EXPECT_EQ(reg.GetExternalPropName(ElementInfo(), "codiceField"), "codiceField");
  // The reverse lookup does not search the parent class.
  EXPECT_EQ(reg.GetInternalPropName(ElementInfo(), R"([ArrayItemName="X"])"),
            R"([ArrayItemName="X"])");

  // The search stops below TRemotable.
  TRemotableTypeRegistry other;
  other.RegisterXSClass(TRemotable::StaticClass());
  other.RegisterExternalPropName(TRemotable::StaticClass().type_info, "righeField", "Z");
  EXPECT_EQ(other.GetExternalPropName(DocInfo(), "righeField"), "righeField");
}

TEST(TypeRegistryTest, SharedXmlNameFindsTheTypeClass) {
  TRemotableTypeRegistry reg;
  RegisterDocPair(reg);
  bool scalar = true;
  EXPECT_EQ(reg.URIToClass(kDocNS, "SampleDoc", &scalar), &SampleDocType2::StaticClass());
  EXPECT_FALSE(scalar);
  EXPECT_EQ(reg.URIToClass(kDocNS, "SampleDocType2"), nullptr);  // the external name replaces it
  EXPECT_EQ(reg.URIToInfo(kDocNS, "SampleDocType2"), DocInfo());
  EXPECT_EQ(reg.URIToInfo(kDocNS, "SampleDoc"), ElementInfo());  // by Name, not external name
  EXPECT_EQ(reg.URIToClass("urn:test:elsewhere", "SampleDoc"), nullptr);

  // Each class of the pair answers with its own entry.
  EXPECT_EQ(reg.ClassToURI(SampleDocType::StaticClass()).name, "SampleDoc");
  EXPECT_EQ(reg.ClassToURI(SampleDocType2::StaticClass()).name, "SampleDoc");
}

TEST(TypeRegistryTest, LookupsRegisterUnknownTypesUnderDefaults) {
  TRemotableTypeRegistry reg;
  const size_t built_in = reg.Entries().size();

  const XSDName loose = reg.ClassToURI(SampleLoose::StaticClass());
  EXPECT_EQ(loose.uri, "urn:RegistryTest");
  EXPECT_EQ(loose.name, "SampleLoose");
  EXPECT_FALSE(loose.is_scalar);
  EXPECT_EQ(reg.ClassToURI(SampleLoose::StaticClass()).name, "SampleLoose");
  EXPECT_EQ(reg.Entries().size(), built_in + 1);

  // A subclass does not answer with its parent's entry.
  reg.RegisterXSClass(SampleDocType2::StaticClass(), kDocNS);
  const XSDName element = reg.TypeInfoToXSD(ElementInfo());
  EXPECT_EQ(element.uri, "urn:RegistryTest");
  EXPECT_EQ(element.name, "SampleDocType");

  // Other types: arrays and enumerations take their module, the rest "urn:".
  static constexpr std::string_view kIds[] = {"A", "B"};
  const TypeInfo enumeration{.kind = TypeKind::Enumeration,
                             .name = "SampleCode",
                             .unit = "CodeUnit",
                             .ord = OrdType::U8,
                             .identifiers = kIds};
  const TypeInfo array{.kind = TypeKind::DynArray,
                       .name = "ArrayOfSampleCode",
                       .unit = "CodeUnit",
                       .element = &enumeration};
  const TypeInfo text{.kind = TypeKind::String, .name = "SampleText", .unit = "CodeUnit"};
  EXPECT_EQ(reg.InfoToURI(&enumeration).uri, "urn:CodeUnit");
  EXPECT_EQ(reg.InfoToURI(&array).uri, "urn:CodeUnit");
  const XSDName t = reg.InfoToURI(&text);
  EXPECT_EQ(t.uri, "urn:");
  EXPECT_EQ(t.name, "SampleText");
  EXPECT_EQ(reg.URIToInfo("urn:CodeUnit", "ArrayOfSampleCode"), &array);
}

}  // namespace
}  // namespace vorn
