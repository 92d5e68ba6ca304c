#include "service/registry/type_info.h"

#include <array>

namespace vorn {
namespace {

constexpr std::string_view kTypesUnit = "Types";
constexpr std::array<std::string_view, 2> kBooleanIdentifiers = {"False", "True"};

}  // namespace

ArrayEntry ArrayEntryOf(TypeKind element_kind) {
  switch (element_kind) {
    case TypeKind::Class:
      return ArrayEntry::Object;
    case TypeKind::Variant:
      return ArrayEntry::Variant;
    case TypeKind::Float:
      return ArrayEntry::Float;
    case TypeKind::String:
      return ArrayEntry::String;
    case TypeKind::Unknown:
    case TypeKind::Integer:
    case TypeKind::Char:
    case TypeKind::Enumeration:
    case TypeKind::Set:
    case TypeKind::Method:
    case TypeKind::Array:
    case TypeKind::Record:
    case TypeKind::Interface:
    case TypeKind::Int64:
    case TypeKind::DynArray:
    case TypeKind::ClassRef:
      break;
  }
  return ArrayEntry::Ordinal;
}

std::string_view KindName(TypeKind kind) {
  switch (kind) {
    case TypeKind::Unknown:
      return "Unknown";
    case TypeKind::Integer:
      return "Integer";
    case TypeKind::Char:
      return "Char";
    case TypeKind::Enumeration:
      return "Enumeration";
    case TypeKind::Float:
      return "Float";
    case TypeKind::String:
      return "String";
    case TypeKind::Set:
      return "Set";
    case TypeKind::Class:
      return "Class";
    case TypeKind::Method:
      return "Method";
    case TypeKind::Variant:
      return "Variant";
    case TypeKind::Array:
      return "Array";
    case TypeKind::Record:
      return "Record";
    case TypeKind::Interface:
      return "Interface";
    case TypeKind::Int64:
      return "Int64";
    case TypeKind::DynArray:
      return "DynArray";
    case TypeKind::ClassRef:
      return "ClassRef";
  }
  return "Unknown";
}

bool TypeInfo::IsBoolean() const {
  return kind == TypeKind::Enumeration && identifiers.data() == kBooleanIdentifiers.data();
}

bool TypeInfo::IsByteArray() const {
  return kind == TypeKind::DynArray && element != nullptr &&
         ((element->kind == TypeKind::Integer && element->ord == OrdType::U8) ||
          (element->kind == TypeKind::Char && element->ord == OrdType::U8));
}

const TypeInfo* BooleanTypeInfo() {
  static const TypeInfo info{.kind = TypeKind::Enumeration,
                             .name = "Boolean",
                             .unit = kSystemUnit,
                             .ord = OrdType::U8,
                             .identifiers = kBooleanIdentifiers};
  return &info;
}

const TypeInfo* IntegerTypeInfo() {
  static const TypeInfo info{
      .kind = TypeKind::Integer, .name = "Integer", .unit = kSystemUnit, .ord = OrdType::S32};
  return &info;
}

const TypeInfo* Int64TypeInfo() {
  static const TypeInfo info{.kind = TypeKind::Int64, .name = "Int64", .unit = kSystemUnit};
  return &info;
}

const TypeInfo* ByteTypeInfo() {
  static const TypeInfo info{
      .kind = TypeKind::Integer, .name = "Byte", .unit = kSystemUnit, .ord = OrdType::U8};
  return &info;
}

const TypeInfo* DoubleTypeInfo() {
  static const TypeInfo info{
      .kind = TypeKind::Float, .name = "Double", .unit = kSystemUnit, .flt = FloatType::Double};
  return &info;
}

const TypeInfo* StringTypeInfo() {
  static const TypeInfo info{.kind = TypeKind::String, .name = "string", .unit = kSystemUnit};
  return &info;
}

const TypeInfo* VariantTypeInfo() {
  static const TypeInfo info{.kind = TypeKind::Variant, .name = "Variant", .unit = kSystemUnit};
  return &info;
}

const TypeInfo* ByteDynArrayTypeInfo() {
  static const TypeInfo info{.kind = TypeKind::DynArray,
                             .name = "TByteDynArray",
                             .unit = kTypesUnit,
                             .element = ByteTypeInfo()};
  return &info;
}

const TypeInfo* ArrayOfstringTypeInfo() {
  static const TypeInfo info{.kind = TypeKind::DynArray,
                             .name = "ArrayOfstring",
                             .unit = "Service",
                             .element = StringTypeInfo()};
  return &info;
}

const TypeInfo* ArrayOfanyTypeTypeInfo() {
  static const TypeInfo info{.kind = TypeKind::DynArray,
                             .name = "ArrayOfanyType",
                             .unit = "Service",
                             .element = VariantTypeInfo()};
  return &info;
}

const TypeInfo* UntravellableTypeInfo(TypeKind kind) {
  static const std::array<TypeInfo, 6> infos = {{
      {.kind = TypeKind::Set, .name = "TSet", .unit = kSystemUnit},
      {.kind = TypeKind::Method, .name = "TMethod", .unit = kSystemUnit},
      {.kind = TypeKind::Array, .name = "TStaticArray", .unit = kSystemUnit},
      {.kind = TypeKind::Record, .name = "TRecord", .unit = kSystemUnit},
      {.kind = TypeKind::Interface, .name = "IInterface", .unit = kSystemUnit},
      {.kind = TypeKind::ClassRef, .name = "TClass", .unit = kSystemUnit},
  }};
  for (const TypeInfo& t : infos) {
    if (t.kind == kind) return &t;
  }
  return nullptr;
}

}  // namespace vorn
