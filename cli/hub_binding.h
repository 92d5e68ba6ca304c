// The connection of the command line to the hub: the service interface,
// with what the driver watches of the exchange.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "service/service.h"
#include "transport/http_observer.h"

namespace vorn {

// What the driver wants done around the exchange with the hub.
struct ExchangeHooks {
  // Watches the exchange (not owned; null for none). It must outlive the
  // interface that the getter returns.
  IHttpObserver* observer = nullptr;
  // Called with the request line and headers and the body, exactly as they
  // would be sent, just before anything goes out. Returning false stops the
  // call there: nothing is sent or contacted, and the call throws
  // SendStopped.
  std::function<bool(std::string_view head, std::string_view body)> before_send;
};

// Thrown through the call when before_send stopped it. Not an Exception: it
// is no failure, and no layer reports it.
struct SendStopped {};

// Supplies the service interface with the hooks in place (the real one binds
// to the hub; tests give a fake). Called only after every local step has
// succeeded.
using ServiceGetter = std::function<InterfacePtr<IService>(const ExchangeHooks&)>;

// The getter that binds to the hub at `url`; an empty `url` means the
// built-in default (defURL). The getter throws as GetIService does.
ServiceGetter HubService(std::string url);

}  // namespace vorn
