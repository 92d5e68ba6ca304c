#include "fatturapa/model_map.h"

#include "service/registry/class_table.h"

namespace vorn::fatturapa {

std::string PropertyName(std::string_view xml_name) {
  std::string name(xml_name);
  if (!name.empty() && name[0] >= 'A' && name[0] <= 'Z') name[0] = static_cast<char>(name[0] + 32);
  return name + "Field";
}

const PropInfo* FindProperty(const ClassInfo& cls, std::string_view name) {
  for (const PropInfo& p : cls.Properties()) {
    if (p.name == name) return &p;
  }
  return nullptr;
}

const PropInfo* CompanionOf(const ClassInfo& cls, const PropInfo& prop) {
  const PropInfo* c = FindProperty(cls, std::string(prop.name) + "Specified");
  return c != nullptr && c->type->IsBoolean() ? c : nullptr;
}

ChoiceArrays ChoiceArraysOf(const ClassInfo& cls) {
  return {FindProperty(cls, "itemsElementNameField"), FindProperty(cls, "itemsField")};
}

bool IsChoiceMember(const ClassInfo& cls, const SchemaParticle& particle) {
  if (particle.attribute || particle.name.empty()) return false;
  if (FindProperty(cls, PropertyName(particle.name)) != nullptr) return false;
  const ChoiceArrays choice = ChoiceArraysOf(cls);
  if (choice.values == nullptr) return false;
  if (choice.names != nullptr) return CodeIndex(*choice.names->type->element, particle.name) >= 0;
  return particle.form == ValueForm::Text && particle.max_occurs > 1;
}

const SchemaType* SchemaTypeOf(const ClassInfo& cls) {
  std::string_view name = cls.name;
  if (name.ends_with('2')) name.remove_suffix(1);
  return FindSchemaType(name);
}

int CodeIndex(const TypeInfo& enumeration, std::string_view code) {
  for (size_t i = 0; i < enumeration.identifiers.size(); ++i) {
    if (enumeration.identifiers[i] == code) return static_cast<int>(i);
  }
  return -1;
}

const SchemaType* FindSchemaType(std::string_view name) {
  for (const SchemaType& t : SchemaTypes()) {
    if (t.name == name) return &t;
  }
  return nullptr;
}

}  // namespace vorn::fatturapa
