// The walks' coverage of the schema: every property of the model has its
// place in the file, and what the file can hold beyond the model is exactly
// the known list of content with no home.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "fatturapa/model_map.h"
#include "fatturapa/schema_table.h"
#include "invoice/fattura_elettronica.h"

namespace vorn {
namespace {

using fatturapa::SchemaParticle;
using fatturapa::ValueForm;

// Every model class below the root, each once.
void Collect(const ClassInfo& cls, std::vector<const ClassInfo*>& out) {
  for (const ClassInfo* c : out) {
    if (c == &cls) return;
  }
  out.push_back(&cls);
  for (const PropInfo& p : cls.Properties()) {
    const TypeInfo* t = p.type->kind == TypeKind::DynArray ? p.type->element : p.type;
    if (t->kind == TypeKind::Class && fatturapa::SchemaTypeOf(*t->class_info) != nullptr) {
      Collect(*t->class_info, out);
    }
  }
}

std::vector<const ClassInfo*> ModelClasses() {
  std::vector<const ClassInfo*> out;
  Collect(FatturaElettronicaType2::StaticClass(), out);
  return out;
}

TEST(SchemaCoverage, EveryPropertyHasItsPlaceInTheFile) {
  const std::vector<const ClassInfo*> classes = ModelClasses();
  EXPECT_EQ(classes.size(), 50u);
  for (const ClassInfo* cls : classes) {
    const fatturapa::SchemaType* st = fatturapa::SchemaTypeOf(*cls);
    ASSERT_NE(st, nullptr) << cls->name;
    std::set<std::string> placed;
    for (const SchemaParticle& p : st->particles) {
      if (p.form == ValueForm::Any) {
        placed.insert("anyField");
      } else if (fatturapa::IsChoiceMember(*cls, p)) {
        placed.insert("itemsElementNameField");
        placed.insert("itemsField");
      } else {
        const std::string name = fatturapa::PropertyName(p.name);
        placed.insert(name);
        placed.insert(name + "Specified");
      }
    }
    if (st->content != ValueForm::None) placed.insert("valueField");
    if (st->mixed) placed.insert("textField");
    for (const PropInfo& prop : cls->Properties()) {
      EXPECT_TRUE(placed.count(std::string(prop.name)) == 1) << cls->name << "." << prop.name;
    }
  }
}

// What a FatturaPA 1.2.2 file can hold that the model cannot: each is
// refused when read.
TEST(SchemaCoverage, ContentWithNoHomeIsTheKnownList) {
  std::vector<std::string> no_home;
  for (const ClassInfo* cls : ModelClasses()) {
    const fatturapa::SchemaType& st = *fatturapa::SchemaTypeOf(*cls);
    for (const SchemaParticle& p : st.particles) {
      const std::string where = std::string(st.name) + "/" + (p.attribute ? "@" : "") +
                                (p.name.empty() ? "(any element)" : std::string(p.name));
      const PropInfo* prop = p.name.empty()
                                 ? fatturapa::FindProperty(*cls, "anyField")
                                 : fatturapa::FindProperty(*cls, fatturapa::PropertyName(p.name));
      if (prop == nullptr && !fatturapa::IsChoiceMember(*cls, p)) {
        no_home.push_back(where);
        continue;
      }
      if (fatturapa::IsChoiceMember(*cls, p) && p.form != ValueForm::Text) {
        no_home.push_back(where);
        continue;
      }
      if (prop == nullptr) continue;
      const bool repeatable = prop->type->kind == TypeKind::DynArray && !prop->type->IsByteArray();
      if (p.max_occurs > 1 && !repeatable && p.form != ValueForm::Any) {
        no_home.push_back(where + " (repeated)");
      }
      if (p.form == ValueForm::Any && p.max_occurs > 1)
        no_home.push_back(where + " (more than one)");
      if (prop->type->kind == TypeKind::Enumeration) {
        std::string codes;
        for (std::string_view code : p.codes) {
          if (fatturapa::CodeIndex(*prop->type, code) < 0) codes += " " + std::string(code);
        }
        if (!codes.empty()) no_home.push_back(where + codes);
      }
    }
  }
  const std::string natura =
      "/Natura N2.1 N2.2 N3.1 N3.2 N3.3 N3.4 N3.5 N3.6 N6.1 N6.2 N6.3 N6.4 N6.5 N6.6 N6.7 N6.8 "
      "N6.9";
  const std::vector<std::string> expected = {
      "FatturaElettronicaType/@SistemaEmittente",
      "DatiRiepilogoType" + natura,
      "DettaglioLineeType" + natura,
      "DatiGeneraliDocumentoType/TipoDocumento TD16 TD17 TD18 TD19 TD20 TD21 TD22 TD23 TD24 TD25 "
      "TD26 TD27 TD28",
      "DatiGeneraliDocumentoType/DatiRitenuta (repeated)",
      "DatiCassaPrevidenzialeType" + natura,
      "DatiRitenutaType/TipoRitenuta RT03 RT04 RT05 RT06",
      "DatiRitenutaType/CausalePagamento M2 ZO",
      "DettaglioPagamentoType/ModalitaPagamento MP23",
      "KeyInfoType/KeyValue",
      "KeyInfoType/RetrievalMethod",
      "KeyInfoType/X509Data",
      "KeyInfoType/PGPData",
      "KeyInfoType/SPKIData",
      "KeyInfoType/(any element)",
      "ObjectType/(any element) (more than one)",
      "CanonicalizationMethodType/(any element) (more than one)",
      "DigestMethodType/(any element) (more than one)",
      "TransformType/(any element)",
      "SignatureMethodType/(any element) (more than one)",
  };
  EXPECT_EQ(no_home, expected);
}

}  // namespace
}  // namespace vorn
