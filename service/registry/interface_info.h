// Descriptions of service interfaces: identifier, operations in slot order,
// their parameters and result types. The interface registry and the remote
// object find an interface by these descriptions.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "service/registry/type_info.h"

namespace vorn {

// A 16-byte interface identifier.
struct Guid {
  std::array<uint8_t, 16> bytes{};
  // Parses "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}". REQUIRES: that form.
  static Guid Parse(std::string_view text);
  friend bool operator==(const Guid&, const Guid&) = default;
};

struct ParamInfo {
  std::string_view name;
  const TypeInfo* type = nullptr;
  bool is_out = false;  // output-only: never written into a request
};

// One operation of an interface.
struct MethodInfo {
  std::string_view name;
  std::vector<ParamInfo> params;
  const TypeInfo* result = nullptr;  // null: no result
};

// A service interface. `methods` are its own operations in slot order; the
// three reference-counting operations of the base interface come before them
// in every slot numbering.
struct InterfaceInfo {
  std::string_view name;
  std::string_view unit;  // declaring module
  Guid guid;
  std::vector<MethodInfo> methods;
};

// Number of operations that every interface inherits (query, add and release
// a reference).
inline constexpr int kBaseInterfaceMethods = 3;

}  // namespace vorn
