// The description of an interface as the converter and the remote object
// use it, and the invocation context of one call.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "service/registry/interface_info.h"
#include "service/registry/property_access.h"
#include "service/registry/remotable.h"
#include "soap/value_text.h"

namespace vorn {

// One operation in slot order, the base interface's operations first.
struct TIntfMethEntry {
  std::string_view Name{};
  int Pos = 0;  // slot position; equals the index in MDA
  int ParamCount = 0;
  std::vector<ParamInfo> Params{};
  const TypeInfo* ResultInfo = nullptr;  // null: no result
};

struct TIntfMetaData {
  const InterfaceInfo* Info = nullptr;
  std::string_view Name{};
  std::vector<TIntfMethEntry> MDA;

  // Built from an interface description: the three base operations
  // (QueryInterface, _AddRef, _Release) first, then the interface's own.
  static TIntfMetaData FromInterface(const InterfaceInfo& info);
};

// One argument of a call, by the parameter's kind: an object (not owned), a
// simple value or variant, or an array.
struct InvArg {
  const TRemotable* object = nullptr;
  NativeValue value{};
  const ArrayValue* array = nullptr;
};

// The result place of a call.
struct InvResult {
  std::unique_ptr<TRemotable> object;  // class results; null when none was read
  NativeValue value;                   // simple results
  ArrayValue array;                    // array results
  bool written = false;                // set when the reply held the result
};

// The invocation context: the operation, one argument per parameter and the
// result place. Lives for one call.
struct TInvContext {
  TIntfMethEntry method;
  std::vector<InvArg> args;
  InvResult* result = nullptr;  // null for an operation without result
};

}  // namespace vorn
