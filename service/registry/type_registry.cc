#include "service/registry/type_registry.h"

#include "service/registry/invoke_registry.h"
#include "service/registry/option_text.h"
#include "service/registry/schema_namespaces.h"
#include "service/registry/xml_data.h"
#include "service/registry/xs_datetime.h"
#include "service/registry/xs_decimal.h"

namespace vorn {
namespace {

// Descriptions of the numeric and character kinds that no property of the
// contract uses. They get built-in entries so that a description of the same
// kind and name made elsewhere finds its XML Schema type by name.
constexpr TypeInfo kInt8{
    .kind = TypeKind::Integer, .name = "Int8", .unit = kSystemUnit, .ord = OrdType::S8};
constexpr TypeInfo kInt16{
    .kind = TypeKind::Integer, .name = "Int16", .unit = kSystemUnit, .ord = OrdType::S16};
constexpr TypeInfo kUInt16{
    .kind = TypeKind::Integer, .name = "UInt16", .unit = kSystemUnit, .ord = OrdType::U16};
constexpr TypeInfo kUInt32{
    .kind = TypeKind::Integer, .name = "UInt32", .unit = kSystemUnit, .ord = OrdType::U32};
constexpr TypeInfo kSingle{
    .kind = TypeKind::Float, .name = "Single", .unit = kSystemUnit, .flt = FloatType::Single};
constexpr TypeInfo kExtended{
    .kind = TypeKind::Float, .name = "Extended", .unit = kSystemUnit, .flt = FloatType::Extended};
constexpr TypeInfo kComp{
    .kind = TypeKind::Float, .name = "Comp", .unit = kSystemUnit, .flt = FloatType::Comp};
constexpr TypeInfo kCurrency{
    .kind = TypeKind::Float, .name = "Currency", .unit = kSystemUnit, .flt = FloatType::Currency};
constexpr TypeInfo kChar{
    .kind = TypeKind::Char, .name = "Char", .unit = kSystemUnit, .ord = OrdType::U8};
constexpr TypeInfo kWideChar{
    .kind = TypeKind::Char, .name = "WideChar", .unit = kSystemUnit, .ord = OrdType::U16};

// The XML Schema types, created with the registry. Where a type has several
// entries the first one answers lookups by type.
void RegisterBuiltIns(TRemotableTypeRegistry& r) {
  struct Simple {
    const TypeInfo* info;
    std::string_view name;
  };
  const Simple simple[] = {
      {BooleanTypeInfo(), "boolean"},
      {IntegerTypeInfo(), "int"},
      {Int64TypeInfo(), "long"},
      {Int64TypeInfo(), "unsignedLong"},
      {Int64TypeInfo(), "integer"},
      {ByteTypeInfo(), "unsignedByte"},
      {&kInt16, "short"},
      {&kUInt16, "unsignedShort"},
      {&kUInt32, "unsignedInt"},
      {&kInt8, "byte"},
      {&kSingle, "float"},
      {DoubleTypeInfo(), "double"},
      {&kExtended, "double"},
      {&kComp, "double"},
      {&kCurrency, "double"},
      {StringTypeInfo(), "string"},
      {&kChar, "string"},
      {&kWideChar, "string"},
      {ByteDynArrayTypeInfo(), "base64Binary"},
  };
  for (const Simple& s : simple) r.RegisterXSInfo(s.info, kXMLSchemaNS, s.name);
  r.RegisterXSInfo(ByteDynArrayTypeInfo(), kSoapEncodingNS, "base64");
  for (std::string_view name : {"anyType", "anySimpleType", "ur-type"}) {
    r.RegisterXSInfo(VariantTypeInfo(), kXMLSchemaNS, name);
  }

  // The value classes travel as one text each, so they are scalar.
  for (std::string_view name : {"dateTime", "timeInstant"}) {
    r.RegisterXSClass(TXSDateTime::StaticClass(), kXMLSchemaNS, name, "", true);
  }
  for (std::string_view name : {"decimal", "negativeInteger", "nonNegativeInteger",
                                "nonPositiveInteger", "positiveInteger"}) {
    r.RegisterXSClass(TXSDecimal::StaticClass(), kXMLSchemaNS, name, "", true);
  }
  r.RegisterXSClass(TXMLData::StaticClass(), kXMLSchemaNS, "schema", "", false,
                    MultiRefOption::ocNoMultiRef);
}

const TRemRegEntry* FirstForClass(const std::vector<TRemRegEntry>& entries, const ClassInfo& cls) {
  for (const TRemRegEntry& e : entries) {
    if (e.ClassType == &cls) return &e;
  }
  return nullptr;
}

// The first entry of the type itself, else of a type of the same kind and
// name (a description of the same type made elsewhere).
const TRemRegEntry* FirstForType(const std::vector<TRemRegEntry>& entries, const TypeInfo* info) {
  for (const TRemRegEntry& e : entries) {
    if (e.Info == info) return &e;
  }
  for (const TRemRegEntry& e : entries) {
    if (e.Info->kind == info->kind && e.Info->name == info->name) return &e;
  }
  return nullptr;
}

XSDName NameOf(const TRemRegEntry& e) {
  return XSDName{.uri = e.URI, .name = e.XMLTypeName(), .is_scalar = e.IsScalar};
}

// Arrays, enumerations and classes default to their module's namespace.
bool HasModuleNamespace(TypeKind kind) {
  return kind == TypeKind::DynArray || kind == TypeKind::Enumeration || kind == TypeKind::Class;
}

}  // namespace

TRemotableTypeRegistry::TRemotableTypeRegistry() { RegisterBuiltIns(*this); }

const TRemRegEntry* TRemotableTypeRegistry::FindByInfo(const TypeInfo* info) const {
  for (const TRemRegEntry& e : entries_) {
    if (e.Info == info) return &e;
  }
  return nullptr;
}

TRemRegEntry* TRemotableTypeRegistry::FindByInfo(const TypeInfo* info) {
  for (TRemRegEntry& e : entries_) {
    if (e.Info == info) return &e;
  }
  return nullptr;
}

// --- registration -----------------------------------------------------------

void TRemotableTypeRegistry::RegisterXSClass(const ClassInfo& cls, std::string_view uri,
                                             std::string_view name, std::string_view ext_name,
                                             bool is_scalar, MultiRefOption multi_ref) {
  std::lock_guard lock(mutex_);
  for (const TRemRegEntry& e : entries_) {
    if (e.ClassType == &cls && (name.empty() || e.Name == name)) return;
  }
  TRemRegEntry e;
  e.ClassType = &cls;
  e.Info = cls.type_info;
  e.URI = uri.empty() ? "urn:" + std::string(cls.unit) : std::string(uri);
  e.Name = name.empty() ? cls.name : name;
  e.ExtName = ext_name;
  e.IsScalar = is_scalar;
  e.MultiRefOpt = multi_ref;
  entries_.push_back(std::move(e));
  Changed();
}

void TRemotableTypeRegistry::RegisterXSInfo(const TypeInfo* info, std::string_view uri,
                                            std::string_view name, std::string_view ext_name) {
  if (info == nullptr) return;
  std::lock_guard lock(mutex_);
  for (const TRemRegEntry& e : entries_) {
    if (e.Info == info && (name.empty() || e.Name == name)) return;
  }
  TRemRegEntry e;
  if (info->kind == TypeKind::Class) e.ClassType = info->class_info;
  e.Info = info;
  if (!uri.empty()) {
    e.URI = uri;
  } else {
    e.URI = HasModuleNamespace(info->kind) ? "urn:" + std::string(info->unit) : "urn:";
  }
  e.Name = name.empty() ? info->name : name;
  e.ExtName = ext_name;
  entries_.push_back(std::move(e));
  Changed();
}

void TRemotableTypeRegistry::RegisterExternalPropName(const TypeInfo* info, std::string_view name,
                                                      std::string_view ext_text) {
  std::lock_guard lock(mutex_);
  if (TRemRegEntry* e = FindByInfo(info)) {
    e->PropNameMap.push_back(
        ExtNameMapItem{.Name = std::string(name), .ExtName = std::string(ext_text)});
    Changed();
  }
}

void TRemotableTypeRegistry::RegisterSerializeOptions(const TypeInfo* info,
                                                      SerializationOptions options) {
  std::lock_guard lock(mutex_);
  if (TRemRegEntry* e = FindByInfo(info)) {
    e->SerializationOpt = options;
    Changed();
  }
}

void TRemotableTypeRegistry::UnRegisterXSClass(const ClassInfo& cls) {
  std::lock_guard lock(mutex_);
  std::erase_if(entries_, [&](const TRemRegEntry& e) { return e.ClassType == &cls; });
  Changed();
}

void TRemotableTypeRegistry::UnRegisterXSInfo(const TypeInfo* info) {
  std::lock_guard lock(mutex_);
  std::erase_if(entries_, [&](const TRemRegEntry& e) { return e.Info == info; });
  Changed();
}

// --- lookups ----------------------------------------------------------------

XSDName TRemotableTypeRegistry::ClassToURI(const ClassInfo& cls) {
  {
    std::lock_guard lock(mutex_);
    if (const TRemRegEntry* e = FirstForClass(entries_, cls)) return NameOf(*e);
  }
  // Registration takes the lock itself, so it runs with the lock released.
  RegisterXSClass(cls);
  std::lock_guard lock(mutex_);
  const TRemRegEntry* e = FirstForClass(entries_, cls);
  return e == nullptr ? XSDName{} : NameOf(*e);
}

XSDName TRemotableTypeRegistry::InfoToURI(const TypeInfo* info) {
  if (info == nullptr) return {};
  {
    std::lock_guard lock(mutex_);
    if (const TRemRegEntry* e = FirstForType(entries_, info)) return NameOf(*e);
  }
  RegisterXSInfo(info);
  std::lock_guard lock(mutex_);
  const TRemRegEntry* e = FirstForType(entries_, info);
  return e == nullptr ? XSDName{} : NameOf(*e);
}

XSDName TRemotableTypeRegistry::TypeInfoToXSD(const TypeInfo* info) {
  if (info != nullptr && info->kind == TypeKind::Class && info->class_info != nullptr) {
    return ClassToURI(*info->class_info);
  }
  return InfoToURI(info);
}

const ClassInfo* TRemotableTypeRegistry::URIToClass(std::string_view uri, std::string_view name,
                                                    bool* is_scalar) const {
  std::lock_guard lock(mutex_);
  for (const TRemRegEntry& e : entries_) {
    if (e.URI == uri && e.XMLTypeName() == name) {
      if (is_scalar != nullptr) *is_scalar = e.IsScalar;
      return e.ClassType;
    }
  }
  if (is_scalar != nullptr) *is_scalar = false;
  return nullptr;
}

const TypeInfo* TRemotableTypeRegistry::URIToInfo(std::string_view uri,
                                                  std::string_view name) const {
  std::lock_guard lock(mutex_);
  for (const TRemRegEntry& e : entries_) {
    if (e.URI == uri && e.Name == name) return e.Info;
  }
  return nullptr;
}

const std::string* TRemotableTypeRegistry::ExternalPropNameLocked(const TypeInfo* info,
                                                                  std::string_view name) const {
  const ClassInfo& root = TRemotable::StaticClass();
  for (const TypeInfo* t = info; t != nullptr;) {
    if (const TRemRegEntry* e = FindByInfo(t)) {
      for (const ExtNameMapItem& item : e->PropNameMap) {
        if (item.Name == name) return &item.ExtName;
      }
    }
    // An element form has no names of its own: its type class's apply.
    if (t->kind != TypeKind::Class || t->class_info == nullptr) break;
    const ClassInfo* parent = t->class_info->parent;
    if (parent == nullptr || parent == &root) break;
    t = parent->type_info;
  }
  return nullptr;
}

std::string TRemotableTypeRegistry::GetExternalPropName(const TypeInfo* info,
                                                        std::string_view name) const {
  std::lock_guard lock(mutex_);
  const std::string* ext = ExternalPropNameLocked(info, name);
  return ext != nullptr ? *ext : std::string(name);
}

std::string TRemotableTypeRegistry::GetInternalPropName(const TypeInfo* info,
                                                        std::string_view ext_text) const {
  std::lock_guard lock(mutex_);
  if (const TRemRegEntry* e = FindByInfo(info)) {
    for (const ExtNameMapItem& item : e->PropNameMap) {
      if (item.ExtName == ext_text) return item.Name;
    }
  }
  return std::string(ext_text);
}

SerializationOptions TRemotableTypeRegistry::SerializeOptions(const TypeInfo* info) const {
  std::lock_guard lock(mutex_);
  const TRemRegEntry* e = FindByInfo(info);
  return e == nullptr ? SerializationOptions{} : e->SerializationOpt;
}

MultiRefOption TRemotableTypeRegistry::ClassOptions(const ClassInfo& cls) const {
  std::lock_guard lock(mutex_);
  const TRemRegEntry* e = FirstForClass(entries_, cls);
  return e == nullptr ? MultiRefOption::ocDefault : e->MultiRefOpt;
}

bool TRemotableTypeRegistry::IsClassScalar(const ClassInfo& cls) const {
  std::lock_guard lock(mutex_);
  const TRemRegEntry* e = FirstForClass(entries_, cls);
  return e != nullptr && e->IsScalar;
}

std::shared_ptr<const WirePlan> TRemotableTypeRegistry::WirePlanOf(const ClassInfo& cls) const {
  std::lock_guard lock(mutex_);
  if (auto it = plans_.find(&cls); it != plans_.end()) return it->second;
  auto plan = std::make_shared<WirePlan>();
  if (const TRemRegEntry* e = FindByInfo(cls.type_info)) plan->options = e->SerializationOpt;
  const PropList& props = cls.Properties();
  plan->props.reserve(props.size());
  for (const PropInfo& prop : props) {
    WireProperty w;
    w.prop = &prop;
    w.xml_name = prop.name;
    if (const std::string* ext = ExternalPropNameLocked(cls.type_info, prop.name)) {
      if (IsOptionText(*ext)) {
        w.option_text = *ext;
        std::string value;
        if (GetRegInfo(*ext, "ExtName", value)) w.xml_name = value;
        if (GetRegInfo(*ext, "Namespace", value)) w.ns_option = value;
        if (GetRegInfo(*ext, "ArrayItemName", value)) w.item_name_option = value;
      } else {
        w.xml_name = *ext;
      }
    }
    plan->props.push_back(std::move(w));
  }
  plans_.emplace(&cls, plan);
  return plan;
}

std::vector<TRemRegEntry> TRemotableTypeRegistry::Entries() const {
  std::lock_guard lock(mutex_);
  return entries_;
}

// --- the process-wide registries ----------------------------------------------

namespace {

// Both registries live in one object so that their order is fixed: the
// interface registry is created first, then the type registry with its
// built-in entries. Created on the first call of any accessor.
struct Registries {
  TInvokableClassRegistry invokable;
  TRemotableTypeRegistry types;
};

Registries& TheRegistries() {
  static Registries registries;
  return registries;
}

}  // namespace

TInvokableClassRegistry& InvRegistry() { return TheRegistries().invokable; }
TRemotableTypeRegistry& RemTypeRegistry() { return TheRegistries().types; }
TRemotableTypeRegistry& RemClassRegistry() { return TheRegistries().types; }

}  // namespace vorn
