// TXMLData: the holder of one XML fragment, the value of the open slots of
// the signature types. Registered with the registry's built-in entries as
// "schema" in the XML Schema namespace.
#pragma once

#include "service/registry/remotable.h"

namespace vorn {

class TXMLData : public Remotable<TXMLData, TRemotable> {
 public:
  static const ClassInfo& StaticClass();
};

}  // namespace vorn
