// How the properties of a class travel: each one's XML name and the options
// registered for it, with the class's serialization options. The envelope
// writer and the response reader both take them from here, so they cannot
// disagree, and a class's plan is worked out once (again only after a
// registration changes the registry).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "service/registry/remotable.h"

namespace vorn {

struct WireProperty {
  const PropInfo* prop = nullptr;
  // The "ExtName" option of an option text, else a plain external name, else
  // the property's own name.
  std::string xml_name;
  // The option text registered for the property (with its brackets), or
  // empty: "ArrayItemName" and "ArrayItemNS" are read from it.
  std::string option_text;
  // Its "Namespace" option.
  std::optional<std::string> ns_option;
  // Its "ArrayItemName" option: the element name of an array's entries.
  std::optional<std::string> item_name_option;
};

struct WirePlan {
  SerializationOptions options;     // registered for the class
  std::vector<WireProperty> props;  // in descriptor order
};

}  // namespace vorn
