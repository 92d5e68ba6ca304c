// TRemotable, the base of every class that travels in a message, and the
// class and property descriptions that the envelope writer and the response
// reader walk.
//
// A class describes itself once, declaratively, in its StaticClass():
//
//   const ClassInfo& Foo::StaticClass() {
//     using C = Foo;
//     static const ClassInfo info = DescribeClass<C, TRemotable>("Foo", "Unit", [] {
//       return PropList{field<&C::nomeField>("nomeField", IS_NLBL),
//                       array<&C::righeField>("righeField", "RigaType", IS_NLBL)};
//     });
//     return info;
//   }
//
// The descriptors deduce the value kind from the C++ type of the member or
// getter, so no class needs hand-written accessors for the codec.
// class_table.h wraps this in the one-table form that classes use.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/option_set.h"
#include "service/registry/property_access.h"
#include "service/registry/type_info.h"

namespace vorn {

// Flag word of operations, parameters and properties.
inline constexpr uint32_t IS_OPTN = 1;    // optional: not written when not stored
inline constexpr uint32_t IS_UNBD = 2;    // unbounded: an inline array
inline constexpr uint32_t IS_NLBL = 4;    // nillable (recorded only)
inline constexpr uint32_t IS_UNQL = 8;    // unqualified: element in no namespace
inline constexpr uint32_t IS_ATTR = 16;   // an XML attribute of the object's element
inline constexpr uint32_t IS_TEXT = 32;   // the text content of the object's element
inline constexpr uint32_t IS_REF = 128;   // element in the namespace of its type
inline constexpr uint32_t IS_QUAL = 256;  // attribute written with a prefix
// A parameter with this bit is not written at all.
inline constexpr uint32_t IS_NOT_WRITTEN = 512;

// Serialization options of a class (registered) or an object (set in code).
enum class SerializationOption {
  xoHolderClass,            // no element of its own: properties go into the parent's
  xoAttributeOnLastMember,  // attributes go onto the last child element written
  xoInlineArrays,           // every array property is inline
  xoLiteralParam,           // never a type attribute
  xoSimpleTypeWrapper,      // one property, written as the element's text
};

using SerializationOptions = OptionSet<SerializationOption>;

class TRemotable;

// How the stored predicate of a property is given.
enum class StoredKind { Always, Never, Function };

// One property of a class: name (also the default XML name), value type, flag
// word, stored predicate, access to the value and, for an array, the element
// name of its entries. A plain value: describing a property allocates nothing.
struct PropInfo {
  std::string_view name;
  const TypeInfo* type = nullptr;
  uint32_t flags = 0;
  StoredKind stored = StoredKind::Always;
  bool (*stored_fn)(const TRemotable&) = nullptr;  // StoredKind::Function
  const PropAccess* access = nullptr;              // static storage
  // Arrays: the element name of each entry, registered with the class as an
  // "ArrayItemName" option; empty when none is registered.
  std::string_view item_name{};
  // The class whose description lists the property (set by ClassInfo).
  const ClassInfo* declared_in = nullptr;

  // The stored predicate's answer for `obj`.
  bool IsStored(const TRemotable& obj) const;
  // IS_ATTR, or a constantly false predicate on a value that can be an
  // attribute (not an object or variant, unless a value class).
  bool IsAttribute() const;
  // IS_UNBD, or a constantly false predicate on an array.
  bool IsUnbounded() const;
  // An object property, or an array of objects: what an object owns.
  bool OwnsObjects() const;
};

using PropList = std::vector<PropInfo>;

// The description of a class derived from TRemotable.
struct ClassInfo {
  using Factory = std::unique_ptr<TRemotable> (*)();

  ClassInfo(std::string_view name, std::string_view unit, const ClassInfo* parent, Factory create,
            bool is_xs, PropList (*own_props)());
  ClassInfo(const ClassInfo&) = delete;
  ClassInfo& operator=(const ClassInfo&) = delete;

  std::string_view name;
  std::string_view unit;
  const ClassInfo* parent;  // null for TRemotable itself
  Factory create;           // virtual construction; null for an abstract class
  bool is_xs;               // a value class whose whole value is one text
  TypeInfo type;            // the class as a type (kind Class)
  const TypeInfo* type_info = &type;

  // Every property, the most distant ancestor's first, each class's in its
  // own declaration order. Built on first use (lazily, so that classes may
  // refer to each other).
  const PropList& Properties() const;
  // The properties this class declares itself: the tail of Properties().
  std::span<const PropInfo> OwnProperties() const;
  // True when this class is `other` or derives from it.
  bool InheritsFrom(const ClassInfo& other) const;
  // A new object of this class. REQUIRES: create != nullptr.
  std::unique_ptr<TRemotable> NewInstance() const { return create(); }

 private:
  void Build() const;

  PropList (*own_props_)();
  mutable std::mutex build_mutex_;
  mutable std::atomic<bool> built_{false};
  mutable PropList props_;
  mutable size_t own_count_ = 0;
};

namespace xml {
class Node;
}  // namespace xml

// The codec side of writing an object, given to TRemotable::ObjectToSOAP.
// It knows the element name, namespaces and parent; the object only chooses
// between the two ways of being written.
class SoapObjectWriter {
 public:
  virtual ~SoapObjectWriter() = default;
  // The element with the object's properties (the default).
  virtual void WriteObjectInstance(const TRemotable& obj) = 0;
  // The element with `text` as its content and no property elements.
  virtual void WriteValueText(const TRemotable& obj, std::string_view text) = 0;
  // The element with no property elements and, when `node` is not null, a
  // deep copy of it (made in the message's document) as its only child.
  virtual void WriteFragment(const TRemotable& obj, const xml::Node* node) = 0;
};

// The codec side of reading an object, given to TRemotable::SOAPToObject.
class SoapObjectReader {
 public:
  virtual ~SoapObjectReader() = default;
  // Fills the object's properties from the element (the default).
  virtual void ReadObjectProperties(TRemotable& obj) = 0;
  // The element's text.
  virtual std::string ElementText() = 0;
  // The element's only child node of any kind; null when it has none or
  // several. Valid while the reply is being read.
  virtual const xml::Node* OnlyChild() = 0;
};

class TRemotable {
 public:
  TRemotable() = default;
  virtual ~TRemotable() = default;
  TRemotable(const TRemotable&) = delete;
  TRemotable& operator=(const TRemotable&) = delete;

  static const ClassInfo& StaticClass();
  // The class of this object, for the registry and the codec.
  virtual const ClassInfo& ClassType() const { return StaticClass(); }

  // Writes the object through the codec; by default its properties.
  virtual void ObjectToSOAP(SoapObjectWriter& writer) const { writer.WriteObjectInstance(*this); }
  // Reads the object through the codec; by default its properties.
  virtual void SOAPToObject(SoapObjectReader& reader) { reader.ReadObjectProperties(*this); }

  // Per-object serialization options, ORed with the class's registered ones.
  SerializationOptions FSerializationOptions;
};

// Base of the classes whose whole value is one text (decimal, date-time).
class TRemotableXS : public TRemotable {
 public:
  static const ClassInfo& StaticClass();
  const ClassInfo& ClassType() const override { return StaticClass(); }

  // The value as its XML Schema text.
  virtual std::string NativeToXS() const = 0;
  // Takes the value from its XML Schema text; throws when the text is invalid.
  virtual void XSToNative(const std::string& text) = 0;

  void ObjectToSOAP(SoapObjectWriter& writer) const override {
    writer.WriteValueText(*this, NativeToXS());
  }
  void SOAPToObject(SoapObjectReader& reader) override { XSToNative(reader.ElementText()); }
};

// Implements ClassType() for a class C deriving from Base:
//   class Foo : public Remotable<Foo, TRemotable> { ... static const ClassInfo& StaticClass(); };
template <class C, class Base>
class Remotable : public Base {
 public:
  const ClassInfo& ClassType() const override { return C::StaticClass(); }
};

// Builds the description of class C whose parent class is Parent.
template <class C, class Parent>
ClassInfo DescribeClass(std::string_view name, std::string_view unit,
                        PropList (*own_props)() = nullptr) {
  ClassInfo::Factory create = nullptr;
  if constexpr (!std::is_abstract_v<C> && std::is_default_constructible_v<C>) {
    create = []() -> std::unique_ptr<TRemotable> { return std::make_unique<C>(); };
  }
  return ClassInfo(name, unit, &Parent::StaticClass(), create, std::is_base_of_v<TRemotableXS, C>,
                   own_props);
}

// ---------------------------------------------------------------------------
// Property descriptors. Each refers to the one accessor object of its member.

// A public data member: field<&C::cAPField>("cAPField", IS_NLBL).
template <auto Member>
PropInfo field(std::string_view name, uint32_t flags = 0) {
  using V = typename internal::MemberPointer<decltype(Member)>::Value;
  PropInfo p;
  p.name = name;
  p.type = TypeInfoOf<V>();
  p.flags = flags;
  p.access = internal::FieldAccessFor<Member>();
  return p;
}

// An array member whose entries are written as elements named `item_name`:
// array<&C::datiDDTField>("datiDDTField", "DatiDDTType", IS_NLBL).
template <auto Member>
PropInfo array(std::string_view name, std::string_view item_name, uint32_t flags = 0) {
  PropInfo p = field<Member>(name, flags);
  p.item_name = item_name;
  return p;
}

namespace internal {
template <auto Stored>
bool CallStored(const TRemotable& obj) {
  using C = typename GetterPointer<decltype(Stored)>::Class;
  return (static_cast<const C&>(obj).*Stored)();
}
}  // namespace internal

// A getter and a setter, with an optional stored predicate:
// prop<&C::Documento, &C::SetDocumento, &C::Documento_Specified>("Documento",
//                                                              IS_OPTN | IS_NLBL).
template <auto Getter, auto Setter, auto Stored = nullptr>
PropInfo prop(std::string_view name, uint32_t flags = 0, std::string_view item_name = {}) {
  using G = typename internal::GetterPointer<decltype(Getter)>::Result;
  PropInfo p;
  p.name = name;
  p.type = TypeInfoOf<typename internal::ValueOfGetter<G>::type>();
  p.flags = flags;
  p.access = internal::MethodAccessFor<Getter, Setter>();
  p.item_name = item_name;
  if constexpr (!std::is_same_v<decltype(Stored), std::nullptr_t>) {
    p.stored = StoredKind::Function;
    p.stored_fn = &internal::CallStored<Stored>;
  }
  return p;
}

// A property whose stored predicate is constantly false (an attribute, or an
// inline array).
inline PropInfo NeverStored(PropInfo p) {
  p.stored = StoredKind::Never;
  return p;
}

}  // namespace vorn
