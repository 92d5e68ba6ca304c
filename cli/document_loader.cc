#include "cli/document_loader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <string_view>

#include "cli/locale_charset.h"
#include "service/exception.h"

namespace vorn {
namespace {

// Files of this size or more are refused rather than read in part.
constexpr size_t kMaxFileSize = size_t{1} << 31;

class UniqueFd {
 public:
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() {
    if (fd_ >= 0) close(fd_);
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// `path` made absolute against the current directory and lexically
// normalised; symbolic links are not resolved.
std::string FullPath(const std::string& path) {
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
  if (ec) return path;
  return absolute.lexically_normal().string();
}

// The system's text for `err`, without trailing blanks, controls or full stops.
std::string ErrorText(int err) {
  std::string text = std::strerror(err);
  while (!text.empty() && (static_cast<unsigned char>(text.back()) <= 32 || text.back() == '.')) {
    text.pop_back();
  }
  return text;
}

[[noreturn]] void ThrowOpenError(const std::string& full_path, int err) {
  throw EFOpenError("Cannot open file \"" + full_path + "\". " + ErrorText(err));
}

std::string InFile(const std::string& full_path) { return " in file \"" + full_path + "\""; }

// Reads the whole file, looping over short reads and interruptions.
std::string ReadFileBytes(const std::string& path, const std::string& full_path) {
  const UniqueFd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) ThrowOpenError(full_path, errno);
  struct stat st {};
  if (fstat(fd.get(), &st) != 0) ThrowOpenError(full_path, errno);
  if (S_ISDIR(st.st_mode)) ThrowOpenError(full_path, EISDIR);
  const bool regular = S_ISREG(st.st_mode);
  if (regular && static_cast<uint64_t>(st.st_size) >= kMaxFileSize) {
    ThrowOpenError(full_path, EFBIG);
  }
  // One byte of slack lets the end of a regular file show without a resize.
  std::string bytes(regular ? static_cast<size_t>(st.st_size) + 1 : size_t{1} << 16, '\0');
  size_t total = 0;
  while (true) {
    if (total == bytes.size()) bytes.resize(std::min(bytes.size() * 2, kMaxFileSize));
    const ssize_t n = read(fd.get(), bytes.data() + total, bytes.size() - total);
    if (n < 0) {
      if (errno == EINTR) continue;
      ThrowOpenError(full_path, errno);
    }
    if (n == 0) break;
    total += static_cast<size_t>(n);
    if (total >= kMaxFileSize) ThrowOpenError(full_path, EFBIG);
  }
  bytes.resize(total);
  return bytes;
}

// Appends code point `cp` as UTF-8 at `p`, returning the new end.
char* PutUtf8(char* p, uint32_t cp) {
  if (cp < 0x80) {
    *p++ = static_cast<char>(cp);
  } else if (cp < 0x800) {
    *p++ = static_cast<char>(0xC0 | (cp >> 6));
    *p++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    *p++ = static_cast<char>(0xE0 | (cp >> 12));
    *p++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *p++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    *p++ = static_cast<char>(0xF0 | (cp >> 18));
    *p++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    *p++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *p++ = static_cast<char>(0x80 | (cp & 0x3F));
  }
  return p;
}

std::string CodePointName(uint32_t cp) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(cp));
  return buffer;
}

// Decodes UTF-16 code units (a last odd byte is dropped). `offset` is the
// position of `bytes` in the file, for error messages.
std::string DecodeUtf16(std::string_view bytes, bool big_endian, size_t offset,
                        const std::string& full_path) {
  const size_t units = bytes.size() / 2;
  const auto unit = [&](size_t i) -> uint32_t {
    const auto b0 = static_cast<unsigned char>(bytes[2 * i]);
    const auto b1 = static_cast<unsigned char>(bytes[2 * i + 1]);
    return big_endian ? (uint32_t{b0} << 8) | b1 : (uint32_t{b1} << 8) | b0;
  };
  std::string out(units * 3, '\0');  // no unit yields more than 3 bytes
  char* p = out.data();
  for (size_t i = 0; i < units; ++i) {
    uint32_t cp = unit(i);
    if (cp >= 0xD800 && cp <= 0xDFFF) {
      const uint32_t next = i + 1 < units ? unit(i + 1) : 0;
      if (cp > 0xDBFF || next < 0xDC00 || next > 0xDFFF) {
        throw EEncodingError("Unpaired UTF-16 surrogate " + CodePointName(cp) + " at byte offset " +
                             std::to_string(offset + 2 * i) + InFile(full_path));
      }
      cp = 0x10000 + ((cp - 0xD800) << 10) + (next - 0xDC00);
      ++i;
    }
    p = PutUtf8(p, cp);
  }
  out.resize(static_cast<size_t>(p - out.data()));
  return out;
}

// The file's text as UTF-8, after its byte-order mark. Returns a view into
// `bytes` when they already are UTF-8, else into `storage`.
std::string_view DecodeText(const std::string& bytes, const std::string& full_path,
                            std::string& storage) {
  const std::string_view all(bytes);
  std::string charset = "UTF-8";
  size_t mark = 0;
  if (all.starts_with("\xEF\xBB\xBF")) {
    mark = 3;
  } else if (all.starts_with("\xFF\xFE") || all.starts_with("\xFE\xFF")) {
    storage = DecodeUtf16(all.substr(2), all[0] == '\xFE', 2, full_path);
    return storage;
  } else {
    charset = LocaleCharset();
  }
  const std::string_view body = all.substr(mark);
  size_t bad = 0;
  if (IsUtf8Charset(charset)) {
    bad = FindInvalidUtf8(body);
    if (bad == std::string_view::npos) return body;
  } else if (CharsetToUtf8(body, charset, storage, bad)) {
    return storage;
  }
  throw EEncodingError("Invalid " + charset + " byte sequence at byte offset " +
                       std::to_string(mark + bad) + InFile(full_path));
}

[[noreturn]] void ThrowDisallowed(uint32_t cp, std::string_view line_head, size_t line,
                                  const std::string& full_path) {
  size_t column = 1;
  for (char c : line_head) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++column;
  }
  throw EEncodingError("Character " + CodePointName(cp) + " is not allowed in XML, at line " +
                       std::to_string(line) + ", column " + std::to_string(column) +
                       InFile(full_path));
}

// Cuts `text` at its first U+0000, ends every line with CR LF and checks that
// every character is one XML 1.0 allows. Sets `count` to the number of lines.
std::string JoinLines(std::string_view text, const std::string& full_path, size_t& count) {
  std::string out;
  out.reserve(text.size() + text.size() / 16 + 2);
  count = 0;
  size_t line_start = 0;
  size_t end = 0;
  for (; end < text.size(); ++end) {
    const auto c = static_cast<unsigned char>(text[end]);
    if (c >= 0x20 && c != 0xEF) continue;
    if (c == 0xEF) {  // EF BF BE and EF BF BF are U+FFFE and U+FFFF
      if (end + 2 < text.size() && text[end + 1] == '\xBF' &&
          (text[end + 2] == '\xBE' || text[end + 2] == '\xBF')) {
        const uint32_t cp = text[end + 2] == '\xBE' ? 0xFFFE : 0xFFFF;
        ThrowDisallowed(cp, text.substr(line_start, end - line_start), count + 1, full_path);
      }
      continue;
    }
    if (c == 0) break;
    if (c == '\t') continue;
    if (c != '\r' && c != '\n') {
      ThrowDisallowed(c, text.substr(line_start, end - line_start), count + 1, full_path);
    }
    out.append(text.substr(line_start, end - line_start)).append("\r\n");
    ++count;
    if (c == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
    line_start = end + 1;
  }
  if (line_start < end) {
    out.append(text.substr(line_start, end - line_start)).append("\r\n");
    ++count;
  }
  return out;
}

std::string LoadText(const std::string& path, size_t& count) {
  try {
    const std::string full_path = FullPath(path);
    const std::string bytes = ReadFileBytes(path, full_path);
    std::string storage;
    const std::string_view text = DecodeText(bytes, full_path, storage);
    return JoinLines(text, full_path, count);
  } catch (const std::bad_alloc&) {
    throw EOutOfMemory();
  }
}

}  // namespace

void LineList::LoadFromFile(const std::string& path) {
  size_t count = 0;
  std::string text = LoadText(path, count);
  text_ = std::move(text);
  count_ = count;
}

std::string LoadDocumentText(const std::string& path) {
  size_t count = 0;
  return LoadText(path, count);
}

}  // namespace vorn
