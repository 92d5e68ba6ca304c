// The HTTP(S) transport of the remote interface object: one POST per call.
//
// THTTPReqResp posts the bytes of a SOAP request to the endpoint in `URL`,
// checks the HTTP status and the reply's content type, and appends the reply
// body to the caller's string. It keeps its connection between calls and
// closes it after any failure, when the URL changes and when it is destroyed.
// Every failure of its own is an ESOAPHTTPException (transport/http_errors.h).
//
// One call at a time per object; distinct objects may be used on distinct
// threads.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "base/byte_source.h"
#include "base/option_set.h"
#include "soap/invocation.h"

namespace vorn {

namespace internal {
struct HttpConnection;
}  // namespace internal

class IHttpObserver;

// Options of a call; the value of each member is its bit position.
enum class TSOAPInvokeOption : uint32_t {
  soNoValueForEmptySOAPAction,    // an empty action is sent as an empty header value
  soIgnoreInvalidCerts,           // no verification of the server certificate or host name
  soNoSOAPActionHeader,           // no SOAPAction header at all
  soAutoCheckAccessPointViaUDDI,  // endpoint re-lookup; inert (no UDDI data exist)
  soPickFirstClientCertificate,   // kept for callers; the certificate comes from ClientCertFile
};
using TSOAPInvokeOptions = OptionSet<TSOAPInvokeOption>;

enum class WebNodeOption : uint32_t {
  wnoSOAP12,  // SOAP 1.2: action inside the content type, no SOAPAction header
};
using TWebNodeOptions = OptionSet<WebNodeOption>;

class THTTPReqResp {
 public:
  THTTPReqResp();
  // Closes the connection.
  ~THTTPReqResp();
  THTTPReqResp(const THTTPReqResp&) = delete;
  THTTPReqResp& operator=(const THTTPReqResp&) = delete;

  // Sets the endpoint. UserSetURL() becomes true for a non-empty text, false
  // for an empty one. The text must be an absolute URL with the scheme http
  // or https (any letter case); otherwise, an empty text included, throws
  // ESOAPHTTPException "Invalid url '<url>' - only supports 'http' and
  // 'https' schemes" (StatusCode 0) and keeps the previous endpoint. On
  // success closes any open connection. User name and password inside the
  // URL are ignored; the query travels with the path. Messages never show
  // the password of a URL: it appears as "***" (see MaskedURL).
  void SetURL(const std::string& url);
  // The text last set successfully, exactly as given.
  const std::string& URL() const { return url_; }
  bool UserSetURL() const { return user_set_url_; }

  // Action of the current call, sent in the SOAPAction header.
  std::string SoapAction;
  std::string Agent = "Vorn SOAP 1.3";
  TSOAPInvokeOptions InvokeOptions{TSOAPInvokeOption::soAutoCheckAccessPointViaUDDI};
  // Adds charset="utf-8" to the Content-Type header.
  bool UseUTF8InHeader = true;
  // Bodies larger than this are handed over in pieces of this size (at
  // least 1); OnPostingData reports each piece.
  int32_t MaxSinglePostSize = 32768;
  // Milliseconds, applied when greater than 0. Connect: connection and TLS
  // handshake (default 60000). Send / Receive: the longest time in which no
  // byte moves while the request is being sent / the reply is awaited or
  // read (default 60000 each).
  int32_t ConnectTimeout = 0;
  int32_t SendTimeout = 0;
  int32_t ReceiveTimeout = 0;
  // Bounds on a whole exchange, so that a server trickling bytes cannot keep
  // a call going forever. Each is on with its default at 0 and off below 0.
  // TotalTimeout: milliseconds from the start of Execute to the end of the
  // reply (default 1800000, 30 minutes: a 5 MB invoice, about 6.7 MB once
  // encoded, still goes out over a 32 kbit/s link). MinTransferRate: the
  // request must go out, and the reply come in, at an average of at least
  // this many bytes per second (default 1024), each measured from its first
  // byte and checked once MinRateGracePeriod milliseconds (default 30000)
  // have passed since then. A call that breaks a bound fails with
  // ESOAPHTTPException "Timeout was reached (...) - URL:%s - SOAPAction:%s",
  // StatusCode 12002.
  int32_t TotalTimeout = 0;
  int32_t MinTransferRate = 0;
  int32_t MinRateGracePeriod = 0;
  // Explicit proxy ("host:port" or a proxy URL) and the hosts that bypass it
  // (separated by ';', ',' or blanks). With an empty Proxy the environment
  // variables http_proxy, https_proxy and no_proxy apply.
  std::string Proxy;
  std::string ProxyByPass;
  // Credentials for HTTP Basic authentication, sent when UserName is set.
  std::string UserName;
  std::string Password;
  // PEM client certificate and its key, offered when set.
  std::string ClientCertFile;
  std::string ClientKeyFile;
  TWebNodeOptions WebNodeOptions;

  // Called as the request body is handed over: (bytes handed over so far,
  // total size). May throw; the call then fails with that exception.
  std::function<void(int64_t pos_or_size, int64_t total)> OnPostingData;
  // Called for every block of the reply body: (block size, block size).
  // May throw; the call then fails with that exception.
  std::function<void(int64_t available, int64_t read)> OnReceivingData;
  // Watches every exchange (transport/http_observer.h); not owned, null for
  // none. Watching changes nothing that is sent.
  IHttpObserver* Observer = nullptr;

  // Prepares a call of `method` (index among the interface's own
  // operations): SoapAction becomes the operation's action from the
  // interface registry. Throws ESOAPHTTPException when no URL was set.
  void BeforeExecute(const TIntfMetaData& intf, const TIntfMethEntry& method, int index);

  // One exchange: POSTs `request` to URL() and appends the reply body to
  // `reply`. Returns normally for an HTTP status below 300 and for 500 (whose
  // body is a SOAP fault for the response reader). Throws ESOAPHTTPException
  // for every other status, for a missing or text/plain or text/html reply
  // content type, for a reply body over 64 MiB, for every network, TLS or
  // time-out failure, and when no URL was set; an exception thrown by a
  // callback propagates unchanged. After any failure the connection is closed
  // and `reply` may hold part of a body; the next call reconnects.
  void Execute(std::string_view request, std::string& reply);
  // The same, with the body read from `request` (from its start) as it goes
  // out: Content-Length is its Size(), and a body larger than
  // MaxSinglePostSize is read a piece at a time straight into libcurl's
  // upload buffer, so it is never held whole here. What the source throws
  // fails the call unchanged; a source that ends early fails it with
  // ESOAPHTTPException "Invalid HTTP Request: Length is 0".
  void Execute(ByteSource& request, std::string& reply);

  // The request line and the headers that Execute sends to the endpoint for
  // a body of `body_size` bytes, each line ended by CR LF, then the empty
  // line; a proxy tunnel adds its own CONNECT exchange before it. Throws
  // ESOAPHTTPException when no URL was set.
  std::string RequestHead(size_t body_size) const;

  // Content-Type of the last reply, empty if it had none.
  const std::string& ContentType() const { return content_type_; }
  // The multipart boundary of the last reply if it was multipart/related,
  // otherwise empty.
  const std::string& MimeBoundary() const { return mime_boundary_; }

 private:
  void Close();

  std::string url_;
  std::string curl_url_;  // url_ as handed to libcurl; empty while no URL is set
  bool user_set_url_ = false;
  std::string content_type_;
  std::string mime_boundary_;
  std::unique_ptr<internal::HttpConnection> conn_;  // null while not connected
};

}  // namespace vorn
