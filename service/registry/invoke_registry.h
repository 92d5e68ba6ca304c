// The interface registry: for each service interface its namespace, default
// SOAPAction, invoke options, and per operation and parameter the external
// names, option texts and flag words.
//
// Operation and parameter names are matched ignoring case. Lookups on an
// unregistered interface return the documented defaults and never fail;
// registrations on an unregistered interface are ignored. Every operation
// takes the registry's mutex; results are copies.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "base/option_set.h"
#include "service/registry/interface_info.h"

namespace vorn {

enum class InvokeOption {
  ioDefault,
  ioDocument,              // document style
  ioLiteral,               // unwrapped literal parameters
  ioHasDefaultSOAPAction,  // SOAPAction holds a template
  ioHasReturnParamNames,   // ReturnParamNames is valid
  ioHasNamespace,          // Namespace was given explicitly
  ioIsAppServerSOAP,
  ioHasUDDIInfo,
  ioHasAllSOAPActions,  // SOAPAction holds one action per operation
  ioSOAP12,
};

using InvokeOptions = OptionSet<InvokeOption>;

struct ParameterMapItem {
  std::string Name;
  std::string ExtName;
  std::string Namespace;  // a namespace or a bracketed option text, verbatim
  uint32_t XMLOptions = 0;
};

struct MethodMapItem {
  std::string Name;
  std::string ExtName;
  std::string ReturnName;  // option text, verbatim
  uint32_t XMLOptions = 0;
  std::vector<ParameterMapItem> Parameters;
};

struct InterfaceMapItem {
  std::string Name;
  std::string ExtName;
  std::string UnitName;
  Guid GUID;
  const InterfaceInfo* Info = nullptr;
  std::string Namespace;
  std::string WSDLEncoding;
  std::string Documentation;
  std::string SOAPAction;
  std::string ReturnParamNames;
  InvokeOptions Options;
  std::vector<MethodMapItem> Methods;
  std::string UDDIOperator;
  std::string UDDIBindingKey;
};

class TInvokableClassRegistry {
 public:
  // --- registration -------------------------------------------------------
  // Appends an entry unless the interface is registered. A non-empty
  // namespace sets ioHasNamespace; an empty one gives "urn:" + module + "-" +
  // interface name.
  void RegisterInterface(const InterfaceInfo& intf, std::string_view ns = "",
                         std::string_view wsdl_encoding = "", std::string_view doc = "",
                         std::string_view ext_name = "");
  void RegisterDefaultSOAPAction(const InterfaceInfo& intf, std::string_view action_template);
  void RegisterAllSOAPActions(const InterfaceInfo& intf, std::string_view actions);
  void RegisterReturnParamNames(const InterfaceInfo& intf, std::string_view names);
  void RegisterUDDIInfo(const InterfaceInfo& intf, std::string_view op, std::string_view key);
  // Adds one option to the interface's set.
  void RegisterInvokeOptions(const InterfaceInfo& intf, InvokeOption option);
  // Replaces the whole set.
  void RegisterInvokeOptions(const InterfaceInfo& intf, InvokeOptions options);
  // Finds or appends the operation entry; sets ExtName, ReturnName (verbatim)
  // and XMLOptions (replaced).
  void RegisterMethodInfo(const InterfaceInfo& intf, std::string_view meth,
                          std::string_view ext_name, std::string_view return_name,
                          uint32_t flags = 0);
  void RegisterExternalMethName(const InterfaceInfo& intf, std::string_view meth,
                                std::string_view ext_name);
  // Finds or appends the operation and parameter entries; sets ExtName and
  // Namespace (verbatim) and ORs the flags into XMLOptions.
  void RegisterParamInfo(const InterfaceInfo& intf, std::string_view meth, std::string_view param,
                         std::string_view ext_name, std::string_view ns, uint32_t flags = 0);
  void RegisterExternalParamName(const InterfaceInfo& intf, std::string_view meth,
                                 std::string_view param, std::string_view ext_name);
  void UnRegisterInterface(const InterfaceInfo& intf);

  // --- lookups -------------------------------------------------------------
  const InterfaceInfo* GetInterfaceTypeInfo(const Guid& guid) const;
  InvokeOptions GetIntfInvokeOptions(const InterfaceInfo& intf) const;
  InvokeOptions GetIntfInvokeOptions(const Guid& guid) const;
  std::string GetNamespaceByGUID(const Guid& guid) const;
  std::string GetMethExternalName(const InterfaceInfo& intf, std::string_view meth) const;
  struct MethodRegInfo {
    std::string ext_name;
    std::string return_name;
    uint32_t flags = 0;
  };
  MethodRegInfo GetMethodInfo(const InterfaceInfo& intf, std::string_view meth) const;
  std::string GetParamExternalName(const InterfaceInfo& intf, std::string_view meth,
                                   std::string_view param) const;
  struct ParamRegInfo {
    std::string ext_name;
    std::string ns;
    uint32_t flags = 0;
  };
  ParamRegInfo GetParamInfo(const InterfaceInfo& intf, std::string_view meth,
                            std::string_view param) const;
  // The registered names when ioHasReturnParamNames, else "Result;Return".
  std::string GetReturnParamNames(const InterfaceInfo& intf) const;
  // The SOAPAction of an operation (external name may be empty; index among
  // the interface's own operations).
  std::string GetActionURIOfInfo(const InterfaceInfo& intf, std::string_view meth_ext_name,
                                 int index) const;
  std::string GetInterfaceExternalName(const InterfaceInfo& intf) const;
  std::string GetWSDLEncoding(const InterfaceInfo& intf) const;
  std::string GetUDDIOperator(const InterfaceInfo& intf) const;
  std::string GetUDDIBindingKey(const InterfaceInfo& intf) const;

 private:
  InterfaceMapItem* Find(const InterfaceInfo& intf);
  const InterfaceMapItem* Find(const InterfaceInfo& intf) const;

  mutable std::mutex mutex_;
  std::vector<InterfaceMapItem> entries_;
};

// The process-wide interface registry (created with the type registry on the
// first call of either accessor).
TInvokableClassRegistry& InvRegistry();

}  // namespace vorn
