// The trace file: where it may be written, and what it holds.
#include "cli/exchange_trace.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "base/exception.h"

namespace vorn {
namespace {

class ExchangeTraceTest : public ::testing::Test {
 protected:
  ExchangeTraceTest() {
    char tmpl[] = "/tmp/vorn-trace-XXXXXX";
    dir_ = mkdtemp(tmpl);
  }
  ~ExchangeTraceTest() override { std::system(("rm -rf " + dir_).c_str()); }

  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  static mode_t Mode(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(lstat(path.c_str(), &st), 0);
    return st.st_mode & 07777;
  }
  // The reason OpenTraceFile gives for `path`, or "" when it opens.
  static std::string Refusal(const std::string& path) {
    try {
      close(OpenTraceFile(path));
      return "";
    } catch (const EFOpenError& e) {
      const std::string prefix = "Cannot open file \"" + path + "\". ";
      EXPECT_TRUE(e.Message().starts_with(prefix)) << e.Message();
      return e.Message().substr(prefix.size());
    }
  }

  std::string dir_;
};

TEST_F(ExchangeTraceTest, TheFileIsTheUsersOwnWithMode0600) {
  const std::string fresh = dir_ + "/fresh.txt";
  EXPECT_EQ(Refusal(fresh), "");
  EXPECT_EQ(Mode(fresh), 0600u);

  const std::string old = dir_ + "/old.txt";
  std::ofstream(old) << "earlier content";
  ASSERT_EQ(chmod(old.c_str(), 0644), 0);
  EXPECT_EQ(Refusal(old), "");
  EXPECT_EQ(Mode(old), 0600u);
  EXPECT_EQ(Read(old), "");

  const std::string link = dir_ + "/link.txt";
  ASSERT_EQ(symlink(fresh.c_str(), link.c_str()), 0);
  EXPECT_EQ(Refusal(link), "It is a symbolic link");
  ASSERT_EQ(mkfifo((dir_ + "/fifo").c_str(), 0600), 0);
  EXPECT_EQ(Refusal(dir_ + "/fifo"), "It is not a regular file");
}

TEST_F(ExchangeTraceTest, NeverInADirectoryThatOthersMayWrite) {
  const std::string open_dir = dir_ + "/open";
  ASSERT_EQ(mkdir(open_dir.c_str(), 0700), 0);
  ASSERT_EQ(chmod(open_dir.c_str(), 0777), 0);
  EXPECT_EQ(Refusal(open_dir + "/t.txt"),
            "Its directory \"" + open_dir + "\" can be written by other users");
  struct stat st {};
  EXPECT_NE(stat((open_dir + "/t.txt").c_str(), &st), 0);  // not created
  // The sticky bit keeps other users from replacing the file.
  ASSERT_EQ(chmod(open_dir.c_str(), 01777), 0);
  EXPECT_EQ(Refusal(open_dir + "/t.txt"), "");
}

TEST_F(ExchangeTraceTest, HoldsTheExchangeWithCredentialsHidden) {
  const std::string path = dir_ + "/t.txt";
  {
    ExchangeTrace trace(OpenTraceFile(path));
    trace.OnNote("Trying 127.0.0.1:9...");
    trace.OnRequestHead("POST / HTTP/1.1\r\nAuthorization: Basic dTpw\r\n\r\n");
    // The password is split between two pieces of the body.
    trace.OnRequestBody("<r><Password>sec");
    trace.OnNote("upload completely sent off");
    trace.OnRequestBody("ret</Password></r>");
    trace.OnReplyHead("HTTP/1.1 200 OK\r\n");
    trace.OnReplyHead("Set-Cookie: id=1\r\n");
    trace.OnReplyHead("\r\n");
    trace.OnReplyBody("<ok/>\n");
    trace.Finish({"Invio effettuato correttamente"});
    EXPECT_EQ(trace.Error(), 0);
  }
  EXPECT_EQ(Read(path),
            "* Trying 127.0.0.1:9...\n"
            "== Request\n"
            "POST / HTTP/1.1\r\nAuthorization: ********\r\n\r\n"
            "<r><Password>********</Password></r>\n"
            "* upload completely sent off\n"
            "== Reply\n"
            "HTTP/1.1 200 OK\r\nSet-Cookie: ********\r\n\r\n"
            "<ok/>\n"
            "== Outcome\n"
            "Invio effettuato correttamente\n");
}

TEST_F(ExchangeTraceTest, AFailedWriteIsKept) {
  ExchangeTrace trace(open("/dev/full", O_WRONLY | O_CLOEXEC));
  trace.Finish({"x"});
  EXPECT_EQ(trace.Error(), ENOSPC);
}

}  // namespace
}  // namespace vorn
