#include "cli/hub_binding.h"

#include <utility>

namespace vorn {

ServiceGetter HubService(std::string url) {
  return [url = std::move(url)](const ExchangeHooks& hooks) {
    // The remote object lives by its references; this one is held until the
    // interface holds its own, so that a failure on the way frees it.
    auto* rio = new THTTPRIO();
    rio->_AddRef();
    struct Release {
      THTTPRIO* rio;
      ~Release() { rio->_Release(); }
    } release{rio};
    THTTPReqResp* http = rio->HTTPWebNode();
    http->Observer = hooks.observer;
    if (hooks.before_send) {
      rio->OnBeforeExecute = [http, before_send = hooks.before_send](std::string_view,
                                                                     std::string& request) {
        if (!before_send(http->RequestHead(request.size()), request)) throw SendStopped{};
      };
    }
    return GetIService(false, url, rio);
  };
}

}  // namespace vorn
