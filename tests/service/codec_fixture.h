// A converter set up for IService as the remote object sets it up.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "service/service.h"
#include "soap/converter.h"
#include "soap/invocation.h"

namespace vorn::test {

class CodecFixture : public ::testing::Test {
 protected:
  CodecFixture() {
    RegisterServiceContract();
    converter.Options.Add(TSOAPConvertOption::soDocument);
  }

  // The request bytes of IService's own operation `index` (0, 1, 2).
  std::string Request(int index, std::vector<InvArg> args) {
    const int meth_num = kBaseInterfaceMethods + index;
    TInvContext ctx;
    ctx.method = intf.MDA[static_cast<size_t>(meth_num)];
    ctx.args = std::move(args);
    return converter.InvContextToMsg(intf, meth_num, ctx);
  }

  // Reads `reply` as the answer of operation `index`.
  InvResult Reply(int index, std::string_view reply) {
    const int meth_num = kBaseInterfaceMethods + index;
    TInvContext ctx;
    ctx.method = intf.MDA[static_cast<size_t>(meth_num)];
    InvResult result;
    ctx.result = &result;
    converter.ProcessResponse(reply, intf, ctx.method, ctx);
    return result;
  }

  TIntfMetaData intf = TIntfMetaData::FromInterface(IService::Info());
  TOPToSoapDomConvert converter;
};

}  // namespace vorn::test
