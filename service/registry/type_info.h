// Type descriptions: what kind of value a property, parameter or array
// entry holds, with its name and declaring module.
//
// Descriptions are immutable objects with static storage, obtained through
// TypeInfoOf<T>() and compared by address. The module name goes into the
// "urn:" namespaces given to types registered without one.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace vorn {

// The closed set of value kinds. The writer and reader switch on it without a
// default, so a new kind shows up at every place that must handle it.
enum class TypeKind {
  Unknown,
  Integer,      // 8/16/32-bit integers, see OrdType
  Char,         // a single character
  Enumeration,  // identifiers with ordinals 0..n-1; Boolean is {False, True}
  Float,        // see FloatType
  String,       // text
  Set,          // cannot travel
  Class,        // an object of a class derived from TRemotable
  Method,       // cannot travel
  Variant,      // a value whose type is known at run time
  Array,        // static array: cannot travel
  Record,       // cannot travel
  Interface,    // cannot travel
  Int64,        // 64-bit signed integer
  DynArray,     // dynamic array of one element type
  ClassRef,     // cannot travel
};

// How an entry of an array is held and written: an object, a variant, or a
// simple value held as a float, a text or an ordinal (every other kind;
// kinds without a text form are refused when such an entry is written).
enum class ArrayEntry { Object, Variant, Float, String, Ordinal };
ArrayEntry ArrayEntryOf(TypeKind element_kind);

// The name of a kind as it appears in error messages ("Set", "Record"...).
std::string_view KindName(TypeKind kind);

enum class OrdType { S8, U8, S16, U16, S32, U32 };
enum class FloatType { Single, Double, Extended, Comp, Currency };

struct ClassInfo;

struct TypeInfo {
  TypeKind kind = TypeKind::Unknown;
  std::string_view name{};            // the type's own name, e.g. "Integer", "ArrayOfstring"
  std::string_view unit{};            // the module that declares it
  OrdType ord = OrdType::S32;         // Integer, Char, Enumeration
  FloatType flt = FloatType::Double;  // Float
  std::span<const std::string_view> identifiers{};  // Enumeration
  const ClassInfo* class_info = nullptr;            // Class
  const TypeInfo* element = nullptr;                // DynArray

  bool IsBoolean() const;
  // A dynamic array of 8-bit unsigned integers or 8-bit characters.
  bool IsByteArray() const;
};

// ---------------------------------------------------------------------------
// Built-in descriptions.

// The module that declares the built-in types.
inline constexpr std::string_view kSystemUnit = "System";

const TypeInfo* BooleanTypeInfo();
const TypeInfo* IntegerTypeInfo();  // 32-bit signed
const TypeInfo* Int64TypeInfo();
const TypeInfo* DoubleTypeInfo();
const TypeInfo* StringTypeInfo();
const TypeInfo* ByteTypeInfo();  // 8-bit unsigned
const TypeInfo* VariantTypeInfo();
const TypeInfo* ByteDynArrayTypeInfo();  // TByteDynArray
const TypeInfo* ArrayOfstringTypeInfo();
const TypeInfo* ArrayOfanyTypeTypeInfo();
// Kinds that cannot travel, for the error paths: one description per kind.
const TypeInfo* UntravellableTypeInfo(TypeKind kind);

// A byte sequence, base64 on the wire.
using TByteDynArray = std::vector<uint8_t>;
// A sequence of texts.
using ArrayOfstring = std::vector<std::string>;
// A sequence of values whose types are known at run time ("anyType").
class Variant;
using ArrayOfanyType = std::vector<Variant>;

// ---------------------------------------------------------------------------
// Mapping from C++ types to descriptions.

// Enumerations describe themselves with a specialisation:
//   template <> struct EnumTraits<E> {
//     static constexpr std::string_view kName = "E";
//     static constexpr std::string_view kUnit = "Module";
//     static constexpr std::array<std::string_view, N> kIdentifiers = {...};
//   };
template <class E>
struct EnumTraits;

// Arrays of enumerations or objects name their array type with a
// specialisation: template <> struct DynArrayTraits<Elem> {
//   static constexpr std::string_view kName = "ArrayOfX";
//   static constexpr std::string_view kUnit = "Module"; };
template <class Elem>
struct DynArrayTraits;

class Variant;

template <class T>
const TypeInfo* TypeInfoOf();

template <class T>
class Owned;

namespace internal {
// Recognises the holders of an owned object: std::unique_ptr<T> (array
// entries, values handed over) and Owned<T> (property slots).
template <class T>
struct IsUniquePtr : std::false_type {};
template <class T>
struct IsUniquePtr<std::unique_ptr<T>> : std::true_type {
  using element = T;
};
template <class T>
struct IsUniquePtr<Owned<T>> : std::true_type {
  using element = T;
};
template <class T>
struct IsVector : std::false_type {};
template <class T>
struct IsVector<std::vector<T>> : std::true_type {
  using element = T;
};

template <class E>
const TypeInfo* EnumTypeInfo() {
  static const TypeInfo info{.kind = TypeKind::Enumeration,
                             .name = EnumTraits<E>::kName,
                             .unit = EnumTraits<E>::kUnit,
                             .ord = OrdType::U8,
                             .identifiers = EnumTraits<E>::kIdentifiers};
  return &info;
}

template <class Elem>
const TypeInfo* ArrayTypeInfo() {
  static const TypeInfo info{.kind = TypeKind::DynArray,
                             .name = DynArrayTraits<Elem>::kName,
                             .unit = DynArrayTraits<Elem>::kUnit,
                             .element = TypeInfoOf<Elem>()};
  return &info;
}
}  // namespace internal

template <class T>
const TypeInfo* TypeInfoOf() {
  if constexpr (std::is_same_v<T, bool>) {
    return BooleanTypeInfo();
  } else if constexpr (std::is_same_v<T, int32_t>) {
    return IntegerTypeInfo();
  } else if constexpr (std::is_same_v<T, int64_t>) {
    return Int64TypeInfo();
  } else if constexpr (std::is_same_v<T, uint8_t>) {
    return ByteTypeInfo();
  } else if constexpr (std::is_same_v<T, double>) {
    return DoubleTypeInfo();
  } else if constexpr (std::is_same_v<T, std::string>) {
    return StringTypeInfo();
  } else if constexpr (std::is_same_v<T, Variant>) {
    return VariantTypeInfo();
  } else if constexpr (std::is_same_v<T, TByteDynArray>) {
    return ByteDynArrayTypeInfo();
  } else if constexpr (std::is_same_v<T, ArrayOfstring>) {
    return ArrayOfstringTypeInfo();
  } else if constexpr (std::is_same_v<T, std::vector<Variant>>) {
    return ArrayOfanyTypeTypeInfo();
  } else if constexpr (std::is_enum_v<T>) {
    return internal::EnumTypeInfo<T>();
  } else if constexpr (internal::IsUniquePtr<T>::value) {
    return internal::IsUniquePtr<T>::element::StaticClass().type_info;
  } else if constexpr (internal::IsVector<T>::value) {
    return internal::ArrayTypeInfo<typename internal::IsVector<T>::element>();
  } else {
    // A class described by its own StaticClass().
    return T::StaticClass().type_info;
  }
}

}  // namespace vorn
