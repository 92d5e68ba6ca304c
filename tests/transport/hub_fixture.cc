#include "tests/transport/hub_fixture.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <vector>

extern char** environ;

namespace vorn::test {
namespace {

namespace fs = std::filesystem;

constexpr int kStartTimeoutMs = 30000;
constexpr auto kStopTimeout = std::chrono::seconds(5);

std::string HubScript() {
  const char* dir = std::getenv("VORN_SOURCE_DIR");
#ifdef VORN_SOURCE_DIR_DEFAULT
  if (dir == nullptr || *dir == '\0') dir = VORN_SOURCE_DIR_DEFAULT;
#endif
  if (dir == nullptr || *dir == '\0') throw std::runtime_error("VORN_SOURCE_DIR is not set");
  return std::string(dir) + "/tests/hub/hub.py";
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

std::string RecordName(int n, const char* ext) {
  char name[32];
  std::snprintf(name, sizeof name, "req-%04d.%s", n, ext);
  return name;
}

// The text after `"key": ` in a one-line JSON object.
std::string JsonValue(const std::string& json, const std::string& key) {
  std::string tag = "\"" + key + "\": ";
  size_t at = json.find(tag);
  if (at == std::string::npos) throw std::runtime_error("no " + key + " in " + json);
  size_t start = at + tag.size();
  if (json[start] == '"') return json.substr(start + 1, json.find('"', start + 1) - start - 1);
  size_t end = json.find_first_of(",}", start);
  return json.substr(start, end - start);
}

// Reads the hub's first line, waiting at most kStartTimeoutMs.
std::string ReadLine(int fd) {
  std::string line;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartTimeoutMs);
  while (line.find('\n') == std::string::npos) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    deadline - std::chrono::steady_clock::now())
                    .count();
    pollfd p{fd, POLLIN, 0};
    if (left <= 0 || poll(&p, 1, static_cast<int>(left)) <= 0) {
      throw std::runtime_error("the hub did not start in time");
    }
    char buf[512];
    ssize_t n = read(fd, buf, sizeof buf);
    if (n <= 0) throw std::runtime_error("the hub ended before it was ready");
    line.append(buf, static_cast<size_t>(n));
  }
  return line.substr(0, line.find('\n'));
}

pid_t Spawn(const std::vector<std::string>& args, int stdin_fd, int stdout_fd) {
  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0) throw std::runtime_error("spawn actions");
  posix_spawn_file_actions_adddup2(&actions, stdin_fd, 0);
  posix_spawn_file_actions_adddup2(&actions, stdout_fd, 1);
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) throw std::runtime_error(std::string("cannot start python3: ") + strerror(rc));
  return pid;
}

}  // namespace

TestHub::TestHub(const HubOptions& options)
    : tls_(options.tls || options.wrong_host || options.expired) {
  std::string templ = (fs::temp_directory_path() / "vorn-hub-XXXXXX").string();
  if (mkdtemp(templ.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  dir_ = templ;
  record_dir_ = dir_ + "/records";
  std::vector<std::string> args = {"python3", HubScript(), "--record-dir", record_dir_};
  if (options.wrong_host) {
    args.emplace_back("--tls-wrong-host");
  } else if (options.expired) {
    args.emplace_back("--tls-expired");
  } else if (options.tls) {
    args.emplace_back("--tls");
  }
  if (!options.script.empty()) {
    std::ofstream(dir_ + "/script.json") << options.script;
    args.insert(args.end(), {"--script", dir_ + "/script.json"});
  }
  int in[2];
  int out[2];
  if (pipe2(in, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  if (pipe2(out, O_CLOEXEC) != 0) {
    close(in[0]);
    close(in[1]);
    throw std::runtime_error("pipe failed");
  }
  stdin_fd_ = in[1];
  stdout_fd_ = out[0];
  try {
    pid_ = Spawn(args, in[0], out[1]);
    close(in[0]);
    close(out[1]);
    std::string ready = ReadLine(stdout_fd_);
    port_ = std::stoi(JsonValue(ready, "port"));
    std::string ca = JsonValue(ready, "ca");
    if (ca != "null") ca_file_ = ca;
  } catch (...) {
    Stop();
    throw;
  }
}

TestHub::~TestHub() { Stop(); }

void TestHub::Stop() {
  if (stdin_fd_ >= 0) close(stdin_fd_);
  stdin_fd_ = -1;
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    auto deadline = std::chrono::steady_clock::now() + kStopTimeout;
    while (waitpid(pid_, nullptr, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    pid_ = -1;
  }
  if (stdout_fd_ >= 0) close(stdout_fd_);
  stdout_fd_ = -1;
  std::error_code ignored;
  if (!dir_.empty()) fs::remove_all(dir_, ignored);
}

std::string TestHub::Url(std::string_view path) const {
  return std::string(tls_ ? "https" : "http") + "://127.0.0.1:" + std::to_string(port_) +
         std::string(path);
}

int TestHub::RequestCount() const {
  int n = 0;
  while (fs::exists(fs::path(record_dir_) / RecordName(n + 1, "bin"))) ++n;
  return n;
}

std::string TestHub::Request(int n) const {
  return ReadFile(fs::path(record_dir_) / RecordName(n, "bin"));
}

int TestHub::ConnectionOf(int n) const {
  return std::stoi(
      JsonValue(ReadFile(fs::path(record_dir_) / RecordName(n, "json")), "connection"));
}

}  // namespace vorn::test
