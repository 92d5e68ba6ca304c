#include "cli/locale_charset.h"

#include <iconv.h>
#include <langinfo.h>

#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "base/exception.h"
#include "base/text_util.h"

namespace vorn {
namespace {

struct IconvCloser {
  void operator()(iconv_t cd) const { iconv_close(cd); }
};
// iconv_t is a pointer type in glibc; the handle owns the conversion state.
using IconvHandle = std::unique_ptr<std::remove_pointer_t<iconv_t>, IconvCloser>;

IconvHandle OpenIconv(const std::string& to, const std::string& from) {
  iconv_t cd = iconv_open(to.c_str(), from.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    throw EEncodingError("Unsupported character set conversion from \"" + from + "\" to \"" + to +
                         "\"");
  }
  return IconvHandle(cd);
}

// Replaces every invalid sequence of already-UTF-8 output with "?".
std::string SanitiseUtf8(std::string_view utf8) {
  size_t bad = FindInvalidUtf8(utf8);
  if (bad == std::string_view::npos) return std::string(utf8);
  std::string out(utf8.substr(0, bad));
  for (size_t i = bad; i < utf8.size();) {
    const size_t n = Utf8SequenceLength(utf8.substr(i));
    if (n == 0) {
      out += '?';
      ++i;
    } else {
      out.append(utf8, i, n);
      i += n;
    }
  }
  return out;
}

// Makes room for at least `want` more bytes at the end of `out` and points
// `ptr`/`left` at the free space.
void GrowOutput(std::string& out, size_t& used, size_t want, char*& ptr, size_t& left) {
  out.resize(used + want + 16);
  ptr = out.data() + used;
  left = out.size() - used;
}

// Returns `cd` to its initial shift state, appending the bytes that takes.
void IconvFlush(iconv_t cd, std::string& out) {
  size_t used = out.size();
  char* ptr = nullptr;
  size_t left = 0;
  GrowOutput(out, used, 16, ptr, left);
  while (iconv(cd, nullptr, nullptr, &ptr, &left) == static_cast<size_t>(-1) && errno == E2BIG) {
    used = static_cast<size_t>(ptr - out.data());
    GrowOutput(out, used, 64, ptr, left);
  }
  out.resize(static_cast<size_t>(ptr - out.data()));
}

// Converts `in` from offset `start` with `cd`, appending to `out`. Stops at
// an input sequence that iconv rejects (invalid, truncated or not
// representable) and returns its offset; returns npos when all was read. The
// shift state is flushed in both cases.
size_t IconvAppend(iconv_t cd, std::string_view in, size_t start, std::string& out) {
  char* in_ptr = const_cast<char*>(in.data()) + start;
  size_t in_left = in.size() - start;
  size_t used = out.size();
  char* out_ptr = nullptr;
  size_t out_left = 0;
  GrowOutput(out, used, in_left * 2, out_ptr, out_left);
  size_t stopped_at = std::string_view::npos;
  while (in_left > 0) {
    if (iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left) != static_cast<size_t>(-1)) break;
    if (errno != E2BIG) {  // EILSEQ or EINVAL
      stopped_at = static_cast<size_t>(in_ptr - in.data());
      break;
    }
    used = static_cast<size_t>(out_ptr - out.data());
    GrowOutput(out, used, in_left * 2, out_ptr, out_left);
  }
  out.resize(static_cast<size_t>(out_ptr - out.data()));
  IconvFlush(cd, out);
  return stopped_at;
}

}  // namespace

std::string LocaleCharset() {
  static const std::string charset = [] {
    const char* codeset = nl_langinfo(CODESET);
    const std::string name = codeset != nullptr ? codeset : "";
    if (name.empty() || name == "ANSI_X3.4-1968" || name == "C" || name == "POSIX") {
      return std::string("UTF-8");
    }
    return name;
  }();
  return charset;
}

bool IsUtf8Charset(std::string_view charset) {
  return EqualsIgnoreCase(charset, "UTF-8") || EqualsIgnoreCase(charset, "UTF8");
}

size_t Utf8SequenceLength(std::string_view bytes) {
  if (bytes.empty()) return 0;
  const auto b0 = static_cast<unsigned char>(bytes[0]);
  if (b0 < 0x80) return 1;
  size_t length = 0;
  unsigned char lo = 0x80, hi = 0xBF;  // range of the second byte
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    length = 2;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    length = 3;
    if (b0 == 0xE0) lo = 0xA0;  // no overlong forms
    if (b0 == 0xED) hi = 0x9F;  // no surrogates
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    length = 4;
    if (b0 == 0xF0) lo = 0x90;  // no overlong forms
    if (b0 == 0xF4) hi = 0x8F;  // nothing above U+10FFFF
  } else {
    return 0;
  }
  if (bytes.size() < length) return 0;
  const auto b1 = static_cast<unsigned char>(bytes[1]);
  if (b1 < lo || b1 > hi) return 0;
  for (size_t k = 2; k < length; ++k) {
    const auto b = static_cast<unsigned char>(bytes[k]);
    if (b < 0x80 || b > 0xBF) return 0;
  }
  return length;
}

size_t FindInvalidUtf8(std::string_view bytes) {
  const char* const data = bytes.data();
  const size_t size = bytes.size();
  size_t i = 0;
  while (i < size) {
    // Plain ASCII, the common case, is skipped a block at a time.
#if defined(__SSE2__)
    if (size - i >= 16) {
      const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
      const unsigned high = static_cast<unsigned>(_mm_movemask_epi8(block));
      if (high == 0) {
        i += 16;
        continue;
      }
      i += static_cast<size_t>(std::countr_zero(high));
    }
#else
    if (size - i >= 8) {
      uint64_t word = 0;
      std::memcpy(&word, data + i, sizeof word);
      if ((word & 0x8080808080808080u) == 0) {
        i += 8;
        continue;
      }
    }
#endif
    if (static_cast<unsigned char>(data[i]) < 0x80) {
      ++i;
      continue;
    }
    const size_t n = Utf8SequenceLength(bytes.substr(i));
    if (n == 0) return i;
    i += n;
  }
  return std::string_view::npos;
}

std::string Utf8ToCharset(std::string_view utf8, const std::string& charset) {
  if (IsUtf8Charset(charset)) return SanitiseUtf8(utf8);
  IconvHandle cd = OpenIconv(charset, "UTF-8");
  std::string out;
  size_t pos = 0;
  while ((pos = IconvAppend(cd.get(), utf8, pos, out)) != std::string_view::npos) {
    // Unconvertible or invalid: one "?" for the whole character.
    out += '?';
    const size_t n = Utf8SequenceLength(utf8.substr(pos));
    pos += n == 0 ? 1 : n;
  }
  return out;
}

bool CharsetToUtf8(std::string_view bytes, const std::string& charset, std::string& utf8,
                   size_t& error_offset) {
  if (IsUtf8Charset(charset)) {
    const size_t bad = FindInvalidUtf8(bytes);
    if (bad != std::string_view::npos) {
      error_offset = bad;
      return false;
    }
    utf8.assign(bytes);
    return true;
  }
  IconvHandle cd = OpenIconv("UTF-8", charset);
  std::string out;
  const size_t bad = IconvAppend(cd.get(), bytes, 0, out);
  if (bad != std::string_view::npos) {
    error_offset = bad;
    return false;
  }
  utf8 = std::move(out);
  return true;
}

}  // namespace vorn
