#include "cli/document_loader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cassert>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <string_view>
#include <utility>

#include "base/byte_scan.h"
#include "base/exception.h"
#include "base/prefault.h"
#include "base/utf8.h"
#include "cli/file_path.h"
#include "cli/locale_charset.h"
#include "cli/xml_chars.h"

namespace vorn {
namespace {

// Files of this size or more are refused rather than read in part.
constexpr size_t kMaxFileSize = size_t{1} << 31;

// The file is read and converted this many bytes at a time, so that the read
// buffer stays in the processor's cache and only the text is kept whole.
constexpr size_t kChunkSize = size_t{1} << 16;

// Bytes of a chunk that may be left for the next one: a CR whose LF may
// follow, or the start of a UTF-8 sequence.
constexpr size_t kMaxCarry = 3;

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

[[noreturn]] void ThrowOpenError(const std::string& full_path, int err) {
  vorn::ThrowOpenError(full_path, SystemErrorText(err));
}

std::string InFile(const std::string& full_path) { return " in file \"" + full_path + "\""; }

// An open file, read from start to end.
class FileReader {
 public:
  FileReader(const std::string& path, const std::string& full_path)
      : full_path_(full_path), fd_(open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
    if (fd_.get() < 0) ThrowOpenError(full_path_, errno);
    struct stat st {};
    if (fstat(fd_.get(), &st) != 0) ThrowOpenError(full_path_, errno);
    if (S_ISDIR(st.st_mode)) ThrowOpenError(full_path_, EISDIR);
    if (S_ISREG(st.st_mode)) {
      if (static_cast<uint64_t>(st.st_size) >= kMaxFileSize) ThrowOpenError(full_path_, EFBIG);
      size_hint_ = static_cast<size_t>(st.st_size);
    }
  }

  // Reads into `dst` until `size` bytes are in or the file has ended, looping
  // over short reads and interruptions; returns the number of bytes read.
  size_t Fill(char* dst, size_t size) {
    size_t got = 0;
    while (got < size && !at_end_) {
      const ssize_t n = read(fd_.get(), dst + got, size - got);
      if (n < 0) {
        if (errno == EINTR) continue;
        ThrowOpenError(full_path_, errno);
      }
      if (n == 0) {
        at_end_ = true;
        break;
      }
      got += static_cast<size_t>(n);
      total_ += static_cast<size_t>(n);
      if (total_ >= kMaxFileSize) ThrowOpenError(full_path_, EFBIG);
    }
    return got;
  }

  bool AtEnd() const { return at_end_; }
  // The size of a regular file when it was opened, else 0.
  size_t SizeHint() const { return size_hint_; }

 private:
  const std::string& full_path_;
  const UniqueFd fd_;
  size_t size_hint_ = 0;
  size_t total_ = 0;
  bool at_end_ = false;
};

// The bytes of a file handed out a chunk at a time. The bytes of a chunk
// that its user leaves are handed out again at the start of the next one.
class ChunkSource {
 public:
  explicit ChunkSource(FileReader& file) : file_(file) {
    // A small file fits in one chunk, with a byte to spare to see its end.
    capacity_ =
        file.SizeHint() > 0 ? std::clamp(file.SizeHint() + 1, size_t{64}, kChunkSize) : kChunkSize;
    buffer_.reset(new char[capacity_]);
    Advance(0);
  }
  const char* data() const { return data_; }
  size_t size() const { return size_; }
  // True when nothing follows this chunk.
  bool last() const { return last_; }
  // Position of data()[0] in the whole input.
  size_t offset() const { return offset_; }
  // The largest a chunk can be.
  size_t capacity() const { return capacity_; }
  // The expected size of the whole input, 0 when unknown.
  size_t SizeHint() const { return file_.SizeHint(); }

  // Drops the first `used` bytes of the chunk and makes the next one, which
  // starts with the bytes that were not used.
  void Advance(size_t used) {
    assert(used <= size_);
    offset_ += used;
    const size_t kept = size_ - used;
    std::memmove(buffer_.get(), buffer_.get() + used, kept);
    data_ = buffer_.get();
    size_ = kept + file_.Fill(buffer_.get() + kept, capacity_ - kept);
    last_ = file_.AtEnd();
  }

 private:
  FileReader& file_;
  std::unique_ptr<char[]> buffer_;
  size_t capacity_ = 0;
  const char* data_ = nullptr;
  size_t size_ = 0;
  size_t offset_ = 0;
  bool last_ = false;
};

// Text decoded to UTF-8 as the bytes under it are read, handed out a chunk
// at a time like a ChunkSource: decode(bytes, offset, last, out) appends
// what it decodes of `bytes` (which start at `offset` in the input) to `out`
// and returns the number of bytes it used; the rest comes again at the start
// of the next chunk. It throws at the first invalid sequence, so nothing
// after it is read.
template <class Decode>
class DecodingSource {
 public:
  // `size_hint`: the expected size of the whole text.
  DecodingSource(ChunkSource& raw, size_t size_hint, Decode decode)
      : raw_(raw), size_hint_(size_hint), decode_(std::move(decode)) {
    decoded_.reserve(kChunkSize + 4 * kChunkSize);
    Fill();
  }

  const char* data() const { return decoded_.data() + pos_; }
  size_t size() const { return decoded_.size() - pos_; }
  bool last() const { return raw_done_; }
  size_t offset() const { return offset_; }
  size_t capacity() const { return decoded_.capacity(); }
  size_t SizeHint() const { return size_hint_; }

  void Advance(size_t used) {
    assert(used <= size());
    pos_ += used;
    offset_ += used;
    decoded_.erase(0, pos_);
    pos_ = 0;
    Fill();
  }

  // Decodes the rest of the input without keeping it: only its invalid
  // sequences matter (they throw).
  void CheckRest() {
    while (!raw_done_) {
      decoded_.clear();
      pos_ = 0;
      Fill();
    }
  }

 private:
  // Decodes raw chunks until a chunk's worth of text is ready or the input
  // has ended.
  void Fill() {
    while (!raw_done_ && size() < kChunkSize) {
      const size_t used =
          decode_(std::string_view(raw_.data(), raw_.size()), raw_.offset(), raw_.last(), decoded_);
      if (raw_.last()) {
        raw_done_ = true;
      } else {
        raw_.Advance(used);
      }
    }
  }

  ChunkSource& raw_;
  const size_t size_hint_;
  Decode decode_;
  std::string decoded_;
  size_t pos_ = 0;
  size_t offset_ = 0;
  bool raw_done_ = false;
};

// Decodes the UTF-16 code units of `bytes`, appending them to `out`, and
// returns the number of bytes used. Unless `last` is set, a high surrogate
// at the end is left for the next chunk, where its pair may be; an odd byte
// at the end is always left (and at the end of the input, dropped). Throws
// at the first unpaired surrogate; `offset` is the position of `bytes` in
// the file, for the message.
size_t DecodeUtf16(std::string_view bytes, bool big_endian, size_t offset, bool last,
                   const std::string& full_path, std::string& out) {
  const size_t units = bytes.size() / 2;
  const auto unit = [&](size_t i) -> uint32_t {
    const auto b0 = static_cast<unsigned char>(bytes[2 * i]);
    const auto b1 = static_cast<unsigned char>(bytes[2 * i + 1]);
    return big_endian ? (uint32_t{b0} << 8) | b1 : (uint32_t{b1} << 8) | b0;
  };
  const size_t start = out.size();
  out.resize(start + units * 3);  // no unit yields more than 3 bytes
  char* p = out.data() + start;
  size_t i = 0;
  for (; i < units; ++i) {
    uint32_t cp = unit(i);
    if (cp >= 0xD800 && cp <= 0xDFFF) {
      if (cp <= 0xDBFF && i + 1 == units && !last) break;
      const uint32_t next = i + 1 < units ? unit(i + 1) : 0;
      if (cp > 0xDBFF || next < 0xDC00 || next > 0xDFFF) {
        throw EEncodingError("Unpaired UTF-16 surrogate " + CodePointName(cp) + " at byte offset " +
                             std::to_string(offset + 2 * i) + InFile(full_path));
      }
      cp = 0x10000 + ((cp - 0xD800) << 10) + (next - 0xDC00);
      ++i;
    }
    p = EncodeUtf8(cp, p);
  }
  out.resize(static_cast<size_t>(p - out.data()));
  return 2 * i;
}

// The bytes that stop the copying of plain text: controls (line breaks,
// tabs, U+0000 and the characters XML refuses) and the bytes of UTF-8
// sequences.
constexpr ByteClass kSpecialBytes{.below = 0x20, .non_ascii = true};
static_assert(kScanBlock == 16, "the copying below works on blocks of 16 bytes");

// True for printable ASCII (0x20 to 0x7F).
inline bool IsPlain(char c) { return static_cast<unsigned char>(c) - 0x20u < 0x60u; }

enum class Stop {
  kEnd,         // the chunk is done (but for bytes left for the next one)
  kCut,         // at a U+0000
  kDisallowed,  // at a character XML does not allow
  kInvalid,     // at an invalid UTF-8 sequence
};

struct ChunkResult {
  Stop stop = Stop::kEnd;
  size_t read = 0;          // bytes of the chunk used; where it stopped
  size_t written = 0;       // bytes put out
  size_t breaks = 0;        // line breaks put out
  size_t line_begin = 0;    // output offset after the last break, if any
  uint32_t code_point = 0;  // the character, for kDisallowed
};

// Converts UTF-8 text in[0, n) for sending: copies it to `out` with every
// line break (CR LF, LF or CR) written as CR LF, until the end, a U+0000, a
// character XML 1.0 does not allow or, when `validate` is set, an invalid
// UTF-8 sequence. Unless `last` is set, a CR or UTF-8 lead byte in the final
// kMaxCarry bytes is left for the next chunk. `out` must have room for
// 2 * n + 16 bytes.
ChunkResult JoinChunk(const char* in, size_t n, bool last, bool validate, char* out) {
  const char* p = in;
  const char* const end = in + n;
  char* w = out;
  size_t breaks = 0;
  const char* line_begin = out;
  ChunkResult result;
  while (true) {
    // Sixteen bytes at a time while at least 32 are left (so that the
    // block's successor can be read too): plain ASCII, and the common
    // blocks whose only other content is one LF, one CR LF or one two-byte
    // character, are copied without stopping.
    while (end - p >= 32) {
      std::memcpy(w, p, 16);
      const unsigned mask = ScanBlock<kSpecialBytes>(p);
      if (mask == 0) {
        p += 16;
        w += 16;
        continue;
      }
      const int k = std::countr_zero(mask);
      const auto c0 = static_cast<unsigned char>(p[k]);
      if (mask == 1u << k && c0 == '\n') {
        w[k] = '\r';
        std::memcpy(w + k + 1, p + k, 16);  // the LF and what follows it
        p += 16;
        w += 17;
        ++breaks;
        line_begin = w - 15 + k;
        continue;
      }
      if (mask == 3u << k) {
        const auto c1 = static_cast<unsigned char>(p[k + 1]);
        if (c0 == '\r' && c1 == '\n') {
          p += 16;
          w += 16;
          ++breaks;
          line_begin = w - 14 + k;
          continue;
        }
        if (c0 >= 0xC2 && c0 <= 0xDF && (c1 & 0xC0) == 0x80) {  // U+0080 to U+07FF
          p += 16;
          w += 16;
          continue;
        }
      }
      p += k;
      w += k;
      break;
    }
    while (p != end && IsPlain(*p)) *w++ = *p++;
    if (p == end) break;
    const auto c = static_cast<unsigned char>(*p);
    if (c == '\n' || c == '\r') {
      if (c == '\r') {
        if (p + 1 == end) {
          if (!last) break;
        } else if (p[1] == '\n') {
          ++p;
        }
      }
      ++p;
      w[0] = '\r';
      w[1] = '\n';
      w += 2;
      ++breaks;
      line_begin = w;
      continue;
    }
    if (c >= 0x80) {
      const auto left = static_cast<size_t>(end - p);
      if (left <= kMaxCarry && !last) break;
      size_t length = 1;
      if (validate) {
        length = Utf8SequenceLength(std::string_view(p, left));
        if (length == 0) {
          result.stop = Stop::kInvalid;
          break;
        }
      }
      // EF BF BE and EF BF BF are U+FFFE and U+FFFF.
      if (c == 0xEF && left > 2 && p[1] == '\xBF' && (p[2] == '\xBE' || p[2] == '\xBF')) {
        result.stop = Stop::kDisallowed;
        result.code_point = p[2] == '\xBE' ? 0xFFFE : 0xFFFF;
        break;
      }
      for (size_t i = 0; i < length; ++i) w[i] = p[i];
      p += length;
      w += length;
      continue;
    }
    if (c == '\t') {
      *w++ = *p++;
      continue;
    }
    result.stop = c == 0 ? Stop::kCut : Stop::kDisallowed;
    result.code_point = c;
    break;
  }
  result.read = static_cast<size_t>(p - in);
  result.written = static_cast<size_t>(w - out);
  result.breaks = breaks;
  result.line_begin = static_cast<size_t>(line_begin - out);
  return result;
}

// Builds the text from UTF-8 input, checking it. Invalid UTF-8 is reported
// only when `validate` is set, as "Invalid <charset> byte sequence"; text
// that a decoder produced is not checked again, but the decoder still reads
// to the end for its own invalid sequences after a disallowed character.
template <class Source>
class TextBuilder {
 public:
  TextBuilder(Source& source, bool validate, std::string charset, const std::string& full_path)
      : source_(source), validate_(validate), charset_(std::move(charset)), full_path_(full_path) {}

  std::string Build(size_t& count) {
    // Line breaks written as CR LF make the text a little longer than the
    // input; room for 1/16 more is kept from the start.
    const size_t hint = source_.SizeHint();
    text_.reserve(hint + hint / 16 + 2);
    // The pages that a text with CR LF line ends fills are mapped in one
    // go; the room kept for more breaks is mapped only if it is used.
    if (hint >= kPrepareMin) PrepareForWriting(text_.data(), hint + 2);
    const std::unique_ptr<char[]> out(new char[2 * source_.capacity() + 16]);
    while (true) {
      const ChunkResult result =
          JoinChunk(source_.data(), source_.size(), source_.last(), validate_, out.get());
      assert(result.read <= source_.size() && result.written <= 2 * source_.size() + 16);
      const size_t base = text_.size();
      text_.append(out.get(), result.written);
      if (result.breaks > 0) {
        count_ += result.breaks;
        line_start_ = base + result.line_begin;
      }
      if (result.stop == Stop::kEnd) {
        if (source_.last()) break;
        source_.Advance(result.read);
        continue;
      }
      if (result.stop == Stop::kInvalid) ThrowInvalid(result.read);
      if (result.stop == Stop::kDisallowed) {
        const std::string message = DisallowedMessage(result.code_point);
        CheckRest(result.read);
        throw EEncodingError(message);
      }
      CheckRest(result.read);  // cut at U+0000
      break;
    }
    if (text_.size() > line_start_) {
      text_.append("\r\n");
      ++count_;
    }
    count = count_;
    return std::move(text_);
  }

 private:
  // Below this size the output's pages are left to fault in.
  static constexpr size_t kPrepareMin = size_t{1} << 18;

  // Reports the invalid sequence at data()[at] of the current chunk; nothing
  // after it is read.
  [[noreturn]] void ThrowInvalid(size_t at) {
    throw EEncodingError("Invalid " + charset_ + " byte sequence at byte offset " +
                         std::to_string(source_.offset() + at) + InFile(full_path_));
  }

  // The message for `cp` found after the text built so far.
  std::string DisallowedMessage(uint32_t cp) const {
    const size_t column = 1 + CountCodePoints(std::string_view(text_).substr(line_start_));
    return "Character " + CodePointName(cp) + " is not allowed in XML, at line " +
           std::to_string(count_ + 1) + ", column " + std::to_string(column) + InFile(full_path_);
  }

  // Checks that the input from source_.data()[from] to its end is valid UTF-8.
  void CheckRest(size_t from) {
    if (!validate_) {
      if constexpr (requires { source_.CheckRest(); }) source_.CheckRest();
      return;
    }
    while (true) {
      const std::string_view rest(source_.data() + from, source_.size() - from);
      const size_t bad = FindInvalidUtf8(rest);
      if (bad != std::string_view::npos) {
        // A sequence cut by the chunk's end is checked again whole.
        if (source_.last() || rest.size() - bad > kMaxCarry) ThrowInvalid(from + bad);
        source_.Advance(from + bad);
      } else {
        if (source_.last()) return;
        source_.Advance(source_.size());
      }
      from = 0;
    }
  }

  Source& source_;
  const bool validate_;
  const std::string charset_;
  const std::string& full_path_;
  std::string text_;
  size_t line_start_ = 0;  // where the line being built starts in text_
  size_t count_ = 0;
};

std::string LoadText(const std::string& path, size_t& count) {
  try {
    const std::string full_path = FullPath(path);
    FileReader file(path, full_path);
    ChunkSource source(file);
    // The first chunk holds the whole mark unless the file is shorter.
    const std::string_view head(source.data(), std::min<size_t>(source.size(), 3));
    if (head.starts_with("\xFF\xFE") || head.starts_with("\xFE\xFF")) {
      const bool big_endian = head[0] == '\xFE';
      source.Advance(2);
      DecodingSource decoded(
          source, source.SizeHint() / 2,
          [&](std::string_view chunk, size_t offset, bool last, std::string& out) {
            return DecodeUtf16(chunk, big_endian, offset, last, full_path, out);
          });
      return TextBuilder(decoded, false, "UTF-16", full_path).Build(count);
    }
    if (head == "\xEF\xBB\xBF") {
      source.Advance(3);
      return TextBuilder(source, true, "UTF-8", full_path).Build(count);
    }
    const std::string charset = LocaleCharset();
    if (IsUtf8Charset(charset)) return TextBuilder(source, true, charset, full_path).Build(count);
    CharsetDecoder decoder(charset);
    DecodingSource decoded(
        source, source.SizeHint(),
        [&](std::string_view chunk, size_t offset, bool last, std::string& out) {
          const CharsetDecoder::Result r = decoder.Decode(chunk, last, out);
          if (r.invalid) {
            throw EEncodingError("Invalid " + charset + " byte sequence at byte offset " +
                                 std::to_string(offset + r.used) + InFile(full_path));
          }
          return r.used;
        });
    return TextBuilder(decoded, false, charset, full_path).Build(count);
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
