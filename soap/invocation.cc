#include "soap/invocation.h"

namespace vorn {

TIntfMetaData TIntfMetaData::FromInterface(const InterfaceInfo& info) {
  TIntfMetaData md;
  md.Info = &info;
  md.Name = info.name;
  static constexpr std::string_view kBase[kBaseInterfaceMethods] = {"QueryInterface", "_AddRef",
                                                                    "_Release"};
  int pos = 0;
  for (std::string_view name : kBase) md.MDA.push_back(TIntfMethEntry{.Name = name, .Pos = pos++});
  for (const MethodInfo& m : info.methods) {
    md.MDA.push_back(TIntfMethEntry{.Name = m.name,
                                    .Pos = pos++,
                                    .ParamCount = static_cast<int>(m.params.size()),
                                    .Params = m.params,
                                    .ResultInfo = m.result});
  }
  return md;
}

}  // namespace vorn
