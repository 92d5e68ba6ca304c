// The one-table form of a class pair of the contract.
//
// A type class is its members plus one descriptor table; its element form is
// one line. Registration and the destruction of owned values both follow the
// table, so nothing about a class is written twice:
//
//   // header
//   class DatiBolloType2 : public TRemotable {
//     VORN_TYPE_CLASS(DatiBolloType2);
//     BolloVirtualeType bolloVirtualeField{};
//     Owned<TXSDecimal> importoBolloField;
//     bool importoBolloFieldSpecified = false;
//   };
//   using DatiBolloType = ElementForm<DatiBolloType2>;
//
//   // source
//   // clang-format off
//   VORN_DESCRIBE(DatiBolloType2, kInvoiceUnit,
//                 VORN_FIELD(bolloVirtualeField),
//                 VORN_FIELD(importoBolloField, IS_NLBL),
//                 VORN_FIELD(importoBolloFieldSpecified));
//   // clang-format on
//
// Arrays name the element of their entries in the table:
//   VORN_ARRAY(datiDDTField, "DatiDDTType", IS_NLBL)
// Message classes with getter, setter and presence predicate:
//   VORN_MESSAGE_PROP(Documento, IS_OPTN | IS_NLBL)
#pragma once

#include <string>
#include <string_view>

#include "service/registry/remotable.h"
#include "service/registry/type_registry.h"

namespace vorn {

// Destroys what `obj` owns through the properties that `cls` declares, in
// this order: the entries of each array of objects (property order, first to
// last, each slot emptied before its object is destroyed, then the array
// emptied), then each object property in property order (slot emptied, then
// the object destroyed). Values that own nothing go with the object.
void DestroyOwnedValues(TRemotable& obj, const ClassInfo& cls) noexcept;

// The element form's name for a type class named T followed by "2": T.
std::string_view ElementFormName(const ClassInfo& type_class);

// The element form of a type class: the same properties and storage under
// the name without the trailing "2". It may stand wherever its type class is
// declared.
template <class TypeClass>
class ElementForm : public TypeClass {
 public:
  static const ClassInfo& StaticClass() {
    static const ClassInfo info = DescribeClass<ElementForm, TypeClass>(
        ElementFormName(TypeClass::StaticClass()), TypeClass::StaticClass().unit);
    return info;
  }
  const ClassInfo& ClassType() const override { return StaticClass(); }
};

// Registers a type class under its own name with the element form's name as
// its XML type name, then the item name of each of its array properties, in
// property order.
void RegisterTypeClass(TRemotableTypeRegistry& registry, const ClassInfo& type_class,
                       std::string_view ns);
// Registers an element form under its own name.
void RegisterElementForm(TRemotableTypeRegistry& registry, const ClassInfo& element_form,
                         std::string_view ns);

// A whole pair, in the order lookups rely on: the type class (answering
// first to the XML type name), its item names, then the element form.
template <class TypeClass>
void RegisterClassPair(TRemotableTypeRegistry& registry, std::string_view ns) {
  RegisterTypeClass(registry, TypeClass::StaticClass(), ns);
  RegisterElementForm(registry, ElementForm<TypeClass>::StaticClass(), ns);
}

}  // namespace vorn

// Inside a type class deriving from TRemotable: its description, its class
// for the codec and its destructor, which destroys owned values in the
// table's order. The members that follow are public.
#define VORN_TYPE_CLASS(Cls)                                                    \
 public:                                                                        \
  static const ::vorn::ClassInfo& StaticClass();                                \
  const ::vorn::ClassInfo& ClassType() const override { return StaticClass(); } \
  Cls() = default;                                                              \
  ~Cls() override { ::vorn::DestroyOwnedValues(*this, StaticClass()); }         \
  static_assert(true)

// The descriptor table of a type class deriving from TRemotable, in wire
// order.
#define VORN_DESCRIBE(Cls, Unit, ...)                                                     \
  const ::vorn::ClassInfo& Cls::StaticClass() {                                           \
    using C [[maybe_unused]] = Cls;                                                       \
    static const ::vorn::ClassInfo info = ::vorn::DescribeClass<Cls, ::vorn::TRemotable>( \
        #Cls, Unit, [] { return ::vorn::PropList{__VA_ARGS__}; });                        \
    return info;                                                                          \
  }                                                                                       \
  static_assert(true)

// A data member described under its own name.
#define VORN_FIELD(member, ...) ::vorn::field<&C::member>(#member __VA_OPT__(, ) __VA_ARGS__)
// An array member with the element name of its entries.
#define VORN_ARRAY(member, item, ...) \
  ::vorn::array<&C::member>(#member, item __VA_OPT__(, ) __VA_ARGS__)
// A message property: getter P, setter SetP, presence predicate P_Specified.
#define VORN_MESSAGE_PROP(P, ...) \
  ::vorn::prop<&C::P, &C::Set##P, &C::P##_Specified>(#P __VA_OPT__(, ) __VA_ARGS__)
