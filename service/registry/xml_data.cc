#include "service/registry/xml_data.h"

namespace vorn {

const ClassInfo& TXMLData::StaticClass() {
  static const ClassInfo info = DescribeClass<TXMLData, TRemotable>("TXMLData", "XMLDoc");
  return info;
}

}  // namespace vorn
