// Watching an HTTP exchange while it runs: what a trace or a progress display
// needs from the transport.
#pragma once

#include <cstdint>
#include <string_view>

namespace vorn {

// Receives the traffic of each exchange in the order in which it travels.
// The transport only reports to it: nothing that is sent depends on it.
// Every method must return normally; an exception from an observer is
// dropped by the transport. The default methods ignore what they are given.
class IHttpObserver {
 public:
  virtual ~IHttpObserver() = default;

  // A note of the transport about the connection ("Connected to ...",
  // a failure), without a line end.
  virtual void OnNote(std::string_view /*text*/) {}
  // The request line and the headers as sent, each line ended by CR LF,
  // with the empty line that ends them.
  virtual void OnRequestHead(std::string_view /*head*/) {}
  // The next piece of the request body as sent.
  virtual void OnRequestBody(std::string_view /*piece*/) {}
  // One line of the reply's head as received (the status line, a header or
  // the empty line that ends the head), with its line end.
  virtual void OnReplyHead(std::string_view /*line*/) {}
  // The next piece of the reply body as received.
  virtual void OnReplyBody(std::string_view /*piece*/) {}
  // How far the exchange has come: request bytes sent out of `to_send`,
  // reply body bytes received out of `to_receive` (0 while not known).
  // Called often while bytes move, and about once a second while they do
  // not.
  virtual void OnProgress(int64_t /*sent*/, int64_t /*to_send*/, int64_t /*received*/,
                          int64_t /*to_receive*/) {}
};

}  // namespace vorn
