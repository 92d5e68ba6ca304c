#include "cli/exchange_trace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "cli/console.h"
#include "cli/file_path.h"
#include "cli/redaction.h"

namespace vorn {
namespace {

// Why the directory `dir` must not hold a trace, or "" when it may.
std::string UnsafeDirectory(const std::string& dir) {
  struct stat st {};
  if (stat(dir.c_str(), &st) != 0) return SystemErrorText(errno);
  if ((st.st_mode & S_ISVTX) != 0) return "";
  const bool others = (st.st_mode & S_IWOTH) != 0 ||
                      ((st.st_mode & S_IWGRP) != 0 && st.st_gid != getegid()) ||
                      (st.st_uid != geteuid() && st.st_uid != 0);
  if (!others) return "";
  return "Its directory \"" + dir + "\" can be written by other users";
}

}  // namespace

int OpenTraceFile(const std::string& path) {
  const std::string full_path = FullPath(path);
  const std::string dir = std::filesystem::path(full_path).parent_path().string();
  if (const std::string why = UnsafeDirectory(dir.empty() ? "/" : dir); !why.empty()) {
    ThrowOpenError(full_path, why);
  }
  // O_NONBLOCK: opening a FIFO or a device must not wait; the check below
  // refuses them.
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
  if (fd < 0) {
    const int err = errno;
    ThrowOpenError(full_path, err == ELOOP   ? "It is a symbolic link"
                              : err == ENXIO ? "It is not a regular file"
                                             : SystemErrorText(err));
  }
  struct stat st {};
  std::string why;
  if (fstat(fd, &st) != 0) {
    why = SystemErrorText(errno);
  } else if (!S_ISREG(st.st_mode)) {
    why = "It is not a regular file";
  } else if (st.st_uid != geteuid()) {
    why = "It belongs to another user";
  } else if (fchmod(fd, 0600) != 0 || ftruncate(fd, 0) != 0 ||
             fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    why = SystemErrorText(errno);
  }
  if (!why.empty()) {
    close(fd);
    ThrowOpenError(full_path, why);
  }
  return fd;
}

ExchangeTrace::ExchangeTrace(int fd) : fd_(fd) {}

ExchangeTrace::~ExchangeTrace() {
  try {
    WriteBody();
  } catch (...) {
    // Out of memory while hiding the password: the held body is not written.
  }
  close(fd_);
}

void ExchangeTrace::Write(std::string_view bytes) {
  if (error_ == 0) error_ = WriteFully(fd_, bytes);
}

// Writes the held body, hidden where it must be, then the notes held with it.
void ExchangeTrace::WriteBody() {
  if (!body_.empty()) {
    Write(MaskPasswords(body_));
    if (body_.back() != '\n') Write("\n");
    body_.clear();
  }
  Write(notes_);
  notes_.clear();
}

void ExchangeTrace::OnNote(std::string_view text) {
  std::string line = "* ";
  line.append(text);
  line += '\n';
  if (body_.empty()) {
    Write(line);
  } else {
    notes_ += line;
  }
}

void ExchangeTrace::OnRequestHead(std::string_view head) {
  WriteBody();
  Write("== Request\n");
  Write(MaskCredentialHeaders(head));
}

void ExchangeTrace::OnRequestBody(std::string_view piece) { body_.append(piece); }

void ExchangeTrace::OnReplyHead(std::string_view line) {
  WriteBody();
  if (line.starts_with("HTTP/")) Write("== Reply\n");
  Write(MaskCredentialHeaders(line));
}

void ExchangeTrace::OnReplyBody(std::string_view piece) { body_.append(piece); }

void ExchangeTrace::Finish(const std::vector<std::string>& lines) {
  WriteBody();
  Write("== Outcome\n");
  for (const std::string& line : lines) {
    Write(MaskPasswords(line));  // a reply may quote the request
    Write("\n");
  }
}

}  // namespace vorn
