#include "service/registry/class_table.h"

#include <cassert>

namespace vorn {

void DestroyOwnedValues(TRemotable& obj, const ClassInfo& cls) noexcept {
  const std::span<const PropInfo> props = cls.OwnProperties();
  for (const PropInfo& p : props) {
    if (p.type->kind != TypeKind::DynArray || !p.OwnsObjects()) continue;
    const size_t n = p.access->ArrayLength(obj);
    for (size_t i = 0; i < n; ++i) p.access->ReleaseArrayObject(obj, i).reset();
    p.access->ClearArray(obj);
  }
  for (const PropInfo& p : props) {
    if (p.type->kind == TypeKind::Class) p.access->SetObject(obj, nullptr).reset();
  }
}

std::string_view ElementFormName(const ClassInfo& type_class) {
  std::string_view name = type_class.name;
  assert(name.ends_with('2') && "a type class is named after its element form plus \"2\"");
  if (name.ends_with('2')) name.remove_suffix(1);
  return name;
}

void RegisterTypeClass(TRemotableTypeRegistry& registry, const ClassInfo& type_class,
                       std::string_view ns) {
  registry.RegisterXSClass(type_class, ns, type_class.name, ElementFormName(type_class));
  for (const PropInfo& p : type_class.OwnProperties()) {
    if (p.item_name.empty()) continue;
    registry.RegisterExternalPropName(type_class.type_info, p.name,
                                      "[ArrayItemName=\"" + std::string(p.item_name) + "\"]");
  }
}

void RegisterElementForm(TRemotableTypeRegistry& registry, const ClassInfo& element_form,
                         std::string_view ns) {
  registry.RegisterXSClass(element_form, ns, element_form.name);
}

}  // namespace vorn
