// Invariants of the whole invoice model, checked over the registry entries
// that its start-up registration makes rather than over a hand-kept list of
// classes: names, order, flags, presence companions, item names, lookups,
// counts and registration order.
#include <gtest/gtest.h>

#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "invoice/fattura_elettronica.h"
#include "invoice/namespaces.h"
#include "service/registry/type_registry.h"
#include "service/registry/xml_data.h"
#include "service/registry/xs_datetime.h"
#include "service/registry/xs_decimal.h"

namespace vorn {
namespace {

const std::string kNs(kInvoiceSchemaNamespace);

// The model registered once into the process-wide registry, as start-up
// does (without the message types, which live in the service layer).
const std::vector<TRemRegEntry>& ModelEntries() {
  static std::once_flag once;
  std::call_once(once, [] { RegisterInvoiceTypes(); });
  static const std::vector<TRemRegEntry> entries = RemTypeRegistry().Entries();
  return entries;
}

bool IsTypeClassEntry(const TRemRegEntry& e) {
  return e.URI == kNs && e.ClassType != nullptr &&
         e.ClassType->parent == &TRemotable::StaticClass() &&
         e.ClassType != &TXMLData::StaticClass();
}

// The type classes, in registration order.
std::vector<const ClassInfo*> TypeClasses() {
  std::vector<const ClassInfo*> out;
  for (const TRemRegEntry& e : ModelEntries()) {
    if (IsTypeClassEntry(e)) out.push_back(e.ClassType);
  }
  return out;
}

size_t IndexOfClass(const ClassInfo& cls) {
  const auto& entries = ModelEntries();
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].ClassType == &cls) return i;
  }
  return entries.size();
}

// The value kinds of the model, as its tables name them.
enum class Kind { String, Object, Boolean, Array, Decimal, CodeList, DateTime, Fragment, Bytes };

Kind KindOf(const PropInfo& p) {
  const TypeInfo* t = p.type;
  switch (t->kind) {
    case TypeKind::String:
      return Kind::String;
    case TypeKind::Enumeration:
      return t->IsBoolean() ? Kind::Boolean : Kind::CodeList;
    case TypeKind::DynArray:
      return t->IsByteArray() ? Kind::Bytes : Kind::Array;
    case TypeKind::Class:
      if (t->class_info == &TXSDecimal::StaticClass()) return Kind::Decimal;
      if (t->class_info == &TXSDateTime::StaticClass()) return Kind::DateTime;
      if (t->class_info == &TXMLData::StaticClass()) return Kind::Fragment;
      return Kind::Object;
    default:
      ADD_FAILURE() << p.name << ": a kind the model does not use";
      return Kind::String;
  }
}

bool EndsWith(std::string_view s, std::string_view tail) { return s.ends_with(tail); }

TEST(InvoiceModel, FiftyPairsEachTypeClassThenItsElementForm) {
  const auto& entries = ModelEntries();
  TRemotableTypeRegistry& reg = RemTypeRegistry();
  const std::vector<const ClassInfo*> classes = TypeClasses();
  ASSERT_EQ(classes.size(), 50u);
  size_t class_entries = 0;
  for (const TRemRegEntry& e : entries) {
    if (e.URI == kNs && e.ClassType != nullptr && e.ClassType != &TXMLData::StaticClass()) {
      ++class_entries;
    }
  }
  EXPECT_EQ(class_entries, 100u);

  for (const ClassInfo* tc : classes) {
    SCOPED_TRACE(std::string(tc->name));
    ASSERT_TRUE(EndsWith(tc->name, "2"));
    const std::string xml_name(tc->name.substr(0, tc->name.size() - 1));
    const size_t i = IndexOfClass(*tc);
    const TRemRegEntry& te = entries[i];
    EXPECT_EQ(te.Name, tc->name);
    EXPECT_EQ(te.ExtName, xml_name);
    EXPECT_FALSE(te.IsScalar);
    EXPECT_EQ(te.MultiRefOpt, MultiRefOption::ocDefault);
    EXPECT_TRUE(te.SerializationOpt.Empty());

    // The item names, one per array property in property order, are
    // recorded on the type class's own entry.
    std::vector<std::pair<std::string, std::string>> expected_items;
    for (const PropInfo& p : tc->OwnProperties()) {
      if (KindOf(p) == Kind::Array) {
        expected_items.emplace_back(p.name, "[ArrayItemName=\"" + std::string(p.item_name) + "\"]");
      }
    }
    std::vector<std::pair<std::string, std::string>> items;
    for (const ExtNameMapItem& m : te.PropNameMap) items.emplace_back(m.Name, m.ExtName);
    EXPECT_EQ(items, expected_items);

    // The element form follows directly: its own name, no external name,
    // no properties or item names of its own.
    ASSERT_LT(i + 1, entries.size());
    const TRemRegEntry& ee = entries[i + 1];
    ASSERT_NE(ee.ClassType, nullptr);
    EXPECT_EQ(ee.ClassType->parent, tc);
    EXPECT_EQ(ee.ClassType->name, xml_name);
    EXPECT_EQ(ee.URI, kNs);
    EXPECT_EQ(ee.Name, xml_name);
    EXPECT_EQ(ee.ExtName, "");
    EXPECT_TRUE(ee.PropNameMap.empty());
    EXPECT_TRUE(ee.ClassType->OwnProperties().empty());
    EXPECT_EQ(ee.ClassType->Properties().size(), tc->Properties().size());

    // Lookups: both classes answer to the XML type name, which finds the
    // type class; each is found under its own registered name.
    EXPECT_EQ(reg.ClassToURI(*tc).uri, kNs);
    EXPECT_EQ(reg.ClassToURI(*tc).name, xml_name);
    EXPECT_EQ(reg.ClassToURI(*ee.ClassType).uri, kNs);
    EXPECT_EQ(reg.ClassToURI(*ee.ClassType).name, xml_name);
    EXPECT_EQ(reg.URIToClass(kNs, xml_name), tc);
    EXPECT_EQ(reg.URIToInfo(kNs, tc->name), tc->type_info);
    EXPECT_EQ(reg.URIToInfo(kNs, xml_name), ee.ClassType->type_info);
    // Either object can be created from its description.
    EXPECT_EQ(&tc->NewInstance()->ClassType(), tc);
    EXPECT_EQ(&ee.ClassType->NewInstance()->ClassType(), ee.ClassType);
    // The element form finds its type class's item names.
    for (const auto& [name, text] : expected_items) {
      EXPECT_EQ(reg.GetExternalPropName(ee.ClassType->type_info, name), text);
    }
  }
}

TEST(InvoiceModel, PropertiesAreSortedFlaggedAndCompanionsFollowTheirValues) {
  TRemotableTypeRegistry& reg = RemTypeRegistry();
  std::map<Kind, int> counts;
  int total = 0;
  int nillable_with_companion = 0;
  for (const ClassInfo* tc : TypeClasses()) {
    SCOPED_TRACE(std::string(tc->name));
    const std::span<const PropInfo> props = tc->OwnProperties();
    ASSERT_EQ(props.size(), tc->Properties().size()) << "a type class has no parent's properties";
    ASSERT_FALSE(props.empty());
    for (size_t i = 0; i < props.size(); ++i) {
      const PropInfo& p = props[i];
      SCOPED_TRACE(std::string(p.name));
      const Kind kind = KindOf(p);
      ++counts[kind];
      ++total;
      // Ascending code-unit order: upper case before lower case.
      if (i > 0) {
        EXPECT_LT(props[i - 1].name, p.name);
      }
      EXPECT_EQ(p.declared_in, tc);
      EXPECT_EQ(p.stored, StoredKind::Always);
      // Nothing renames a property: the name is the element name.
      EXPECT_EQ(reg.GetExternalPropName(tc->type_info, p.name),
                kind == Kind::Array ? "[ArrayItemName=\"" + std::string(p.item_name) + "\"]"
                                    : std::string(p.name));

      const bool has_companion =
          i + 1 < props.size() && props[i + 1].name == std::string(p.name) + "Specified";
      if (kind == Kind::Boolean) {
        // Every Boolean is the companion of the value right before it.
        ASSERT_TRUE(EndsWith(p.name, "FieldSpecified"));
        ASSERT_GT(i, 0u);
        const PropInfo& value = props[i - 1];
        EXPECT_EQ(std::string(value.name) + "Specified", p.name);
        const Kind vk = KindOf(value);
        EXPECT_TRUE(vk == Kind::Decimal || vk == Kind::DateTime || vk == Kind::CodeList)
            << "companion of a value that cannot be optional";
        EXPECT_EQ(p.flags, 0u);
      } else {
        EXPECT_TRUE(EndsWith(p.name, "Field"));
        EXPECT_FALSE(EndsWith(p.name, "FieldSpecified"));
        if (kind == Kind::Decimal || kind == Kind::DateTime || kind == Kind::CodeList) {
          // Nillable exactly when a companion says whether it is present.
          EXPECT_EQ(p.flags, has_companion ? IS_NLBL : 0u);
          if (has_companion) ++nillable_with_companion;
        } else {
          EXPECT_EQ(p.flags, IS_NLBL);
          EXPECT_FALSE(has_companion);
        }
      }

      // Arrays, and only arrays, name their items; the name is the XML
      // type name of the entry type.
      if (kind == Kind::Array) {
        EXPECT_FALSE(p.item_name.empty());
        EXPECT_EQ(p.item_name, reg.TypeInfoToXSD(p.type->element).name);
      } else {
        EXPECT_TRUE(p.item_name.empty());
      }
    }
  }
  EXPECT_EQ(total, 277);
  EXPECT_EQ(nillable_with_companion, 36);
  const std::map<Kind, int> expected = {
      {Kind::String, 89},   {Kind::Object, 47},  {Kind::Boolean, 36},
      {Kind::Array, 33},    {Kind::Decimal, 27}, {Kind::CodeList, 22},
      {Kind::DateTime, 16}, {Kind::Fragment, 4}, {Kind::Bytes, 3},
  };
  EXPECT_EQ(counts, expected);
}

TEST(InvoiceModel, CodeListsAndArrayTypesAreRegisteredBeforeTheClasses) {
  const auto& entries = ModelEntries();
  const std::string arrays_ns(kArraysNamespace);
  std::set<const TypeInfo*> code_lists, array_types;
  size_t first_class = entries.size(), last_code_list = 0, first_array = entries.size(),
         last_array = 0;
  for (size_t i = 0; i < entries.size(); ++i) {
    const TRemRegEntry& e = entries[i];
    if (IsTypeClassEntry(e)) first_class = std::min(first_class, i);
    if (e.URI != kNs && e.URI != arrays_ns) continue;
    if (e.Info->kind == TypeKind::Enumeration) {
      EXPECT_EQ(e.URI, kNs);
      EXPECT_EQ(e.Name, e.Info->name);
      EXPECT_EQ(e.ExtName, "");
      EXPECT_TRUE(code_lists.insert(e.Info).second) << e.Name;
      last_code_list = i;
    } else if (e.Info->kind == TypeKind::DynArray) {
      EXPECT_EQ(e.Name, e.Info->name);
      EXPECT_EQ(e.ExtName, "");
      const bool in_arrays_ns = e.Name == "ArrayOfstring" || e.Name == "ArrayOfanyType";
      EXPECT_EQ(e.URI, in_arrays_ns ? arrays_ns : kNs) << e.Name;
      EXPECT_TRUE(array_types.insert(e.Info).second) << e.Name;
      first_array = std::min(first_array, i);
      last_array = i;
    }
  }
  EXPECT_EQ(code_lists.size(), 21u);
  EXPECT_EQ(array_types.size(), 21u);
  EXPECT_LT(last_code_list, first_array);
  EXPECT_LT(last_array, first_class);
  // The root's pair is the first.
  EXPECT_EQ(entries[first_class].ClassType, &FatturaElettronicaType2::StaticClass());

  // Every code list and array type that a property uses is one of them, and
  // each of them is used.
  std::set<const TypeInfo*> used;
  for (const ClassInfo* tc : TypeClasses()) {
    for (const PropInfo& p : tc->OwnProperties()) {
      const Kind kind = KindOf(p);
      if (kind == Kind::CodeList) {
        EXPECT_TRUE(code_lists.count(p.type)) << tc->name << "." << p.name;
        used.insert(p.type);
      } else if (kind == Kind::Array) {
        EXPECT_TRUE(array_types.count(p.type)) << tc->name << "." << p.name;
        used.insert(p.type);
        if (p.type->element->kind == TypeKind::Enumeration) used.insert(p.type->element);
      }
    }
  }
  EXPECT_EQ(used.size(), 42u);
}

TEST(InvoiceModel, FragmentHolderAnswersToFourNamesEachJustBeforeItsClass) {
  const auto& entries = ModelEntries();
  TRemotableTypeRegistry& reg = RemTypeRegistry();
  const TypeInfo* xml_data = TXMLData::StaticClass().type_info;
  struct Case {
    std::string name, ext_name;
    const ClassInfo* before;
    size_t distance;  // entries between it and that class, plus one
  } cases[] = {
      {"anyField", "", &CanonicalizationMethodType2::StaticClass(), 1},
      {"anyField2", "anyField", &DigestMethodType2::StaticClass(), 2},
      {"anyField3", "anyField", &DigestMethodType2::StaticClass(), 1},
      {"anyField4", "anyField", &ObjectType2::StaticClass(), 1},
  };
  size_t in_model_ns = 0;
  for (const TRemRegEntry& e : entries) in_model_ns += e.Info == xml_data && e.URI == kNs;
  EXPECT_EQ(in_model_ns, 4u);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const size_t at = IndexOfClass(*c.before);
    ASSERT_GE(at, c.distance);
    const TRemRegEntry& e = entries[at - c.distance];
    EXPECT_EQ(e.Info, xml_data);
    EXPECT_EQ(e.URI, kNs);
    EXPECT_EQ(e.Name, c.name);
    EXPECT_EQ(e.ExtName, c.ext_name);
    EXPECT_EQ(e.XMLTypeName(), "anyField");
  }
  // A lookup by name finds the holder; a lookup by type still gives its
  // built-in entry.
  EXPECT_EQ(reg.URIToClass(kNs, "anyField"), &TXMLData::StaticClass());
  EXPECT_EQ(reg.ClassToURI(TXMLData::StaticClass()).name, "schema");
  EXPECT_EQ(reg.ClassToURI(TXMLData::StaticClass()).uri, "http://www.w3.org/2001/XMLSchema");
}

TEST(InvoiceModel, NewObjectsHoldTheDefaultsOfTheirValueTypes) {
  for (const ClassInfo* tc : TypeClasses()) {
    SCOPED_TRACE(std::string(tc->name));
    const std::unique_ptr<TRemotable> obj = tc->NewInstance();
    for (const PropInfo& p : tc->OwnProperties()) {
      SCOPED_TRACE(std::string(p.name));
      switch (KindOf(p)) {
        case Kind::String:
          EXPECT_EQ(p.access->GetString(*obj), "");
          break;
        case Kind::Boolean:
        case Kind::CodeList:
          EXPECT_EQ(p.access->GetOrd(*obj), 0);
          break;
        case Kind::Array:
        case Kind::Bytes:
          EXPECT_EQ(p.access->ArrayLength(*obj), 0u);
          break;
        case Kind::Object:
        case Kind::Decimal:
        case Kind::DateTime:
        case Kind::Fragment:
          EXPECT_EQ(p.access->GetObject(*obj), nullptr);
          break;
      }
    }
  }
}

}  // namespace
}  // namespace vorn
