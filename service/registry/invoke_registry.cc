#include "service/registry/invoke_registry.h"

#include "base/text_util.h"

#include <algorithm>

// InvRegistry() is defined in type_registry.cc, beside the type registry: both
// registries are created together, this one first.

namespace vorn {
namespace {

constexpr std::string_view kOperationNamePlaceholder = "%operationName%";
constexpr std::string_view kDefaultReturnParamNames = "Result;Return";

// The first item with that name (ignoring case), or null. Works on const
// and non-const lists alike.
template <class Items>
auto* FindNamed(Items& items, std::string_view name) {
  for (auto& item : items) {
    // Operation and parameter names are compared without regard to case.
    if (EqualsIgnoreCase(item.Name, name)) return &item;
  }
  return static_cast<decltype(&items.front())>(nullptr);
}

template <class Item>
Item& FindOrAppend(std::vector<Item>& items, std::string_view name) {
  if (Item* found = FindNamed(items, name)) return *found;
  Item& item = items.emplace_back();
  item.Name = name;
  return item;
}

const MethodMapItem* FindMethod(const InterfaceMapItem* entry, std::string_view meth) {
  return entry == nullptr ? nullptr : FindNamed(entry->Methods, meth);
}

const ParameterMapItem* FindParam(const InterfaceMapItem* entry, std::string_view meth,
                                  std::string_view param) {
  const MethodMapItem* m = FindMethod(entry, meth);
  return m == nullptr ? nullptr : FindNamed(m->Parameters, param);
}

// The entries of a list that begins with its own separator: "|a|b" holds
// "a" and "b".
std::vector<std::string_view> SplitAtLeadingSeparator(std::string_view list) {
  std::vector<std::string_view> out;
  if (list.empty()) return out;
  const char sep = list.front();
  size_t start = 1;
  for (;;) {
    const size_t next = list.find(sep, start);
    out.push_back(list.substr(start, next == std::string_view::npos ? next : next - start));
    if (next == std::string_view::npos) return out;
    start = next + 1;
  }
}

}  // namespace

InterfaceMapItem* TInvokableClassRegistry::Find(const InterfaceInfo& intf) {
  for (InterfaceMapItem& e : entries_) {
    if (e.Info == &intf) return &e;
  }
  return nullptr;
}

const InterfaceMapItem* TInvokableClassRegistry::Find(const InterfaceInfo& intf) const {
  for (const InterfaceMapItem& e : entries_) {
    if (e.Info == &intf) return &e;
  }
  return nullptr;
}

// --- registration -----------------------------------------------------------

void TInvokableClassRegistry::RegisterInterface(const InterfaceInfo& intf, std::string_view ns,
                                                std::string_view wsdl_encoding,
                                                std::string_view doc, std::string_view ext_name) {
  std::lock_guard lock(mutex_);
  if (Find(intf) != nullptr) return;
  InterfaceMapItem e;
  e.Name = intf.name;
  e.ExtName = ext_name;
  e.UnitName = intf.unit;
  e.GUID = intf.guid;
  e.Info = &intf;
  if (!ns.empty()) {
    e.Namespace = ns;
    e.Options.Add(InvokeOption::ioHasNamespace);
  } else {
    e.Namespace = "urn:" + e.UnitName + "-" + e.Name;
  }
  e.WSDLEncoding = wsdl_encoding;
  e.Documentation = doc;
  entries_.push_back(std::move(e));
}

void TInvokableClassRegistry::RegisterDefaultSOAPAction(const InterfaceInfo& intf,
                                                        std::string_view action_template) {
  std::lock_guard lock(mutex_);
  if (InterfaceMapItem* e = Find(intf)) {
    e->SOAPAction = action_template;
    e->Options.Add(InvokeOption::ioHasDefaultSOAPAction);
  }
}

void TInvokableClassRegistry::RegisterAllSOAPActions(const InterfaceInfo& intf,
                                                     std::string_view actions) {
  std::lock_guard lock(mutex_);
  if (InterfaceMapItem* e = Find(intf)) {
    e->SOAPAction = actions;
    e->Options.Add(InvokeOption::ioHasAllSOAPActions);
  }
}

void TInvokableClassRegistry::RegisterReturnParamNames(const InterfaceInfo& intf,
                                                       std::string_view names) {
  std::lock_guard lock(mutex_);
  if (InterfaceMapItem* e = Find(intf)) {
    e->ReturnParamNames = names;
    e->Options.Add(InvokeOption::ioHasReturnParamNames);
  }
}

void TInvokableClassRegistry::RegisterUDDIInfo(const InterfaceInfo& intf, std::string_view op,
                                               std::string_view key) {
  std::lock_guard lock(mutex_);
  if (InterfaceMapItem* e = Find(intf)) {
    e->UDDIOperator = op;
    e->UDDIBindingKey = key;
    e->Options.Add(InvokeOption::ioHasUDDIInfo);
  }
}

void TInvokableClassRegistry::RegisterInvokeOptions(const InterfaceInfo& intf,
                                                    InvokeOption option) {
  std::lock_guard lock(mutex_);
  if (InterfaceMapItem* e = Find(intf)) e->Options.Add(option);
}

void TInvokableClassRegistry::RegisterInvokeOptions(const InterfaceInfo& intf,
                                                    InvokeOptions options) {
  std::lock_guard lock(mutex_);
  if (InterfaceMapItem* e = Find(intf)) e->Options = options;
}

void TInvokableClassRegistry::RegisterMethodInfo(const InterfaceInfo& intf, std::string_view meth,
                                                 std::string_view ext_name,
                                                 std::string_view return_name, uint32_t flags) {
  std::lock_guard lock(mutex_);
  InterfaceMapItem* e = Find(intf);
  if (e == nullptr) return;
  MethodMapItem& m = FindOrAppend(e->Methods, meth);
  m.ExtName = ext_name;
  m.ReturnName = return_name;
  m.XMLOptions = flags;
}

void TInvokableClassRegistry::RegisterExternalMethName(const InterfaceInfo& intf,
                                                       std::string_view meth,
                                                       std::string_view ext_name) {
  std::lock_guard lock(mutex_);
  InterfaceMapItem* e = Find(intf);
  if (e == nullptr) return;
  FindOrAppend(e->Methods, meth).ExtName = ext_name;
}

void TInvokableClassRegistry::RegisterParamInfo(const InterfaceInfo& intf, std::string_view meth,
                                                std::string_view param, std::string_view ext_name,
                                                std::string_view ns, uint32_t flags) {
  std::lock_guard lock(mutex_);
  InterfaceMapItem* e = Find(intf);
  if (e == nullptr) return;
  ParameterMapItem& p = FindOrAppend(FindOrAppend(e->Methods, meth).Parameters, param);
  p.ExtName = ext_name;
  p.Namespace = ns;
  p.XMLOptions |= flags;
}

void TInvokableClassRegistry::RegisterExternalParamName(const InterfaceInfo& intf,
                                                        std::string_view meth,
                                                        std::string_view param,
                                                        std::string_view ext_name) {
  std::lock_guard lock(mutex_);
  InterfaceMapItem* e = Find(intf);
  if (e == nullptr) return;
  FindOrAppend(FindOrAppend(e->Methods, meth).Parameters, param).ExtName = ext_name;
}

void TInvokableClassRegistry::UnRegisterInterface(const InterfaceInfo& intf) {
  std::lock_guard lock(mutex_);
  std::erase_if(entries_, [&](const InterfaceMapItem& e) { return e.Info == &intf; });
}

// --- lookups ----------------------------------------------------------------

const InterfaceInfo* TInvokableClassRegistry::GetInterfaceTypeInfo(const Guid& guid) const {
  std::lock_guard lock(mutex_);
  for (const InterfaceMapItem& e : entries_) {
    if (e.GUID == guid) return e.Info;
  }
  return nullptr;
}

InvokeOptions TInvokableClassRegistry::GetIntfInvokeOptions(const InterfaceInfo& intf) const {
  std::lock_guard lock(mutex_);
  const InterfaceMapItem* e = Find(intf);
  return e == nullptr ? InvokeOptions{} : e->Options;
}

InvokeOptions TInvokableClassRegistry::GetIntfInvokeOptions(const Guid& guid) const {
  std::lock_guard lock(mutex_);
  for (const InterfaceMapItem& e : entries_) {
    if (e.GUID == guid) return e.Options;
  }
  return {};
}

std::string TInvokableClassRegistry::GetNamespaceByGUID(const Guid& guid) const {
  std::lock_guard lock(mutex_);
  for (const InterfaceMapItem& e : entries_) {
    if (e.GUID == guid) return e.Namespace;
  }
  return {};
}

std::string TInvokableClassRegistry::GetMethExternalName(const InterfaceInfo& intf,
                                                         std::string_view meth) const {
  return GetMethodInfo(intf, meth).ext_name;
}

TInvokableClassRegistry::MethodRegInfo TInvokableClassRegistry::GetMethodInfo(
    const InterfaceInfo& intf, std::string_view meth) const {
  std::lock_guard lock(mutex_);
  MethodRegInfo r;
  r.ext_name = meth;
  if (const MethodMapItem* m = FindMethod(Find(intf), meth)) {
    if (!m->ExtName.empty()) r.ext_name = m->ExtName;
    r.return_name = m->ReturnName;
    r.flags = m->XMLOptions;
  }
  return r;
}

std::string TInvokableClassRegistry::GetParamExternalName(const InterfaceInfo& intf,
                                                          std::string_view meth,
                                                          std::string_view param) const {
  return GetParamInfo(intf, meth, param).ext_name;
}

TInvokableClassRegistry::ParamRegInfo TInvokableClassRegistry::GetParamInfo(
    const InterfaceInfo& intf, std::string_view meth, std::string_view param) const {
  std::lock_guard lock(mutex_);
  ParamRegInfo r;
  r.ext_name = param;
  if (const ParameterMapItem* p = FindParam(Find(intf), meth, param)) {
    if (!p->ExtName.empty()) r.ext_name = p->ExtName;
    r.ns = p->Namespace;
    r.flags = p->XMLOptions;
  }
  return r;
}

std::string TInvokableClassRegistry::GetReturnParamNames(const InterfaceInfo& intf) const {
  std::lock_guard lock(mutex_);
  const InterfaceMapItem* e = Find(intf);
  if (e != nullptr && e->Options.Has(InvokeOption::ioHasReturnParamNames)) {
    return e->ReturnParamNames;
  }
  return std::string(kDefaultReturnParamNames);
}

std::string TInvokableClassRegistry::GetActionURIOfInfo(const InterfaceInfo& intf,
                                                        std::string_view meth_ext_name,
                                                        int index) const {
  std::lock_guard lock(mutex_);
  const InterfaceMapItem* e = Find(intf);
  if (e == nullptr) return {};
  if (e->Options.Has(InvokeOption::ioHasDefaultSOAPAction)) {
    std::string action = e->SOAPAction;
    const size_t at = action.find(kOperationNamePlaceholder);
    if (!meth_ext_name.empty() && at != std::string::npos) {
      action.replace(at, kOperationNamePlaceholder.size(), meth_ext_name);
    }
    return action;
  }
  if (e->Options.Has(InvokeOption::ioHasAllSOAPActions)) {
    const std::vector<std::string_view> actions = SplitAtLeadingSeparator(e->SOAPAction);
    if (index < 0 || static_cast<size_t>(index) >= actions.size()) return {};
    return std::string(actions[static_cast<size_t>(index)]);
  }
  return e->Namespace + "#" + std::string(meth_ext_name);
}

std::string TInvokableClassRegistry::GetInterfaceExternalName(const InterfaceInfo& intf) const {
  std::lock_guard lock(mutex_);
  const InterfaceMapItem* e = Find(intf);
  if (e == nullptr || e->ExtName.empty()) return std::string(intf.name);
  return e->ExtName;
}

std::string TInvokableClassRegistry::GetWSDLEncoding(const InterfaceInfo& intf) const {
  std::lock_guard lock(mutex_);
  const InterfaceMapItem* e = Find(intf);
  return e == nullptr ? std::string() : e->WSDLEncoding;
}

std::string TInvokableClassRegistry::GetUDDIOperator(const InterfaceInfo& intf) const {
  std::lock_guard lock(mutex_);
  const InterfaceMapItem* e = Find(intf);
  return e == nullptr ? std::string() : e->UDDIOperator;
}

std::string TInvokableClassRegistry::GetUDDIBindingKey(const InterfaceInfo& intf) const {
  std::lock_guard lock(mutex_);
  const InterfaceMapItem* e = Find(intf);
  return e == nullptr ? std::string() : e->UDDIBindingKey;
}

}  // namespace vorn
