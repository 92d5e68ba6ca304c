// A converter set up for IService as the remote object sets it up.
#pragma once

#include <gtest/gtest.h>

#include <memory>
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

  // The request bytes of IService's own operation `index` (0, 1, 2). They
  // are also read as the transport reads them, a piece at a time, which
  // must give the same bytes.
  std::string Request(int index, std::vector<InvArg> args, size_t piece = 4093) {
    const int meth_num = kBaseInterfaceMethods + index;
    TInvContext ctx;
    ctx.method = intf.MDA[static_cast<size_t>(meth_num)];
    ctx.args = std::move(args);
    std::string whole = converter.InvContextToMsg(intf, meth_num, ctx);
    const std::unique_ptr<ByteSource> stream = converter.InvContextToStream(intf, meth_num, ctx);
    EXPECT_EQ(stream->Size(), whole.size());
    std::string streamed;
    std::string buffer(piece, '\0');
    while (const size_t n = stream->Read(buffer.data(), piece)) streamed.append(buffer, 0, n);
    EXPECT_TRUE(streamed == whole) << "the bytes read a piece at a time differ";
    return whole;
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
