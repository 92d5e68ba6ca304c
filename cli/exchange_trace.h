// The trace file of --trace: the whole exchange with the hub as it happened,
// the password and every credential header hidden.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "transport/http_observer.h"

namespace vorn {

// Opens `path` for writing a trace and returns the descriptor. The file is
// created with mode 0600; an existing one must be a regular file of the
// user's own, and is emptied and set to 0600. A symbolic link is not
// followed. The file's directory must not be writable by other users (by
// anyone, by a group that is not the user's own, or by its owner when that
// is another user) unless it has the sticky bit. Throws EFOpenError "Cannot
// open file \"<full path>\". <reason>" otherwise.
int OpenTraceFile(const std::string& path);

// Writes the trace, in order:
//   "* <note>" lines of the transport (connecting, TLS, failures),
//   "== Request", then the request line, headers and body as sent,
//   "== Reply", then the status line, headers and body as received,
//   "== Outcome", then the lines that vorn reports.
// Heads keep their CR LF line ends; every other line ends with LF. The
// content of Password elements and the values of credential headers are
// replaced by "********"; nothing else is changed. A body is held until it
// is complete, so that a password split between two pieces is hidden too.
class ExchangeTrace : public IHttpObserver {
 public:
  // Takes ownership of `fd`, a file opened by OpenTraceFile.
  explicit ExchangeTrace(int fd);
  // Closes the file; what is still held is written first.
  ~ExchangeTrace() override;
  ExchangeTrace(const ExchangeTrace&) = delete;
  ExchangeTrace& operator=(const ExchangeTrace&) = delete;

  void OnNote(std::string_view text) override;
  void OnRequestHead(std::string_view head) override;
  void OnRequestBody(std::string_view piece) override;
  void OnReplyHead(std::string_view line) override;
  void OnReplyBody(std::string_view piece) override;

  // Writes what is still held, then "== Outcome" and `lines`.
  void Finish(const std::vector<std::string>& lines);

  // 0 while every write has succeeded; else the errno of the first that
  // failed (nothing more is written after it).
  int Error() const { return error_; }

 private:
  void Write(std::string_view bytes);
  void WriteBody();

  int fd_;
  int error_ = 0;
  std::string body_;   // the body being received or sent, not written yet
  std::string notes_;  // notes that came while a body was held
};

}  // namespace vorn
