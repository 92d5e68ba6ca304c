// The one-table form: a class pair described once, registered and destroyed
// by its table.
#include "service/registry/class_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "service/registry/code_list.h"
#include "service/registry/type_registry.h"
#include "service/registry/xs_datetime.h"
#include "service/registry/xs_decimal.h"

namespace vorn {

constexpr std::string_view kTableUnit = "TableTest";

class RigaType2 : public TRemotable {
  VORN_TYPE_CLASS(RigaType2);
  std::string descrizioneField;
};
using RigaType = ElementForm<RigaType2>;

template <>
struct DynArrayTraits<std::unique_ptr<RigaType2>> {
  static constexpr std::string_view kName = "ArrayOfRigaType";
  static constexpr std::string_view kUnit = "TableTest";
};

class DocType2 : public TRemotable {
  VORN_TYPE_CLASS(DocType2);
  std::vector<std::string> causaleField;
  Owned<TXSDateTime> dataField;
  Owned<TXSDecimal> importoField;
  bool importoFieldSpecified = false;
  std::vector<std::unique_ptr<RigaType2>> lineeField;
  Owned<DocType2> precedenteField;
};
using DocType = ElementForm<DocType2>;

// clang-format off
VORN_DESCRIBE(RigaType2, kTableUnit,
              VORN_FIELD(descrizioneField, IS_NLBL));

VORN_DESCRIBE(DocType2, kTableUnit,
              VORN_ARRAY(causaleField, "string", IS_NLBL),
              VORN_FIELD(dataField, IS_NLBL),
              VORN_FIELD(importoField, IS_NLBL),
              VORN_FIELD(importoFieldSpecified),
              VORN_ARRAY(lineeField, "RigaType", IS_NLBL),
              VORN_FIELD(precedenteField, IS_NLBL));
// clang-format on

// Listed out of sorted order on purpose.
VORN_CODE_LIST(RegimeTest, kTableUnit, RF17, RF19, RF18);

namespace {

TEST(ClassTable, CodeListKeepsItsIdentifiersInListedOrder) {
  const TypeInfo* t = TypeInfoOf<RegimeTest>();
  EXPECT_EQ(t->kind, TypeKind::Enumeration);
  EXPECT_EQ(t->name, "RegimeTest");
  EXPECT_EQ(t->unit, kTableUnit);
  ASSERT_EQ(t->identifiers.size(), 3u);
  EXPECT_EQ(t->identifiers[0], "RF17");
  EXPECT_EQ(t->identifiers[static_cast<size_t>(RegimeTest::RF19)], "RF19");
  EXPECT_EQ(t->identifiers[static_cast<size_t>(RegimeTest::RF18)], "RF18");
  EXPECT_EQ(RegimeTest{}, RegimeTest::RF17);  // a new value holds ordinal 0
}

TEST(ClassTable, DescribesTheTypeClassAndLendsItToTheElementForm) {
  const ClassInfo& tc = DocType2::StaticClass();
  const ClassInfo& ef = DocType::StaticClass();
  EXPECT_EQ(ef.name, "DocType");
  EXPECT_EQ(ef.unit, kTableUnit);
  EXPECT_EQ(ef.parent, &tc);
  EXPECT_TRUE(ef.OwnProperties().empty());
  ASSERT_EQ(ef.Properties().size(), 6u);

  struct Expected {
    std::string_view name;
    TypeKind kind;
    uint32_t flags;
    std::string_view item;
  };
  const Expected expected[] = {
      {"causaleField", TypeKind::DynArray, IS_NLBL, "string"},
      {"dataField", TypeKind::Class, IS_NLBL, ""},
      {"importoField", TypeKind::Class, IS_NLBL, ""},
      {"importoFieldSpecified", TypeKind::Enumeration, 0, ""},
      {"lineeField", TypeKind::DynArray, IS_NLBL, "RigaType"},
      {"precedenteField", TypeKind::Class, IS_NLBL, ""},
  };
  for (size_t i = 0; i < std::size(expected); ++i) {
    const PropInfo& p = ef.Properties()[i];
    SCOPED_TRACE(expected[i].name);
    EXPECT_EQ(p.name, expected[i].name);
    EXPECT_EQ(p.type->kind, expected[i].kind);
    EXPECT_EQ(p.flags, expected[i].flags);
    EXPECT_EQ(p.item_name, expected[i].item);
    EXPECT_EQ(p.declared_in, &tc);
    EXPECT_EQ(p.stored, StoredKind::Always);
  }
  EXPECT_EQ(ef.Properties()[2].type, TXSDecimal::StaticClass().type_info);
  EXPECT_EQ(ef.Properties()[5].type, tc.type_info);

  // An element form is created as itself and reports its own class.
  std::unique_ptr<TRemotable> made = ef.NewInstance();
  EXPECT_EQ(&made->ClassType(), &ef);
  EXPECT_NE(dynamic_cast<DocType2*>(made.get()), nullptr);
}

TEST(ClassTable, RegistersTypeClassItemNamesThenElementForm) {
  TRemotableTypeRegistry reg;
  const size_t before = reg.Entries().size();
  RegisterClassPair<DocType2>(reg, "urn:table");
  const std::vector<TRemRegEntry> entries = reg.Entries();
  ASSERT_EQ(entries.size(), before + 2);
  const TRemRegEntry& tc = entries[before];
  EXPECT_EQ(tc.ClassType, &DocType2::StaticClass());
  EXPECT_EQ(tc.URI, "urn:table");
  EXPECT_EQ(tc.Name, "DocType2");
  EXPECT_EQ(tc.ExtName, "DocType");
  ASSERT_EQ(tc.PropNameMap.size(), 2u);
  EXPECT_EQ(tc.PropNameMap[0].Name, "causaleField");
  EXPECT_EQ(tc.PropNameMap[0].ExtName, R"([ArrayItemName="string"])");
  EXPECT_EQ(tc.PropNameMap[1].Name, "lineeField");
  EXPECT_EQ(tc.PropNameMap[1].ExtName, R"([ArrayItemName="RigaType"])");
  const TRemRegEntry& ef = entries[before + 1];
  EXPECT_EQ(ef.ClassType, &DocType::StaticClass());
  EXPECT_EQ(ef.Name, "DocType");
  EXPECT_EQ(ef.ExtName, "");

  // Both answer to the XML type name; a lookup by name finds the type class.
  EXPECT_EQ(reg.ClassToURI(DocType2::StaticClass()).name, "DocType");
  EXPECT_EQ(reg.ClassToURI(DocType::StaticClass()).name, "DocType");
  EXPECT_EQ(reg.URIToClass("urn:table", "DocType"), &DocType2::StaticClass());
  // The element form finds the item names registered on its type class,
  // and so does the plan that the writer and the reader share.
  EXPECT_EQ(reg.GetExternalPropName(DocType::StaticClass().type_info, "lineeField"),
            R"([ArrayItemName="RigaType"])");
  const auto plan = reg.WirePlanOf(DocType::StaticClass());
  ASSERT_EQ(plan->props.size(), 6u);
  EXPECT_EQ(plan->props[4].xml_name, "lineeField");
  EXPECT_EQ(plan->props[4].option_text, R"([ArrayItemName="RigaType"])");
  EXPECT_FALSE(plan->props[4].ns_option.has_value());
}

TEST(ClassTable, PlanFollowsLaterRegistrations) {
  TRemotableTypeRegistry reg;
  RegisterClassPair<RigaType2>(reg, "urn:table");
  const auto first = reg.WirePlanOf(RigaType2::StaticClass());
  EXPECT_EQ(first, reg.WirePlanOf(RigaType2::StaticClass()));  // worked out once
  EXPECT_EQ(first->props[0].xml_name, "descrizioneField");
  reg.RegisterExternalPropName(RigaType2::StaticClass().type_info, "descrizioneField",
                               R"([ExtName="Descrizione", Namespace="urn:x"])");
  const auto second = reg.WirePlanOf(RigaType2::StaticClass());
  EXPECT_EQ(second->props[0].xml_name, "Descrizione");
  EXPECT_EQ(second->props[0].ns_option, "urn:x");
  EXPECT_EQ(first->props[0].xml_name, "descrizioneField");  // the old plan stays valid
}

// Values that note their own destruction.
std::vector<std::string> g_log;

template <class Base>
class Logged : public Base {
 public:
  explicit Logged(std::string name) : name_(std::move(name)) {}
  ~Logged() override { g_log.push_back(name_); }

 private:
  std::string name_;
};

TEST(ClassTable, DestroysArrayEntriesFirstThenObjectsInPropertyOrder) {
  g_log.clear();
  {
    auto doc = std::make_unique<DocType>();
    doc->causaleField = {"text only"};
    (void)doc->precedenteField.Set(std::make_unique<Logged<DocType2>>("precedente"));
    (void)doc->importoField.Set(std::make_unique<Logged<TXSDecimal>>("importo"));
    (void)doc->dataField.Set(std::make_unique<Logged<TXSDateTime>>("data"));
    doc->lineeField.push_back(std::make_unique<Logged<RigaType2>>("riga 1"));
    doc->lineeField.push_back(nullptr);  // a nil entry is skipped
    doc->lineeField.push_back(std::make_unique<Logged<RigaType>>("riga 3"));
  }
  EXPECT_EQ(g_log, (std::vector<std::string>{"riga 1", "riga 3", "data", "importo", "precedente"}));
}

TEST(ClassTable, SettingHandsBackWhatItReplaces) {
  DocType2 doc;
  auto first = std::make_unique<TXSDecimal>();
  TXSDecimal* raw = first.get();
  EXPECT_EQ(doc.importoField.Set(std::move(first)), nullptr);
  EXPECT_EQ(doc.importoField.get(), raw);
  std::unique_ptr<TXSDecimal> old = doc.importoField.Set(std::make_unique<TXSDecimal>());
  EXPECT_EQ(old.get(), raw);  // handed back, not destroyed

  // Through the descriptor as well.
  const PropInfo& p = DocType2::StaticClass().Properties()[5];
  std::unique_ptr<TRemotable> prev = p.access->SetObject(doc, std::make_unique<DocType2>());
  EXPECT_EQ(prev, nullptr);
  prev = p.access->SetObject(doc, nullptr);
  EXPECT_NE(dynamic_cast<DocType2*>(prev.get()), nullptr);
  EXPECT_EQ(doc.precedenteField, nullptr);
}

}  // namespace
}  // namespace vorn
