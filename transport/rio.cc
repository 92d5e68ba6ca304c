#include "transport/rio.h"

#include <mutex>
#include <utility>
#include <vector>

#include "base/exception.h"
#include "service/registry/invoke_registry.h"
#include "transport/http_errors.h"
#include "transport/masked_url.h"

namespace vorn {
namespace {

struct ProxyTable {
  std::mutex mutex;
  std::vector<std::pair<Guid, InterfaceProxyFactory>> entries;
};

ProxyTable& Proxies() {
  static ProxyTable table;
  return table;
}

InterfaceProxyFactory FindProxy(const Guid& iid) {
  ProxyTable& t = Proxies();
  std::lock_guard lock(t.mutex);
  for (const auto& [guid, factory] : t.entries) {
    if (guid == iid) return factory;
  }
  return nullptr;
}

// The HTTP transport as the remote object's web node.
class HttpNode : public IWebNode {
 public:
  THTTPReqResp& transport() { return http_; }

  void BeforeExecute(const TIntfMetaData& intf, const TIntfMethEntry& method, int index) override {
    http_.BeforeExecute(intf, method, index);
  }
  void Execute(ByteSource& request, std::string& reply) override { http_.Execute(request, reply); }
  std::string GetMimeBoundary() const override { return http_.MimeBoundary(); }
  void SetSOAP12(bool on) override {
    if (on) {
      http_.WebNodeOptions.Add(WebNodeOption::wnoSOAP12);
    } else {
      http_.WebNodeOptions.Remove(WebNodeOption::wnoSOAP12);
    }
  }

 private:
  THTTPReqResp http_;
};

// Base-interface identifier: every object answers it with itself.
const Guid& BaseInterfaceGuid() {
  static const Guid g = Guid::Parse("{00000000-0000-0000-C000-000000000046}");
  return g;
}

}  // namespace

void RegisterInterfaceProxy(const InterfaceInfo& info, InterfaceProxyFactory factory) {
  ProxyTable& t = Proxies();
  std::lock_guard lock(t.mutex);
  for (const auto& entry : t.entries) {
    if (entry.first == info.guid) return;
  }
  t.entries.emplace_back(info.guid, factory);
}

RioLink::~RioLink() = default;

THTTPRIO& RioLink::Rio() const {
  THTTPRIO* rio = rio_.load();
  if (rio == nullptr) throw Exception("Invalid Pointer");
  return *rio;
}

void RioLink::_AddRef() {
  if (THTTPRIO* rio = rio_.load()) {
    rio->_AddRef();
  } else {
    orphan_refs_.fetch_add(1);
  }
}

void RioLink::_Release() {
  if (THTTPRIO* rio = rio_.load()) {
    rio->_Release();
  } else if (orphan_refs_.fetch_sub(1) == 1) {
    delete this;  // the last reference that outlived the object
  }
}

IInterface* RioLink::QueryInterface(const Guid& iid) { return Rio().QueryInterface(iid); }

void RioLink::Generic(int slot, std::vector<InvArg> args, InvResult* result) {
  Rio().Generic(slot, std::move(args), result);
}

THTTPRIO::THTTPRIO(bool owned)
    : owned_(owned), converter_(std::make_unique<TOPToSoapDomConvert>()), link_(nullptr) {
  auto node = std::make_unique<HttpNode>();
  http_ = &node->transport();
  web_node_ = std::move(node);
  link_ = new RioLink(*this);
}

THTTPRIO::~THTTPRIO() {
  // References that outlive the object keep the link and the implementation
  // alive; otherwise both go first, as they refer to this object. The web
  // node's destruction closes its connection.
  const int left = ref_count_.load();
  if (left > 0) {
    link_->orphan_refs_.store(left);
    link_->rio_.store(nullptr);
  } else {
    delete link_;
  }
  web_node_.reset();
  converter_.reset();
}

void THTTPRIO::SetWebNode(std::unique_ptr<IWebNode> node) {
  web_node_ = std::move(node);
  http_ = nullptr;
}

IInterface* THTTPRIO::QueryInterface(const Guid& iid) {
  if (iid == BaseInterfaceGuid()) {
    _AddRef();
    return this;
  }
  if (bound_ == nullptr) {
    const InterfaceInfo* info = InvRegistry().GetInterfaceTypeInfo(iid);
    InterfaceProxyFactory factory = FindProxy(iid);
    if (info == nullptr || factory == nullptr) return nullptr;
    link_->proxy_.reset(factory(*link_));
    intf_md_ = TIntfMetaData::FromInterface(*info);
    bound_ = info;
  }
  if (!(bound_->guid == iid)) return nullptr;
  if (converter_ != nullptr) {
    const InvokeOptions io = InvRegistry().GetIntfInvokeOptions(iid);
    converter_->Options.Set(TSOAPConvertOption::soDocument, io.Has(InvokeOption::ioDocument));
    converter_->Options.Set(TSOAPConvertOption::soLiteralParams, io.Has(InvokeOption::ioLiteral));
    converter_->Options.Set(TSOAPConvertOption::soSOAP12, io.Has(InvokeOption::ioSOAP12));
    if (web_node_ != nullptr) web_node_->SetSOAP12(io.Has(InvokeOption::ioSOAP12));
  }
  if (http_ != nullptr) {
    http_->SoapAction = InvRegistry().GetActionURIOfInfo(*bound_, "", -1);
  }
  _AddRef();
  return link_->proxy_.get();
}

void THTTPRIO::_AddRef() { ref_count_.fetch_add(1); }

void THTTPRIO::_Release() {
  if (ref_count_.fetch_sub(1) == 1 && !owned_) delete this;
}

void THTTPRIO::SetURL(const std::string& url) {
  if (http_ == nullptr) throw Exception("No Message processing node set");
  http_->SetURL(url);
  if (!url.empty()) {
    WSDLLocation.clear();
    Service.clear();
    Port.clear();
  }
}

const std::string& THTTPRIO::URL() const {
  static const std::string kEmpty;
  return http_ != nullptr ? http_->URL() : kEmpty;
}

void THTTPRIO::Generic(int slot, std::vector<InvArg> args, InvResult* result) {
  if (converter_ == nullptr) throw Exception("No Native to Message converter set");
  if (web_node_ == nullptr) throw Exception("No Message processing node set");
  int meth_num = -1;
  for (size_t i = 0; i < intf_md_.MDA.size(); ++i) {
    if (intf_md_.MDA[i].Pos == slot) {
      meth_num = static_cast<int>(i);
      break;
    }
  }
  if (meth_num < 0) throw Exception("Invalid operation slot");
  if (http_ != nullptr && !http_->UserSetURL() && !WSDLLocation.empty()) {
    throw ESOAPHTTPException(
        "Binding through a WSDL document is not supported - WSDL:" + MaskedURL(WSDLLocation), 0);
  }
  TInvContext ctx;
  ctx.method = intf_md_.MDA[static_cast<size_t>(meth_num)];
  ctx.args = std::move(args);
  ctx.args.resize(ctx.method.Params.size());
  if (ctx.method.ResultInfo != nullptr && result != nullptr) {
    *result = InvResult();
    ctx.result = result;
  }
  DoDispatch(ctx, meth_num, ctx.method);
}

void THTTPRIO::DoDispatch(TInvContext& ctx, int meth_num, const TIntfMethEntry& method) {
  // Per-call state lives on this frame and goes on every path. The request
  // is never held whole: its bytes are written as the web node reads them,
  // unless OnBeforeExecute must see (and may change) them all.
  std::unique_ptr<ByteSource> request = converter_->InvContextToStream(intf_md_, meth_num, ctx);
  web_node_->BeforeExecute(intf_md_, method, meth_num - kBaseInterfaceMethods);
  if (OnBeforeExecute) {
    std::string bytes = ReadAll(*request);
    OnBeforeExecute(method.Name, bytes);
    request = std::make_unique<StringSource>(std::move(bytes));
  }
  std::string reply;
  web_node_->Execute(*request, reply);
  if (OnAfterExecute) OnAfterExecute(method.Name, reply);
  converter_->ProcessResponse(reply, intf_md_, method, ctx);
}

}  // namespace vorn
