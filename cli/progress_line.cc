#include "cli/progress_line.h"

#include <cstdio>
#include <string_view>

#include "cli/console.h"

namespace vorn {
namespace {

using std::chrono::milliseconds;

constexpr auto kQuietTime = std::chrono::seconds(1);
constexpr auto kRedrawEvery = milliseconds(200);

// "512 B", "1.2 KiB", "4.8 MiB", "1.1 GiB".
std::string Size(double bytes) {
  static constexpr const char* kUnits[] = {"KiB", "MiB", "GiB"};
  if (bytes < 1024) return std::to_string(static_cast<int64_t>(bytes)) + " B";
  int unit = -1;
  while (bytes >= 1024 && unit < 2) {
    bytes /= 1024;
    ++unit;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.1f %s", bytes, kUnits[unit]);
  return text;
}

}  // namespace

std::string ProgressText(int64_t sent, int64_t to_send, int64_t received,
                         std::chrono::steady_clock::duration elapsed) {
  const double seconds = std::chrono::duration<double>(elapsed).count();
  const double rate = seconds > 0 ? static_cast<double>(sent) / seconds : 0;
  const int64_t percent = to_send > 0 ? sent * 100 / to_send : 100;
  std::string text = "Sent " + Size(static_cast<double>(sent)) + " of " +
                     Size(static_cast<double>(to_send)) + " (" + std::to_string(percent) +
                     "%) at " + Size(rate) + "/s";
  if (sent >= to_send) {
    text += received > 0 ? ", received " + Size(static_cast<double>(received))
                         : ", waiting for the reply";
  }
  return text;
}

ProgressLine::ProgressLine(int fd, bool show, Clock::time_point start)
    : fd_(fd), show_(show), start_(start) {}

ProgressLine::~ProgressLine() {
  try {
    Finish();
  } catch (...) {
    // Out of memory: the line stays on the screen.
  }
}

void ProgressLine::OnProgress(int64_t sent, int64_t to_send, int64_t received, int64_t) {
  Update(sent, to_send, received, Clock::now());
}

void ProgressLine::Update(int64_t sent, int64_t to_send, int64_t received, Clock::time_point now) {
  if (!show_ || now - start_ <= kQuietTime) return;
  if (width_ > 0 && now - drawn_at_ < kRedrawEvery) return;
  drawn_at_ = now;
  Draw(ProgressText(sent, to_send, received, now - start_));
}

// Writes `text` over the line shown, blanking what it does not cover.
void ProgressLine::Draw(const std::string& text) {
  std::string out = "\r" + text;
  if (text.size() < width_) out.append(width_ - text.size(), ' ');
  WriteFully(fd_, out);  // the line is a courtesy: a failed write changes nothing
  width_ = text.size();
}

void ProgressLine::Finish() {
  if (width_ > 0) WriteFully(fd_, "\r" + std::string(width_, ' ') + "\r");
  width_ = 0;
  show_ = false;
}

}  // namespace vorn
