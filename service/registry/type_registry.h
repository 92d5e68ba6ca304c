// The type registry: for each type that can travel, its XML namespace and
// type name, external property names and option texts, and serialization
// options.
//
// Entries stay in registration order and lookups take the first match.
// Namespaces, type names and property names are matched exactly. Lookups of a
// type that was never registered register it with the defaults first
// (auto-registration), so they always succeed. Every operation takes the
// registry's mutex; auto-registration releases it before registering.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "service/registry/remotable.h"
#include "service/registry/type_info.h"
#include "service/registry/wire_plan.h"

namespace vorn {

enum class MultiRefOption { ocDefault, ocMultiRef, ocNoMultiRef };

struct ExtNameMapItem {
  std::string Name;     // property or enumeration identifier
  std::string ExtName;  // external name or bracketed option text
};

struct TRemRegEntry {
  const ClassInfo* ClassType = nullptr;  // class entries only
  const TypeInfo* Info = nullptr;
  std::string URI;
  std::string Name;
  std::string ExtName;
  bool IsScalar = false;
  MultiRefOption MultiRefOpt = MultiRefOption::ocDefault;
  SerializationOptions SerializationOpt;
  std::vector<ExtNameMapItem> PropNameMap;
  // ExtName if not empty, else Name.
  const std::string& XMLTypeName() const { return ExtName.empty() ? Name : ExtName; }
};

// Namespace and XML type name of a type.
struct XSDName {
  std::string uri;
  std::string name;
  bool is_scalar = false;
};

class TRemotableTypeRegistry {
 public:
  // Creates the registry with its built-in entries for the XML Schema types.
  TRemotableTypeRegistry();

  // --- registration -------------------------------------------------------
  // Nothing happens when the class already has an entry (with the same name,
  // when a name is given). Empty namespace: "urn:" + declaring module; empty
  // name: the class's own name.
  void RegisterXSClass(const ClassInfo& cls, std::string_view uri = "", std::string_view name = "",
                       std::string_view ext_name = "", bool is_scalar = false,
                       MultiRefOption multi_ref = MultiRefOption::ocDefault);
  // The same for any type. Empty namespace: "urn:" + module for arrays,
  // enumerations and classes, "urn:" alone otherwise.
  void RegisterXSInfo(const TypeInfo* info, std::string_view uri = "", std::string_view name = "",
                      std::string_view ext_name = "");
  // Appends (name, external text) to the first entry of the type; nothing
  // when the type has no entry yet.
  void RegisterExternalPropName(const TypeInfo* info, std::string_view name,
                                std::string_view ext_text);
  void RegisterSerializeOptions(const TypeInfo* info, SerializationOptions options);
  void UnRegisterXSClass(const ClassInfo& cls);
  void UnRegisterXSInfo(const TypeInfo* info);

  // --- lookups -------------------------------------------------------------
  XSDName ClassToURI(const ClassInfo& cls);
  XSDName InfoToURI(const TypeInfo* info);
  // ClassToURI for a class type, InfoToURI otherwise.
  XSDName TypeInfoToXSD(const TypeInfo* info);
  // The class of the first entry with that namespace and XML type name, or
  // null.
  const ClassInfo* URIToClass(std::string_view uri, std::string_view name,
                              bool* is_scalar = nullptr) const;
  // The type of the first entry with that namespace and Name, or null.
  const TypeInfo* URIToInfo(std::string_view uri, std::string_view name) const;
  // The external text for a property or identifier, searching the parent
  // classes (up to, not including, TRemotable); else the name itself.
  std::string GetExternalPropName(const TypeInfo* info, std::string_view name) const;
  std::string GetInternalPropName(const TypeInfo* info, std::string_view ext_text) const;
  SerializationOptions SerializeOptions(const TypeInfo* info) const;
  MultiRefOption ClassOptions(const ClassInfo& cls) const;
  bool IsClassScalar(const ClassInfo& cls) const;

  // The wire form of every property of `cls` (see wire_plan.h). The plan
  // stays valid for its holder after later registrations, which make the
  // next call work it out again.
  std::shared_ptr<const WirePlan> WirePlanOf(const ClassInfo& cls) const;

  // A copy of all entries, in order (for tests and diagnostics).
  std::vector<TRemRegEntry> Entries() const;

 private:
  const TRemRegEntry* FindByInfo(const TypeInfo* info) const;
  TRemRegEntry* FindByInfo(const TypeInfo* info);
  // GetExternalPropName with the mutex held.
  const std::string* ExternalPropNameLocked(const TypeInfo* info, std::string_view name) const;
  // Every change of the entries makes the plans out of date.
  void Changed() { plans_.clear(); }

  mutable std::mutex mutex_;
  std::vector<TRemRegEntry> entries_;
  mutable std::unordered_map<const ClassInfo*, std::shared_ptr<const WirePlan>> plans_;
};

// Two accessors of the one process-wide type registry.
TRemotableTypeRegistry& RemTypeRegistry();
TRemotableTypeRegistry& RemClassRegistry();

}  // namespace vorn
