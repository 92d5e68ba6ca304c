// The progress line of a long transfer, on a terminal.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "transport/http_observer.h"

namespace vorn {

// The text of the line: the request bytes sent out of the total, and the
// rate since the start, such as "Sent 1.2 MiB of 4.8 MiB (25%) at 830 KiB/s";
// once all is sent, ", waiting for the reply" follows, or the reply bytes
// received so far.
std::string ProgressText(int64_t sent, int64_t to_send, int64_t received,
                         std::chrono::steady_clock::duration elapsed);

// Shows ProgressText as one line on a terminal, rewritten in place (CR and
// blanks, no control sequences), once the transfer has run for more than
// one second; at most five times a second. Finish erases it.
class ProgressLine : public IHttpObserver {
 public:
  using Clock = std::chrono::steady_clock;

  // `fd`: where the line goes (standard error). With `show` false nothing
  // is ever written: the caller passes whether `fd` is a terminal and the
  // line is wanted. The transfer's time counts from `start`.
  ProgressLine(int fd, bool show, Clock::time_point start = Clock::now());
  // Erases the line.
  ~ProgressLine() override;
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  void OnProgress(int64_t sent, int64_t to_send, int64_t received, int64_t to_receive) override;
  // The same at a given time (for tests).
  void Update(int64_t sent, int64_t to_send, int64_t received, Clock::time_point now);

  // Erases the line if it is shown; nothing is shown after it.
  void Finish();

 private:
  void Draw(const std::string& text);

  int fd_;
  bool show_;
  Clock::time_point start_;
  Clock::time_point drawn_at_{};
  size_t width_ = 0;  // characters of the line on the screen; 0 while none
};

}  // namespace vorn
