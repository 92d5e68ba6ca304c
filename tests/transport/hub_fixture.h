// The loopback test hub (tests/hub/hub.py) run as a child process.
//
// The hub script is found under $VORN_SOURCE_DIR (set by the test build), or
// under the source directory compiled into the fixture. The hub listens on
// 127.0.0.1 only and records every request it receives.
#pragma once

#include <sys/types.h>
#include <string>
#include <string_view>

namespace vorn::test {

struct HubOptions {
  bool tls = false;         // HTTPS with a certificate from a throw-away CA
  bool wrong_host = false;  // HTTPS with a certificate for another host name
  bool expired = false;     // HTTPS with an expired certificate
  // The reply script: a JSON list of replies (see hub.py); empty for the
  // default, which accepts every request.
  std::string script;
};

class TestHub {
 public:
  // Starts the hub and waits until it listens. Throws std::runtime_error if
  // it cannot be started.
  explicit TestHub(const HubOptions& options = {});
  // Stops the hub and removes its files.
  ~TestHub();
  TestHub(const TestHub&) = delete;
  TestHub& operator=(const TestHub&) = delete;

  int Port() const { return port_; }
  // The PEM file of the hub's CA; empty without TLS.
  const std::string& CaFile() const { return ca_file_; }
  const std::string& RecordDir() const { return record_dir_; }
  // "http://127.0.0.1:<port><path>", or https with TLS.
  std::string Url(std::string_view path = "/Service.svc") const;

  // Number of requests recorded so far.
  int RequestCount() const;
  // Request n (from 1) exactly as received. Throws std::runtime_error if
  // there is no such request.
  std::string Request(int n) const;
  // The number of the connection that carried request n (connections are
  // numbered from 1 in the order they were accepted).
  int ConnectionOf(int n) const;

 private:
  void Stop();

  std::string dir_;
  std::string record_dir_;
  std::string ca_file_;
  bool tls_ = false;
  int port_ = 0;
  pid_t pid_ = -1;
  int stdin_fd_ = -1;   // closing it tells the hub to exit
  int stdout_fd_ = -1;  // the hub's ready line arrives here
};

}  // namespace vorn::test
