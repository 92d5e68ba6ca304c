#include "cli/console.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <string>

#include "base/exception.h"
#include "cli/locale_charset.h"

namespace vorn {
namespace {

using namespace std::string_literals;

// A pipe whose read end does not block.
class Pipe {
 public:
  Pipe() {
    EXPECT_EQ(pipe(fds_), 0);
    EXPECT_EQ(fcntl(fds_[0], F_SETFL, O_NONBLOCK), 0);
  }
  ~Pipe() {
    CloseRead();
    close(fds_[1]);
  }
  int write_fd() const { return fds_[1]; }
  void CloseRead() {
    if (fds_[0] >= 0) close(fds_[0]);
    fds_[0] = -1;
  }
  // Everything readable now, without waiting.
  std::string Drain() {
    std::string out;
    char buffer[4096];
    ssize_t n = 0;
    while ((n = read(fds_[0], buffer, sizeof buffer)) > 0) out.append(buffer, n);
    return out;
  }

 private:
  int fds_[2] = {-1, -1};
};

TEST(ConsoleTest, PipeOutputIsBufferedIn128ByteBlocks) {
  Pipe pipe;
  Console console(pipe.write_fd());
  const std::string line(60, 'a');  // 62 bytes with CR LF
  console.WriteLine(line);
  console.WriteLine(line);
  EXPECT_EQ(pipe.Drain(), "");  // 124 bytes held back
  console.WriteLine("bcdef");   // 131 bytes: one block goes out
  EXPECT_EQ(pipe.Drain(), line + "\r\n" + line + "\r\n" + "bcde");
  console.WriteLine(std::string(300, 'z'));  // 3 + 302 bytes: two more blocks
  EXPECT_EQ(pipe.Drain(), "f\r\n" + std::string(125 + 128, 'z'));
  console.Flush();
  EXPECT_EQ(pipe.Drain(), std::string(47, 'z') + "\r\n");
}

// Every buffer fill level (set by the first line) meets every line length up
// to past one block: only whole 128-byte blocks may leave before Flush.
TEST(ConsoleTest, OnlyWholeBlocksLeaveBeforeFlush) {
  for (size_t first = 0; first <= 130; ++first) {
    for (size_t second = 0; second <= 130; ++second) {
      Pipe pipe;
      Console console(pipe.write_fd());
      const std::string a(first, 'a'), b(second, 'b');
      const std::string expected = a + "\r\n" + b + "\r\n";
      console.WriteLine(a);
      std::string written = pipe.Drain();
      console.WriteLine(b);
      written += pipe.Drain();
      ASSERT_EQ(written, expected.substr(0, expected.size() - expected.size() % 128))
          << "lines of " << first << " and " << second;
      console.Flush();
      ASSERT_EQ(written + pipe.Drain(), expected);
    }
  }
}

TEST(ConsoleTest, DestructorWritesOutTheRest) {
  Pipe pipe;
  {
    Console console(pipe.write_fd());
    console.WriteLine("");
    console.WriteLine("Invio effettuato correttamente");
  }
  EXPECT_EQ(pipe.Drain(), "\r\nInvio effettuato correttamente\r\n");
}

TEST(ConsoleTest, TerminalGetsEveryLineAtOnce) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  const int slave = open(ptsname(master), O_RDWR | O_NOCTTY);
  ASSERT_GE(slave, 0);
  termios raw{};
  ASSERT_EQ(tcgetattr(slave, &raw), 0);
  cfmakeraw(&raw);
  ASSERT_EQ(tcsetattr(slave, TCSANOW, &raw), 0);
  {
    Console console(slave);
    console.WriteLine("ciao");
    std::string got;
    pollfd pfd{master, POLLIN, 0};
    while (got.size() < 6 && poll(&pfd, 1, 10000) == 1) {
      char buffer[64];
      const ssize_t n = read(master, buffer, sizeof buffer);
      if (n <= 0) break;
      got.append(buffer, n);
    }
    EXPECT_EQ(got, "ciao\r\n");
  }
  close(slave);
  close(master);
}

TEST(ConsoleTest, ConvertsToTheOutputCharset) {
  Pipe pipe;
  Console console(pipe.write_fd(), "ISO-8859-1");
  console.WriteLine("Perch\xC3\xA8 \xE2\x82\xAC");  // "Perchè €"
  console.Flush();
  EXPECT_EQ(pipe.Drain(), "Perch\xE8 ?\r\n");
}

TEST(ConsoleTest, WriteToClosedPipeRaisesInOutError) {
  std::signal(SIGPIPE, SIG_IGN);
  Pipe pipe;
  pipe.CloseRead();
  Console console(pipe.write_fd());
  console.WriteLine("short");  // buffered, nothing written yet
  try {
    console.Flush();
    ADD_FAILURE() << "Flush succeeded";
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.Report(), "EInOutError: I/O error 32");
    EXPECT_EQ(e.ErrorCode(), EPIPE);
  }
  EXPECT_THROW(console.WriteLine(std::string(200, 'x')), EInOutError);
  EXPECT_NO_THROW(console.Flush());  // the failed bytes were dropped
}

TEST(ConsoleTest, InOutErrorTexts) {
  EXPECT_EQ(InOutErrorText(ENOENT), "The specified file was not found");
  EXPECT_EQ(InOutErrorText(EMFILE), "Too many open files");
  EXPECT_EQ(InOutErrorText(EACCES), "File access denied");
  EXPECT_EQ(InOutErrorText(EPERM), "File access denied");
  EXPECT_EQ(InOutErrorText(EBADF), "I/O error 9");
}

TEST(CharsetTest, Utf8ToCharsetSubstitutesQuestionMarks) {
  struct Case {
    std::string charset, utf8, expected;
  };
  const Case cases[] = {
      {"ISO-8859-1", "\xC3\xA8", "\xE8"},
      {"ISO-8859-1",
       "a\xE2\x82\xAC"
       "b\xF0\x9F\x98\x80",
       "a?b?"},  // euro sign, emoji
      {"ISO-8859-1",
       "a\xFF"
       "b\xC3",
       "a?b?"},  // invalid input
      {"ISO-8859-1", "", ""},
      {"UTF-8", "\xC3\xA8\xFF", "\xC3\xA8?"},
      {"ISO-2022-JP", "\xE6\x97\xA5x", "\x1B$BF|\x1B(Bx"},  // shift state returned
      {"ISO-2022-JP", "\xE6\x97\xA5", "\x1B$BF|\x1B(B"},    // flushed at the end
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.charset + " " + c.utf8);
    EXPECT_EQ(Utf8ToCharset(c.utf8, c.charset), c.expected);
  }
  EXPECT_THROW(Utf8ToCharset("a", "NO-SUCH-CHARSET"), EEncodingError);
}

TEST(CharsetTest, CharsetToUtf8IsStrict) {
  std::string utf8;
  size_t offset = 99;
  EXPECT_TRUE(CharsetToUtf8("Perch\xE8", "ISO-8859-1", utf8, offset));
  EXPECT_EQ(utf8, "Perch\xC3\xA8");
  EXPECT_FALSE(CharsetToUtf8("ab\x80", "ASCII", utf8, offset));
  EXPECT_EQ(offset, 2u);
  EXPECT_FALSE(CharsetToUtf8("a\x82", "SHIFT_JIS", utf8, offset));  // truncated
  EXPECT_EQ(offset, 1u);
  EXPECT_FALSE(CharsetToUtf8("ok\xC3(", "UTF-8", utf8, offset));
  EXPECT_EQ(offset, 2u);
}

TEST(CharsetTest, LocaleCharsetOfTheCLocaleIsUtf8) {
  // The test program never calls setlocale, so it runs in the C locale.
  EXPECT_EQ(LocaleCharset(), "UTF-8");
}

TEST(FatalDiagnosticTest, ExactText) {
  struct Case {
    Exception error;
    std::string message_line;
  };
  const Case cases[] = {
      {EInOutError("I/O error 32", EPIPE), "I/O error 32."},
      {EConvertError("ends with a stop."), "ends with a stop."},
      {Exception(""), ""},
  };
  std::string first_address;
  for (const Case& c : cases) {
    Pipe pipe;
    WriteFatalDiagnostic(pipe.write_fd(), c.error, "/usr/local/bin/vorn");
    const std::string text = pipe.Drain();
    const std::string head = "Exception " + c.error.ClassName() + " in module vorn at ";
    ASSERT_TRUE(text.starts_with(head)) << text;
    const std::string address = text.substr(head.size(), 16);
    EXPECT_EQ(address.find_first_not_of("0123456789ABCDEF"), std::string::npos) << address;
    EXPECT_EQ(text.substr(head.size() + 16), ".\r\n" + c.message_line + "\r\n\r\n");
    if (first_address.empty()) first_address = address;
    EXPECT_EQ(address, first_address);  // the same address every time
  }
}

}  // namespace
}  // namespace vorn
