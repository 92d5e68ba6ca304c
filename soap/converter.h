// The converter: turns a call into a SOAP request envelope and reads the
// reply into the call's result or raises its fault.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "base/byte_source.h"
#include "base/option_set.h"
#include "service/registry/schema_namespaces.h"
#include "soap/invocation.h"

namespace vorn {

enum class TSOAPConvertOption {
  soSendUntyped,
  soSendMultiRefObj,
  soSendMultiRefArray,
  soTryAllSchema,
  soRootRefNodesToBody,
  soDocument,
  soReturnSuccessForFault,
  soUTF8InHeader,
  soDontSendEmptyNodes,
  soCacheMimeResponse,
  soDontClearOutBoundHeaders,
  soCustomFaultAtDetailsNode,
  soLiteralParams,
  soUTF8EncodeXML,
  soXXXXHdr,
  soFormElementUnqualifed,
  soSOAP12,
  soDontSendVarArrayType,
};

using TSOAPConvertOptions = OptionSet<TSOAPConvertOption>;

// Namespaces of the envelope.
inline constexpr std::string_view kSoap11EnvelopeNS = "http://schemas.xmlsoap.org/soap/envelope/";
inline constexpr std::string_view kSoap12EnvelopeNS = "http://www.w3.org/2003/05/soap-envelope";
inline constexpr std::string_view kXMLSchemaInstanceNS =
    "http://www.w3.org/2001/XMLSchema-instance";

class TOPToSoapDomConvert {
 public:
  // Options in force unless changed: soSendMultiRefObj, soTryAllSchema,
  // soRootRefNodesToBody, soCacheMimeResponse, soUTF8EncodeXML.
  TSOAPConvertOptions Options{
      TSOAPConvertOption::soSendMultiRefObj, TSOAPConvertOption::soTryAllSchema,
      TSOAPConvertOption::soRootRefNodesToBody, TSOAPConvertOption::soCacheMimeResponse,
      TSOAPConvertOption::soUTF8EncodeXML};

  // The request envelope of operation `meth_num` (index in intf.MDA) as
  // UTF-8 bytes, produced as they are read: the envelope is built as a
  // document first, and its bytes (whose size is known at once) are written
  // a piece at a time into the reader's buffer. Large texts of the arguments
  // are not copied: the arguments must stay alive and unchanged while the
  // stream lives. Throws ESOAPDomConvertError (and the value conversion
  // errors) without returning anything; the arguments are only read.
  std::unique_ptr<ByteSource> InvContextToStream(const TIntfMetaData& intf, int meth_num,
                                                 const TInvContext& ctx);
  // The same bytes, whole.
  std::string InvContextToMsg(const TIntfMetaData& intf, int meth_num, const TInvContext& ctx);

  // Reads the reply: stores the result into ctx.result, or raises the SOAP
  // fault as ERemotableException. Throws EDOMParseError for bytes that are not
  // XML and ESOAPDomConvertError for a reply of the wrong shape. A reply
  // without a result leaves the result place unwritten.
  void ProcessResponse(std::string_view reply, const TIntfMetaData& intf,
                       const TIntfMethEntry& method, TInvContext& ctx);
};

}  // namespace vorn
