// THTTPRIO, the remote interface object: implements a registered service
// interface at run time and turns each call into one SOAP exchange
// (envelope writer, HTTP transport, response reader).
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "service/registry/interface.h"
#include "soap/converter.h"
#include "soap/invocation.h"
#include "transport/http_req_resp.h"
#include "transport/web_node.h"

namespace vorn {

class THTTPRIO;

// What the run-time implementation of an interface holds of its remote
// object. While the object lives, every operation is passed on to it. When
// an owned object is destroyed while references to its interface remain,
// the link and the implementation outlive it: each remaining reference may
// still be copied and released (the last release frees them), and any other
// use throws Exception "Invalid Pointer".
class RioLink {
 public:
  void _AddRef();
  void _Release();
  // THTTPRIO::QueryInterface; throws "Invalid Pointer" once the object is gone.
  IInterface* QueryInterface(const Guid& iid);
  // THTTPRIO::Generic; throws "Invalid Pointer" once the object is gone.
  void Generic(int slot, std::vector<InvArg> args, InvResult* result);

 private:
  friend class THTTPRIO;
  explicit RioLink(THTTPRIO& rio) : rio_(&rio) {}
  ~RioLink();
  THTTPRIO& Rio() const;

  std::atomic<THTTPRIO*> rio_;         // null once the object is gone
  std::atomic<int> orphan_refs_{0};    // references left when it went
  std::unique_ptr<IInvokable> proxy_;  // the implementation, once made
};

// Creates the run-time implementation of an interface: an object whose every
// operation calls RioLink::Generic, and whose reference counting and other
// interface requests go to the link.
using InterfaceProxyFactory = IInvokable* (*)(RioLink& rio);

// Makes `factory` the implementation of the interface `info` (once, at
// start-up, next to the interface's registrations).
void RegisterInterfaceProxy(const InterfaceInfo& info, InterfaceProxyFactory factory);

class THTTPRIO : public IInterface {
 public:
  // Without an owner the object destroys itself when its last interface
  // reference goes; with one (`owned`), its owner deletes it.
  explicit THTTPRIO(bool owned = false);
  // Destroying the object while references to its interface remain is a
  // misuse that cannot be reported from a destructor: those references stay
  // safe to release and fail with Exception "Invalid Pointer" on any call
  // (see RioLink).
  ~THTTPRIO() override;
  THTTPRIO(const THTTPRIO&) = delete;
  THTTPRIO& operator=(const THTTPRIO&) = delete;

  // The implementation of a registered interface (the first one asked for
  // stays the object's interface), the object itself for the base
  // interface, or null. Aligns the converter's options with the interface's
  // invoke options.
  IInterface* QueryInterface(const Guid& iid) override;
  void _AddRef() override;
  void _Release() override;
  int RefCount() const { return ref_count_.load(); }

  // Sets the endpoint (http or https). Throws ESOAPHTTPException
  // "Invalid url '%s' - only supports 'http' and 'https' schemes".
  void SetURL(const std::string& url);
  const std::string& URL() const;

  // Binding through a WSDL document is not supported: a call made with only
  // a WSDL location fails with ESOAPHTTPException.
  std::string WSDLLocation;
  std::string Service;
  std::string Port;

  TOPToSoapDomConvert* Converter() { return converter_.get(); }
  void SetConverter(std::unique_ptr<TOPToSoapDomConvert> c) { converter_ = std::move(c); }
  // The default HTTP transport (null when another web node was set).
  THTTPReqResp* HTTPWebNode() { return http_; }
  IWebNode* WebNode() { return web_node_.get(); }
  // Replaces the web node (for example a transport of the caller's own).
  void SetWebNode(std::unique_ptr<IWebNode> node);

  // Called with the request bytes before they are sent, and with the reply
  // bytes before they are read; either may change the bytes. While
  // OnBeforeExecute is set, each request is held whole to be shown to it;
  // otherwise its bytes are produced as they go out.
  std::function<void(std::string_view method, std::string& request)> OnBeforeExecute;
  std::function<void(std::string_view method, std::string& reply)> OnAfterExecute;

  // The generic entry point: calls the operation in slot `slot` with `args`
  // (one per parameter) and fills `result`. Throws whatever the pipeline
  // raises; the object stays usable.
  void Generic(int slot, std::vector<InvArg> args, InvResult* result);

 private:
  void DoDispatch(TInvContext& ctx, int meth_num, const TIntfMethEntry& method);

  std::atomic<int> ref_count_{0};
  bool owned_;
  std::unique_ptr<TOPToSoapDomConvert> converter_;
  std::unique_ptr<IWebNode> web_node_;
  THTTPReqResp* http_ = nullptr;
  const InterfaceInfo* bound_ = nullptr;
  TIntfMetaData intf_md_;
  RioLink* link_;  // owned while this object lives
};

}  // namespace vorn
