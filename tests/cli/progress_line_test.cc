// The progress line: its text, when it shows, and that it goes away.
#include "cli/progress_line.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace vorn {
namespace {

using std::chrono::milliseconds;

TEST(ProgressLineTest, Text) {
  struct Case {
    int64_t sent, to_send, received;
    int elapsed_ms;
    std::string text;
  } cases[] = {
      {512, 2048, 0, 1000, "Sent 512 B of 2.0 KiB (25%) at 512 B/s"},
      {1258291, 5033165, 0, 1500, "Sent 1.2 MiB of 4.8 MiB (24%) at 819.2 KiB/s"},
      {2048, 2048, 0, 2000, "Sent 2.0 KiB of 2.0 KiB (100%) at 1.0 KiB/s, waiting for the reply"},
      {2048, 2048, 700, 2000, "Sent 2.0 KiB of 2.0 KiB (100%) at 1.0 KiB/s, received 700 B"},
      {0, 0, 0, 0, "Sent 0 B of 0 B (100%) at 0 B/s, waiting for the reply"},
  };
  for (auto& c : cases) {
    EXPECT_EQ(ProgressText(c.sent, c.to_send, c.received, milliseconds(c.elapsed_ms)), c.text);
  }
}

// What was written to a pipe so far.
std::string Drain(int fd) {
  std::string out;
  char buf[512];
  for (ssize_t n; (n = read(fd, buf, sizeof buf)) > 0;) out.append(buf, n);
  return out;
}

TEST(ProgressLineTest, ShowsAfterOneSecondAndIsErasedAtTheEnd) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  ASSERT_EQ(fcntl(fds[0], F_SETFL, O_NONBLOCK), 0);
  const auto start = ProgressLine::Clock::now();
  {
    ProgressLine line(fds[1], true, start);
    line.Update(10, 100, 0, start + milliseconds(900));
    EXPECT_EQ(Drain(fds[0]), "");  // a short transfer shows nothing
    line.Update(50, 100, 0, start + milliseconds(1000));
    EXPECT_EQ(Drain(fds[0]), "");
    line.Update(50, 100, 0, start + milliseconds(1250));
    const std::string first = "Sent 50 B of 100 B (50%) at 40 B/s";
    EXPECT_EQ(Drain(fds[0]), "\r" + first);
    line.Update(60, 100, 0, start + milliseconds(1300));
    EXPECT_EQ(Drain(fds[0]), "");  // at most five times a second
    line.Update(100, 100, 0, start + milliseconds(2000));
    const std::string second = "Sent 100 B of 100 B (100%) at 50 B/s, waiting for the reply";
    EXPECT_EQ(Drain(fds[0]), "\r" + second);
    line.Finish();
    EXPECT_EQ(Drain(fds[0]), "\r" + std::string(second.size(), ' ') + "\r");
    line.Update(100, 100, 5, start + milliseconds(9000));
  }
  EXPECT_EQ(Drain(fds[0]), "");  // nothing after the end
  {
    ProgressLine hidden(fds[1], false, start);  // not a terminal, or --quiet
    hidden.Update(50, 100, 0, start + milliseconds(5000));
  }
  EXPECT_EQ(Drain(fds[0]), "");
  close(fds[0]);
  close(fds[1]);
}

}  // namespace
}  // namespace vorn
