// THTTPReqResp on libcurl: one easy handle driven through a private multi
// handle. The multi handle owns the connection cache, so a connection lives
// from the first call until Close(); driving the transfer ourselves lets the
// send and receive time-outs measure stalls to the millisecond.
#include "transport/http_req_resp.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <mutex>
#include <span>
#include <utility>
#include <vector>

#include "base/exception.h"
#include "base/text_util.h"
#include "service/registry/invoke_registry.h"
#include "soap/base64.h"
#include "transport/http_errors.h"
#include "transport/http_observer.h"
#include "transport/masked_url.h"

namespace vorn {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int64_t kReplyCap = int64_t{64} * 1024 * 1024;
constexpr int64_t kDefaultTimeoutMs = 60000;
// Defaults of the bounds on a whole exchange (see THTTPReqResp::TotalTimeout).
constexpr int64_t kDefaultTotalTimeoutMs = 30 * 60 * 1000;
constexpr int64_t kDefaultMinTransferRate = 1024;
constexpr int64_t kDefaultMinRateGraceMs = 30000;
constexpr long kReceiveBufferSize = 128 * 1024;
constexpr long kUploadBufferSize = 512 * 1024;
// Longest single wait for socket activity; keeps the loop responsive while
// libcurl resolves names or connects.
constexpr int64_t kMaxPollMs = 1000;

// Failure codes of the transport (StatusCode of a failed exchange).
constexpr int kErrTimeout = 12002;
constexpr int kErrInternal = 12004;
constexpr int kErrNameNotResolved = 12007;
constexpr int kErrCannotConnect = 12029;
constexpr int kErrConnectionAborted = 12030;
constexpr int kErrClientCertNeeded = 12044;
constexpr int kErrHeaderNotFound = 12150;
constexpr int kErrInvalidServerResponse = 12152;
constexpr int kErrSecureChannel = 12175;
constexpr int kErrCertDateInvalid = 12037;
constexpr int kErrCertNameInvalid = 12038;
constexpr int kErrCertInvalidCA = 12045;

constexpr const char* kHeaderNotFoundText = "The requested header was not found";
constexpr const char* kNoUrlText =
    "No WSDL or URL property was set in the THTTPRIO component. You must set the WSDL or URL "
    "property before invoking the Web Service";

// The one mapping from libcurl results to failure codes.
int FailureCode(CURLcode rc) {
  switch (rc) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
      return kErrNameNotResolved;
    case CURLE_COULDNT_CONNECT:
      return kErrCannotConnect;
    case CURLE_OPERATION_TIMEDOUT:
      return kErrTimeout;
    case CURLE_GOT_NOTHING:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_PARTIAL_FILE:
      return kErrConnectionAborted;
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_UNSUPPORTED_PROTOCOL:  // a reply in an HTTP version that is not allowed
    case CURLE_HTTP2:
    case CURLE_BAD_CONTENT_ENCODING:
      return kErrInvalidServerResponse;
    case CURLE_SSL_CLIENTCERT:
      return kErrClientCertNeeded;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_USE_SSL_FAILED:
      return kErrSecureChannel;
    default:
      return kErrInternal;
  }
}

// OpenSSL's certificate verification results (X509_V_ERR_*), as libcurl
// reports them after a failed verification.
constexpr long kX509UnableToGetIssuerCert = 2;
constexpr long kX509CertNotYetValid = 9;
constexpr long kX509CertHasExpired = 10;
constexpr long kX509DepthZeroSelfSigned = 18;
constexpr long kX509SelfSignedInChain = 19;
constexpr long kX509UnableToGetIssuerLocally = 20;
constexpr long kX509UnableToVerifyLeaf = 21;
constexpr long kX509CertUntrusted = 27;
constexpr long kX509HostnameMismatch = 62;
constexpr long kX509IpAddressMismatch = 64;

// libcurl's verification result before it has stored OpenSSL's (1, "not
// OK"); it stays so when libcurl's own host-name check fails.
constexpr long kVerifyNotStored = 1;

// The failure code of a server certificate that did not verify, from
// OpenSSL's verification result. A chain that OpenSSL accepted (or whose
// result libcurl had not stored yet because its host-name check failed
// first) means the host name did not match.
int CertificateFailureCode(long verify_result) {
  switch (verify_result) {
    case 0:
    case kVerifyNotStored:
    case kX509HostnameMismatch:
    case kX509IpAddressMismatch:
      return kErrCertNameInvalid;
    case kX509CertHasExpired:
    case kX509CertNotYetValid:
      return kErrCertDateInvalid;
    case kX509UnableToGetIssuerCert:
    case kX509DepthZeroSelfSigned:
    case kX509SelfSignedInChain:
    case kX509UnableToGetIssuerLocally:
    case kX509UnableToVerifyLeaf:
    case kX509CertUntrusted:
      return kErrCertInvalidCA;
    default:
      return kErrSecureChannel;
  }
}

struct EasyDeleter {
  void operator()(CURL* h) const { curl_easy_cleanup(h); }
};
struct MultiDeleter {
  void operator()(CURLM* m) const { curl_multi_cleanup(m); }
};
struct SlistDeleter {
  void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};
struct UrlDeleter {
  void operator()(CURLU* u) const { curl_url_cleanup(u); }
};
struct CurlFree {
  void operator()(char* p) const { curl_free(p); }
};
using SlistPtr = std::unique_ptr<curl_slist, SlistDeleter>;

// curl_global_init once per process; later calls see the first result.
CURLcode GlobalInit() {
  static std::once_flag once;
  static CURLcode result = CURLE_OK;
  std::call_once(once, [] { result = curl_global_init(CURL_GLOBAL_DEFAULT); });
  return result;
}

std::string_view Trim(std::string_view s) {
  const char* blanks = " \t\r\n";
  size_t b = s.find_first_not_of(blanks);
  if (b == std::string_view::npos) return {};
  return s.substr(b, s.find_last_not_of(blanks) - b + 1);
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

// The boundary of a multipart/related content type: the text after the first
// "boundary=", cut before the next ';' unless that is its first character,
// without enclosing double quotes. Empty for any other content type.
std::string MimeBoundaryOf(const std::string& content_type) {
  std::string lower = Lower(content_type);
  if (lower.rfind("multipart/related", 0) != 0) return {};
  constexpr std::string_view kKey = "boundary=";
  size_t at = lower.find(kKey);
  if (at == std::string::npos) return {};
  std::string b = content_type.substr(at + kKey.size());
  size_t semi = b.find(';');
  if (semi != std::string::npos && semi > 0) b.resize(semi);
  if (!b.empty() && b.front() == '"') b.erase(0, 1);
  if (!b.empty() && b.back() == '"') b.pop_back();
  return b;
}

// The proxy bypass list in libcurl's form: entries separated by commas, a
// leading "*" of "*.domain" dropped (libcurl matches sub-domains already).
std::string NoProxyList(std::string_view bypass) {
  std::string out;
  size_t i = 0;
  while (i < bypass.size()) {
    size_t end = bypass.find_first_of(";, \t", i);
    if (end == std::string_view::npos) end = bypass.size();
    std::string_view entry = bypass.substr(i, end - i);
    if (entry.size() > 2 && entry.substr(0, 2) == "*.") entry.remove_prefix(1);
    if (!entry.empty()) {
      if (!out.empty()) out += ',';
      out += entry;
    }
    i = end + 1;
  }
  return out;
}

const char* NonEmptyEnv(const char* name) {
  const char* v = std::getenv(name);
  return (v != nullptr && *v != '\0') ? v : nullptr;
}

// The state of one exchange, shared with the libcurl callbacks.
struct Exchange {
  THTTPReqResp* node = nullptr;
  CURL* easy = nullptr;
  // Request body, its size, and how much of it has been handed to libcurl.
  ByteSource* body = nullptr;
  int64_t body_size = 0;
  std::string one_piece;  // a body of one piece, read whole before the exchange
  int64_t handed = 0;
  int64_t piece = 1;      // size of a piece reported by OnPostingData
  int64_t next_mark = 0;  // position of the next OnPostingData report, 0 when all reported
  // Reply.
  std::string* reply = nullptr;
  int64_t received = 0;
  int status = 0;  // of the last status line; 0 before any
  std::string reason;
  bool headers_done = false;  // the header block of a final reply has ended
  bool have_content_type = false;
  std::string content_type;
  std::string content_length;  // the value of the Content-Length headers, when they agree
  bool length_conflict = false;
  // Outcome.
  bool connected = false;
  Clock::time_point start;       // of the call
  Clock::time_point send_start;  // of the request, once connected
  Clock::time_point reply_start;
  bool reply_started = false;  // a first byte of the reply has arrived
  Clock::time_point last_activity;
  bool stalled = false;
  std::string bound_broken;  // what an exchange bound found, when one did
  bool too_large = false;    // reply body over the cap
  std::exception_ptr callback_error;
  CURLcode result = CURLE_OK;
  char error_buffer[CURL_ERROR_SIZE] = {};

  bool Rejected() const { return status >= 300 && status != 500; }
};

// Reports every piece boundary reached so far: (position, total).
void ReportPieces(Exchange& ex) {
  const int64_t total = ex.body_size;
  while (ex.next_mark > 0 && ex.handed >= ex.next_mark) {
    int64_t mark = ex.next_mark;
    ex.next_mark = mark == total ? 0 : std::min(mark + ex.piece, total);
    if (ex.node->OnPostingData) ex.node->OnPostingData(mark, total);
  }
}

void SetHanded(Exchange& ex, int64_t pos) {
  const int64_t total = ex.body_size;
  ex.handed = pos;
  ex.next_mark = pos >= total ? 0 : std::min((pos / ex.piece + 1) * ex.piece, total);
}

// Hands libcurl the next bytes of the body, written straight into its
// upload buffer by the body's source.
size_t ReadBody(char* buffer, size_t size, size_t count, void* user) {
  auto& ex = *static_cast<Exchange*>(user);
  const auto want = static_cast<size_t>(
      std::min<int64_t>(static_cast<int64_t>(size * count), ex.body_size - ex.handed));
  try {
    size_t n = 0;
    while (n < want) {
      const size_t got = ex.body->Read(buffer + n, want - n);
      if (got == 0) throw ESOAPHTTPException("Invalid HTTP Request: Length is 0", 0);
      n += got;
    }
    ex.handed += static_cast<int64_t>(n);
    ReportPieces(ex);
    return n;
  } catch (...) {
    ex.callback_error = std::current_exception();
    return CURL_READFUNC_ABORT;
  }
}

// Lets libcurl rewind the body when it resends the request on a fresh
// connection because a kept connection turned out to be dead.
int SeekBody(void* user, curl_off_t offset, int origin) {
  auto& ex = *static_cast<Exchange*>(user);
  if (origin != SEEK_SET || offset < 0 || offset > ex.body_size) return CURL_SEEKFUNC_CANTSEEK;
  try {
    ex.body->Rewind();
    char skipped[4096];
    for (curl_off_t left = offset; left > 0;) {
      const size_t got =
          ex.body->Read(skipped, static_cast<size_t>(std::min<curl_off_t>(left, sizeof skipped)));
      if (got == 0) return CURL_SEEKFUNC_FAIL;
      left -= static_cast<curl_off_t>(got);
    }
  } catch (...) {
    ex.callback_error = std::current_exception();
    return CURL_SEEKFUNC_FAIL;
  }
  SetHanded(ex, offset);
  return CURL_SEEKFUNC_OK;
}

// "HTTP/1.1 404 Not Found" -> status 404, reason "Not Found".
void ParseStatusLine(std::string_view line, Exchange& ex) {
  ex.status = 0;
  ex.reason.clear();
  size_t sp = line.find(' ');
  if (sp == std::string_view::npos || line.size() < sp + 4) return;
  std::string_view code = line.substr(sp + 1, 3);
  if (!std::all_of(code.begin(), code.end(), [](char c) { return c >= '0' && c <= '9'; })) return;
  ex.status = (code[0] - '0') * 100 + (code[1] - '0') * 10 + (code[2] - '0');
  if (line.size() > sp + 5) ex.reason = std::string(line.substr(sp + 5));
}

// End of a header block. A refused status or an announced body over the cap
// stops the transfer here, before the body is read.
bool EndOfHeaders(Exchange& ex) {
  if (ex.status < 200) return true;  // an interim 1xx reply; the final one follows
  ex.headers_done = true;
  if (ex.Rejected()) return false;
  curl_off_t length = -1;
  if (curl_easy_getinfo(ex.easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK &&
      length > kReplyCap) {
    ex.too_large = true;
    return false;
  }
  return true;
}

// Adds the value of one Content-Length header (a comma-separated list) to
// what the reply announced so far; false when two lengths differ. libcurl
// would take the last one; a reply that announces two lengths is refused.
bool AgreeingLength(std::string_view value, Exchange& ex) {
  while (true) {
    size_t comma = value.find(',');
    std::string_view item = Trim(value.substr(0, comma));
    if (!item.empty()) {
      item.remove_prefix(std::min(item.find_first_not_of('0'), item.size() - 1));
      if (ex.content_length.empty()) {
        ex.content_length = std::string(item);
      } else if (item != ex.content_length) {
        return false;
      }
    }
    if (comma == std::string_view::npos) return true;
    value.remove_prefix(comma + 1);
  }
}

size_t ReadHeader(char* data, size_t size, size_t count, void* user) {
  auto& ex = *static_cast<Exchange*>(user);
  size_t len = size * count;
  std::string_view line(data, len);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  if (line.rfind("HTTP/", 0) == 0) {
    ParseStatusLine(line, ex);
    ex.headers_done = false;
    ex.have_content_type = false;
    ex.content_type.clear();
    ex.content_length.clear();
  } else if (line.empty()) {
    if (!ex.headers_done && !EndOfHeaders(ex)) return 0;
  } else if (!ex.headers_done) {
    size_t colon = line.find(':');
    if (colon == std::string_view::npos) return len;
    std::string_view name = Trim(line.substr(0, colon));
    if (!ex.have_content_type && EqualsIgnoreCase(name, "content-type")) {
      ex.content_type = std::string(Trim(line.substr(colon + 1)));
      ex.have_content_type = true;
    } else if (EqualsIgnoreCase(name, "content-length") &&
               !AgreeingLength(line.substr(colon + 1), ex)) {
      ex.length_conflict = true;
      return 0;
    }
  }
  return len;
}

size_t WriteBody(char* data, size_t size, size_t count, void* user) {
  auto& ex = *static_cast<Exchange*>(user);
  size_t len = size * count;
  auto n = static_cast<int64_t>(len);
  if (ex.received + n > kReplyCap) {
    ex.too_large = true;
    return CURL_WRITEFUNC_ERROR;
  }
  try {
    curl_off_t length = -1;
    if (ex.received == 0 &&
        curl_easy_getinfo(ex.easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK &&
        length > 0) {
      ex.reply->reserve(ex.reply->size() + static_cast<size_t>(length));
    }
    ex.reply->append(data, len);
    ex.received += n;
    if (ex.node->OnReceivingData) ex.node->OnReceivingData(n, n);
  } catch (...) {
    ex.callback_error = std::current_exception();
    return CURL_WRITEFUNC_ERROR;
  }
  return len;
}

// Called once the connection is ready, before the request goes out: from here
// on the send and receive time-outs apply.
int Connected(void* user, char*, char*, int, int) {
  auto& ex = *static_cast<Exchange*>(user);
  ex.connected = true;
  ex.last_activity = Clock::now();
  ex.send_start = ex.last_activity;
  return CURL_PREREQFUNC_OK;
}

int64_t TimeoutMs(int32_t value) { return value > 0 ? value : kDefaultTimeoutMs; }

// The action as it appears in messages and headers: the action, or two
// double quotes for an empty one (nothing with soNoValueForEmptySOAPAction).
std::string ActionText(const THTTPReqResp& node) {
  if (!node.SoapAction.empty()) return node.SoapAction;
  if (node.InvokeOptions.Has(TSOAPInvokeOption::soNoValueForEmptySOAPAction)) return {};
  return "\"\"";
}

[[noreturn]] void RaisePlatform(const THTTPReqResp& node, const std::string& text, int code) {
  throw ESOAPHTTPException(
      text + " - URL:" + MaskedURL(node.URL()) + " - SOAPAction:" + ActionText(node), code);
}

[[noreturn]] void RaiseCurl(const THTTPReqResp& node, CURLcode rc) {
  RaisePlatform(node, curl_easy_strerror(rc), FailureCode(rc));
}

// The request headers besides User-Agent, Host and Content-Length, which
// libcurl writes: SOAPAction (unless left out), Content-Type, and the removal
// of libcurl's own Accept and Expect.
std::vector<std::string> RequestHeaders(const THTTPReqResp& node) {
  bool soap12 = node.WebNodeOptions.Has(WebNodeOption::wnoSOAP12);
  std::string action = ActionText(node);
  std::vector<std::string> lines = {"Accept:", "Expect:"};
  if (!soap12 && !node.InvokeOptions.Has(TSOAPInvokeOption::soNoSOAPActionHeader)) {
    if (action.empty()) {
      lines.emplace_back("SOAPAction;");  // libcurl's form of a header without a value
    } else if (action == "\"\"") {
      lines.emplace_back("SOAPAction: \"\"");
    } else {
      lines.push_back("SOAPAction: \"" + action + "\"");
    }
  }
  std::string type;
  if (soap12) {
    type =
        node.UseUTF8InHeader ? "application/soap+xml; charset=\"utf-8\"" : "application/soap+xml";
    type += ";action=\"" + action + "\"";
  } else {
    type = node.UseUTF8InHeader ? "text/xml; charset=\"utf-8\"" : "text/xml";
  }
  lines.push_back("Content-Type: " + type);
  return lines;
}

SlistPtr HeaderList(const THTTPReqResp& node) {
  SlistPtr list;
  for (const std::string& line : RequestHeaders(node)) {
    curl_slist* grown = curl_slist_append(list.get(), line.c_str());
    if (grown == nullptr) RaiseCurl(node, CURLE_OUT_OF_MEMORY);
    (void)list.release();  // `grown` now owns the earlier entries
    list.reset(grown);
  }
  return list;
}

// Collects the first failing setopt result.
class SetoptResult {
 public:
  void operator()(CURLcode rc) {
    if (rc_ == CURLE_OK) rc_ = rc;
  }
  CURLcode Get() const { return rc_; }

 private:
  CURLcode rc_ = CURLE_OK;
};

// Method, body, headers and callbacks of the exchange.
CURLcode ConfigureRequest(CURL* h, const std::string& url, curl_slist* headers, Exchange& ex) {
  const THTTPReqResp& node = *ex.node;
  SetoptResult set;
  set(curl_easy_setopt(h, CURLOPT_URL, url.c_str()));
  set(curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https"));
  set(curl_easy_setopt(h, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1)));
  set(curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L));
  set(curl_easy_setopt(h, CURLOPT_POST, 1L));
  set(curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(ex.body_size)));
  if (ex.body_size <= ex.piece) {
    // One piece, read before the exchange: libcurl sends it with the
    // headers. Never null: libcurl would read the body from standard input.
    set(curl_easy_setopt(h, CURLOPT_POSTFIELDS, ex.one_piece.c_str()));
  } else {
    set(curl_easy_setopt(h, CURLOPT_READFUNCTION, ReadBody));
    set(curl_easy_setopt(h, CURLOPT_READDATA, &ex));
    set(curl_easy_setopt(h, CURLOPT_SEEKFUNCTION, SeekBody));
    set(curl_easy_setopt(h, CURLOPT_SEEKDATA, &ex));
    set(curl_easy_setopt(h, CURLOPT_UPLOAD_BUFFERSIZE, kUploadBufferSize));
  }
  set(curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers));
  set(curl_easy_setopt(h, CURLOPT_USERAGENT, node.Agent.c_str()));
  set(curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, ReadHeader));
  set(curl_easy_setopt(h, CURLOPT_HEADERDATA, &ex));
  set(curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, WriteBody));
  set(curl_easy_setopt(h, CURLOPT_WRITEDATA, &ex));
  set(curl_easy_setopt(h, CURLOPT_BUFFERSIZE, kReceiveBufferSize));
  set(curl_easy_setopt(h, CURLOPT_PREREQFUNCTION, Connected));
  set(curl_easy_setopt(h, CURLOPT_PREREQDATA, &ex));
  set(curl_easy_setopt(h, CURLOPT_ERRORBUFFER, ex.error_buffer));
  set(curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L));
  return set.Get();
}

// Time-out, proxy, credentials and TLS settings.
CURLcode ConfigureNetwork(CURL* h, const THTTPReqResp& node, const std::string& no_proxy) {
  SetoptResult set;
  set(curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS,
                       static_cast<long>(TimeoutMs(node.ConnectTimeout))));
  if (!node.Proxy.empty()) {
    set(curl_easy_setopt(h, CURLOPT_PROXY, node.Proxy.c_str()));
    if (!no_proxy.empty()) set(curl_easy_setopt(h, CURLOPT_NOPROXY, no_proxy.c_str()));
  }
  set(curl_easy_setopt(h, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L));
  if (!node.UserName.empty()) {
    set(curl_easy_setopt(h, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC)));
    set(curl_easy_setopt(h, CURLOPT_USERNAME, node.UserName.c_str()));
    set(curl_easy_setopt(h, CURLOPT_PASSWORD, node.Password.c_str()));
  }
  bool verify = !node.InvokeOptions.Has(TSOAPInvokeOption::soIgnoreInvalidCerts);
  set(curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, verify ? 1L : 0L));
  set(curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, verify ? 2L : 0L));
  // SSL_CERT_FILE and SSL_CERT_DIR replace the system trust store.
  const char* ca_file = NonEmptyEnv("SSL_CERT_FILE");
  const char* ca_dir = NonEmptyEnv("SSL_CERT_DIR");
  if (ca_file != nullptr || ca_dir != nullptr) {
    set(curl_easy_setopt(h, CURLOPT_CAINFO, ca_file));
    set(curl_easy_setopt(h, CURLOPT_CAPATH, ca_dir));
  }
  if (!node.ClientCertFile.empty()) {
    set(curl_easy_setopt(h, CURLOPT_SSLCERTTYPE, "PEM"));
    set(curl_easy_setopt(h, CURLOPT_SSLCERT, node.ClientCertFile.c_str()));
    if (!node.ClientKeyFile.empty()) {
      set(curl_easy_setopt(h, CURLOPT_SSLKEY, node.ClientKeyFile.c_str()));
    }
  }
  return set.Get();
}

// Hands libcurl's account of the traffic to the observer. TLS records are
// left out: the observer sees the HTTP exchange that they carry.
int ObserveTraffic(CURL*, curl_infotype type, char* data, size_t size, void* user) {
  auto* observer = static_cast<IHttpObserver*>(user);
  std::string_view bytes(data, size);
  try {
    switch (type) {
      case CURLINFO_TEXT:
        while (!bytes.empty() && (bytes.back() == '\n' || bytes.back() == '\r')) {
          bytes.remove_suffix(1);
        }
        observer->OnNote(bytes);
        break;
      case CURLINFO_HEADER_OUT:
        observer->OnRequestHead(bytes);
        break;
      case CURLINFO_DATA_OUT:
        observer->OnRequestBody(bytes);
        break;
      case CURLINFO_HEADER_IN:
        observer->OnReplyHead(bytes);
        break;
      case CURLINFO_DATA_IN:
        observer->OnReplyBody(bytes);
        break;
      default:
        break;
    }
  } catch (...) {
    // Watching never changes the exchange.
  }
  return 0;
}

int ObserveProgress(void* user, curl_off_t to_receive, curl_off_t received, curl_off_t to_send,
                    curl_off_t sent) {
  try {
    static_cast<IHttpObserver*>(user)->OnProgress(sent, to_send, received, to_receive);
  } catch (...) {
    // Watching never changes the exchange.
  }
  return 0;
}

// Reports the exchange to `observer` as it runs.
CURLcode ConfigureObserver(CURL* h, IHttpObserver* observer) {
  SetoptResult set;
  set(curl_easy_setopt(h, CURLOPT_DEBUGFUNCTION, ObserveTraffic));
  set(curl_easy_setopt(h, CURLOPT_DEBUGDATA, observer));
  set(curl_easy_setopt(h, CURLOPT_VERBOSE, 1L));
  set(curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, ObserveProgress));
  set(curl_easy_setopt(h, CURLOPT_XFERINFODATA, observer));
  set(curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L));
  return set.Get();
}

// Bytes moved so far (request sent, reply headers and body received), and
// the request bytes sent.
struct Progress {
  int64_t moved = 0;
  int64_t sent = 0;
};

Progress ProgressOf(CURL* h) {
  curl_off_t up = 0;
  curl_off_t down = 0;
  long header = 0;
  if (curl_easy_getinfo(h, CURLINFO_SIZE_UPLOAD_T, &up) != CURLE_OK ||
      curl_easy_getinfo(h, CURLINFO_SIZE_DOWNLOAD_T, &down) != CURLE_OK ||
      curl_easy_getinfo(h, CURLINFO_HEADER_SIZE, &header) != CURLE_OK) {
    return {};
  }
  return {up + down + header, up};
}

}  // namespace

// The open connection: a multi handle, which keeps the connection cache, and
// the easy handle that carries every exchange.
struct internal::HttpConnection {
  std::unique_ptr<CURLM, MultiDeleter> multi;
  std::unique_ptr<CURL, EasyDeleter> easy;  // destroyed before the multi handle
};

namespace {

using internal::HttpConnection;

std::unique_ptr<HttpConnection> OpenConnection(const THTTPReqResp& node) {
  CURLcode init = GlobalInit();
  if (init != CURLE_OK) RaiseCurl(node, init);
  auto conn = std::make_unique<HttpConnection>();
  conn->multi.reset(curl_multi_init());
  conn->easy.reset(curl_easy_init());
  if (!conn->multi || !conn->easy) RaiseCurl(node, CURLE_FAILED_INIT);
  return conn;
}

[[noreturn]] void RaiseMulti(const THTTPReqResp& node, CURLMcode mc) {
  RaisePlatform(node, curl_multi_strerror(mc), kErrInternal);
}

// Keeps the easy handle in the multi handle for one transfer and removes it
// on every path; its connection stays in the multi handle's cache.
class Attached {
 public:
  Attached(HttpConnection& c, const THTTPReqResp& node) : c_(c) {
    CURLMcode mc = curl_multi_add_handle(c_.multi.get(), c_.easy.get());
    if (mc != CURLM_OK) RaiseMulti(node, mc);
  }
  ~Attached() { curl_multi_remove_handle(c_.multi.get(), c_.easy.get()); }
  Attached(const Attached&) = delete;
  Attached& operator=(const Attached&) = delete;

 private:
  HttpConnection& c_;
};

int64_t MsBetween(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(to - from).count();
}

// A property of the exchange bounds: its default at 0, -1 (off) below 0.
int64_t BoundOf(int32_t value, int64_t default_value) {
  if (value == 0) return default_value;
  return value > 0 ? value : -1;
}

// Checks the bounds on the whole exchange (THTTPReqResp::TotalTimeout and
// MinTransferRate); sets `ex.bound_broken` when one is broken. Returns the
// longest wait before they must be looked at again.
int64_t CheckBounds(Exchange& ex, const Progress& now, Clock::time_point t) {
  const THTTPReqResp& node = *ex.node;
  int64_t wait = kMaxPollMs;
  const int64_t total = BoundOf(node.TotalTimeout, kDefaultTotalTimeoutMs);
  if (total >= 0) {
    const int64_t elapsed = MsBetween(ex.start, t);
    if (elapsed >= total) {
      ex.bound_broken = "the exchange lasted more than " + std::to_string(total) + " ms";
      return 0;
    }
    wait = std::min(wait, total - elapsed);
  }
  const int64_t rate = BoundOf(node.MinTransferRate, kDefaultMinTransferRate);
  const int64_t grace =
      std::max<int64_t>(BoundOf(node.MinRateGracePeriod, kDefaultMinRateGraceMs), 0);
  if (rate < 0 || !ex.connected) return wait;
  // The request is measured while it goes out, the reply from its first byte.
  const bool sending = now.sent < ex.body_size;
  const int64_t bytes = sending ? now.sent : now.moved - now.sent;
  if (!sending && !ex.reply_started) {
    if (bytes == 0) return wait;  // awaiting the reply: the receive time-out applies
    ex.reply_started = true;
    ex.reply_start = t;
  }
  const int64_t elapsed = MsBetween(sending ? ex.send_start : ex.reply_start, t);
  if (elapsed >= grace && bytes * 1000 < rate * elapsed) {
    ex.bound_broken = std::string(sending ? "the request went out" : "the reply came in") +
                      " at less than " + std::to_string(rate) + " bytes per second";
    return 0;
  }
  return wait;
}

// How long to wait for socket activity before looking again. Sets
// `ex.stalled` when no byte has moved for the time-out of the current phase
// (sending the request, or awaiting and reading the reply), and
// `ex.bound_broken` when a bound on the whole exchange is broken.
int64_t NextWait(Exchange& ex, Progress& last) {
  Progress now = ex.connected ? ProgressOf(ex.easy) : Progress{};
  Clock::time_point t = Clock::now();
  const int64_t bound_wait = CheckBounds(ex, now, t);
  if (!ex.bound_broken.empty()) return 0;
  if (!ex.connected) return bound_wait;  // connecting is bounded by libcurl's time-out
  if (now.moved != last.moved) {
    last = now;
    ex.last_activity = t;
  }
  bool request_sent = now.sent >= ex.body_size;
  int64_t limit = TimeoutMs(request_sent ? ex.node->ReceiveTimeout : ex.node->SendTimeout);
  int64_t idle = MsBetween(ex.last_activity, t);
  if (idle >= limit) ex.stalled = true;
  return std::min(limit - idle, bound_wait);
}

// Drives the transfer to its end, or until it stalls.
void RunTransfer(HttpConnection& conn, Exchange& ex) {
  const THTTPReqResp& node = *ex.node;
  CURLM* multi = conn.multi.get();
  Attached attached(conn, node);
  Progress last{-1, 0};
  for (;;) {
    int running = 0;
    CURLMcode mc = curl_multi_perform(multi, &running);
    if (mc != CURLM_OK) RaiseMulti(node, mc);
    if (running == 0) break;
    int64_t wait = NextWait(ex, last);
    if (ex.stalled || !ex.bound_broken.empty()) return;
    long curl_wait = -1;
    if (curl_multi_timeout(multi, &curl_wait) == CURLM_OK && curl_wait >= 0) {
      wait = std::min<int64_t>(wait, curl_wait);
    }
    mc = curl_multi_poll(multi, nullptr, 0, static_cast<int>(std::max<int64_t>(wait, 0)), nullptr);
    if (mc != CURLM_OK) RaiseMulti(node, mc);
  }
  int queued = 0;
  while (CURLMsg* msg = curl_multi_info_read(multi, &queued)) {
    if (msg->msg == CURLMSG_DONE && msg->easy_handle == ex.easy) ex.result = msg->data.result;
  }
}

// A failure of the exchange itself: time-out, network, TLS or protocol.
[[noreturn]] void RaiseTransferFailure(const Exchange& ex) {
  const THTTPReqResp& node = *ex.node;
  if (ex.stalled) RaiseCurl(node, CURLE_OPERATION_TIMEDOUT);
  if (!ex.bound_broken.empty()) {
    RaisePlatform(
        node,
        std::string(curl_easy_strerror(CURLE_OPERATION_TIMEDOUT)) + " (" + ex.bound_broken + ")",
        kErrTimeout);
  }
  CURLcode rc = ex.result != CURLE_OK ? ex.result : CURLE_WEIRD_SERVER_REPLY;
  if (rc == CURLE_PEER_FAILED_VERIFICATION) {
    long verify_result = 0;
    if (curl_easy_getinfo(ex.easy, CURLINFO_SSL_VERIFYRESULT, &verify_result) != CURLE_OK) {
      verify_result = -1;
    }
    const char* text = ex.error_buffer[0] != '\0' ? ex.error_buffer : curl_easy_strerror(rc);
    RaisePlatform(node, text, CertificateFailureCode(verify_result));
  }
  if (ex.error_buffer[0] != '\0') RaisePlatform(node, ex.error_buffer, FailureCode(rc));
  RaiseCurl(node, rc);
}

// Decides the outcome of a finished transfer, in the order in which the
// reply's parts arrive: status, size, content type, body.
void CheckReply(const Exchange& ex) {
  const THTTPReqResp& node = *ex.node;
  if (ex.callback_error) std::rethrow_exception(ex.callback_error);
  if (ex.status == 0 || !ex.bound_broken.empty()) RaiseTransferFailure(ex);
  if (ex.Rejected()) {
    throw ESOAPHTTPException(
        ex.reason + " (" + std::to_string(ex.status) + ") - '" + MaskedURL(node.URL()) + "'",
        ex.status);
  }
  if (ex.length_conflict) {
    RaisePlatform(node, "Conflicting Content-Length headers in the reply",
                  kErrInvalidServerResponse);
  }
  if (ex.too_large) {
    RaisePlatform(node, "Reply larger than " + std::to_string(kReplyCap) + " bytes refused", 0);
  }
  if (ex.headers_done && !ex.have_content_type) {
    RaisePlatform(node, kHeaderNotFoundText, kErrHeaderNotFound);
  }
  if (!ex.headers_done || ex.stalled || ex.result != CURLE_OK) RaiseTransferFailure(ex);
  if (EqualsIgnoreCase(ex.content_type, "text/plain") ||
      EqualsIgnoreCase(ex.content_type, "text/html")) {
    throw ESOAPHTTPException("Received content of invalid Content-Type setting: " +
                                 ex.content_type + " - SOAP expects \"text/xml\"",
                             0);
  }
}

}  // namespace

THTTPReqResp::THTTPReqResp() = default;

THTTPReqResp::~THTTPReqResp() { Close(); }

void THTTPReqResp::Close() { conn_.reset(); }

void THTTPReqResp::SetURL(const std::string& url) {
  user_set_url_ = !url.empty();
  if (url.empty()) curl_url_.clear();
  auto invalid = [&url] {
    return ESOAPHTTPException(
        "Invalid url '" + MaskedURL(url) + "' - only supports 'http' and 'https' schemes", 0);
  };
  std::unique_ptr<CURLU, UrlDeleter> parsed(curl_url());
  if (!parsed) throw EOutOfMemory();
  if (url.empty() || curl_url_set(parsed.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK) {
    throw invalid();
  }
  char* raw = nullptr;
  if (curl_url_get(parsed.get(), CURLUPART_SCHEME, &raw, 0) != CURLUE_OK) throw invalid();
  std::unique_ptr<char, CurlFree> scheme(raw);
  if (!EqualsIgnoreCase(scheme.get(), "http") && !EqualsIgnoreCase(scheme.get(), "https")) {
    throw invalid();
  }
  // Credentials inside the URL are not used; UserName and Password are.
  if (curl_url_set(parsed.get(), CURLUPART_USER, nullptr, 0) != CURLUE_OK ||
      curl_url_set(parsed.get(), CURLUPART_PASSWORD, nullptr, 0) != CURLUE_OK ||
      curl_url_get(parsed.get(), CURLUPART_URL, &raw, 0) != CURLUE_OK) {
    throw invalid();
  }
  std::unique_ptr<char, CurlFree> full(raw);
  curl_url_ = full.get();
  url_ = url;
  Close();
}

std::string THTTPReqResp::RequestHead(size_t body_size) const {
  std::unique_ptr<CURLU, UrlDeleter> parsed(curl_url());
  if (!parsed) throw EOutOfMemory();
  if (curl_url_.empty() ||
      curl_url_set(parsed.get(), CURLUPART_URL, curl_url_.c_str(), 0) != CURLUE_OK) {
    throw ESOAPHTTPException("No URL was set", 0);
  }
  auto part = [&parsed](CURLUPart which) {
    char* raw = nullptr;
    if (curl_url_get(parsed.get(), which, &raw, 0) != CURLUE_OK) return std::string();
    std::unique_ptr<char, CurlFree> owned(raw);
    return std::string(raw);
  };
  // libcurl names the port in Host only when it is not the scheme's own.
  std::string host = part(CURLUPART_HOST);
  const std::string port = part(CURLUPART_PORT);
  const std::string scheme = Lower(part(CURLUPART_SCHEME));
  if (!port.empty() && !(scheme == "http" && port == "80") &&
      !(scheme == "https" && port == "443")) {
    host += ":" + port;
  }
  std::string target = part(CURLUPART_PATH);
  if (target.empty()) target = "/";
  const std::string query = part(CURLUPART_QUERY);
  if (!query.empty()) target += "?" + query;

  std::string head = "POST " + target + " HTTP/1.1\r\nHost: " + host + "\r\n";
  if (!UserName.empty()) {
    const std::string pair = UserName + ":" + Password;
    std::string encoded =
        EncodeBase64(std::span(reinterpret_cast<const uint8_t*>(pair.data()), pair.size()));
    std::erase_if(encoded, [](char c) { return c == '\r' || c == '\n'; });
    head += "Authorization: Basic " + encoded + "\r\n";
  }
  head += "User-Agent: " + Agent + "\r\n";
  for (const std::string& line : RequestHeaders(*this)) {
    if (line == "Accept:" || line == "Expect:") continue;  // removals, not headers
    if (line.ends_with(';')) {
      head += line.substr(0, line.size() - 1) + ":\r\n";  // a header without a value
    } else {
      head += line + "\r\n";
    }
  }
  head += "Content-Length: " + std::to_string(body_size) + "\r\n\r\n";
  return head;
}

void THTTPReqResp::BeforeExecute(const TIntfMetaData& intf, const TIntfMethEntry& method,
                                 int index) {
  if (!user_set_url_) throw ESOAPHTTPException(kNoUrlText, 0);
  const TInvokableClassRegistry& reg = InvRegistry();
  SoapAction =
      reg.GetActionURIOfInfo(*intf.Info, reg.GetMethExternalName(*intf.Info, method.Name), index);
}

void THTTPReqResp::Execute(std::string_view request, std::string& reply) {
  ViewSource source(request);
  Execute(source, reply);
}

void THTTPReqResp::Execute(ByteSource& request, std::string& reply) {
  content_type_.clear();
  mime_boundary_.clear();
  if (curl_url_.empty()) throw ESOAPHTTPException(kNoUrlText, 0);
  Exchange ex;
  ex.node = this;
  ex.start = Clock::now();
  ex.body = &request;
  ex.body_size = static_cast<int64_t>(request.Size());
  ex.piece = std::max<int64_t>(MaxSinglePostSize, 1);
  SetHanded(ex, 0);
  ex.reply = &reply;
  try {
    if (conn_) {
      curl_easy_reset(conn_->easy.get());
    } else {
      conn_ = OpenConnection(*this);
    }
    ex.easy = conn_->easy.get();
    const bool one_piece = ex.body_size <= ex.piece;
    if (one_piece) {
      ex.one_piece = ReadAll(request);
      if (static_cast<int64_t>(ex.one_piece.size()) != ex.body_size) {
        throw ESOAPHTTPException("Invalid HTTP Request: Length is 0", 0);
      }
    } else {
      request.Rewind();
    }
    SlistPtr headers = HeaderList(*this);
    CURLcode rc = ConfigureRequest(ex.easy, curl_url_, headers.get(), ex);
    if (rc == CURLE_OK) rc = ConfigureNetwork(ex.easy, *this, NoProxyList(ProxyByPass));
    if (rc == CURLE_OK && Observer != nullptr) rc = ConfigureObserver(ex.easy, Observer);
    if (rc != CURLE_OK) RaiseCurl(*this, rc);
    if (one_piece && OnPostingData) OnPostingData(ex.body_size, ex.body_size);
    RunTransfer(*conn_, ex);
    if (ex.headers_done) {
      content_type_ = ex.content_type;
      mime_boundary_ = MimeBoundaryOf(content_type_);
    }
    CheckReply(ex);
  } catch (...) {
    Close();
    throw;
  }
}

}  // namespace vorn
