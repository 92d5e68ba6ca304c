#include "cli/locale_charset.h"

#include <iconv.h>
#include <langinfo.h>

#include <cerrno>
#include <memory>
#include <type_traits>

#include "base/exception.h"
#include "base/text_util.h"
#include "base/utf8.h"

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

// Where a conversion with iconv stopped.
struct IconvStop {
  size_t at = std::string_view::npos;  // the sequence it stopped at; npos: all was read
  bool cut = false;                    // that sequence is cut short by the end of the input
};

// Converts `in` from offset `start` with `cd`, appending to `out`. Stops at
// an input sequence that iconv rejects (invalid, truncated or not
// representable). With `flush`, the shift state is then returned to the
// initial one; without it, the state carries over to the next call.
IconvStop IconvAppend(iconv_t cd, std::string_view in, size_t start, std::string& out, bool flush) {
  char* in_ptr = const_cast<char*>(in.data()) + start;
  size_t in_left = in.size() - start;
  size_t used = out.size();
  char* out_ptr = nullptr;
  size_t out_left = 0;
  GrowOutput(out, used, in_left * 2, out_ptr, out_left);
  IconvStop stop;
  while (in_left > 0) {
    if (iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left) != static_cast<size_t>(-1)) break;
    if (errno != E2BIG) {  // EILSEQ, or EINVAL for a sequence cut by the end
      stop.at = static_cast<size_t>(in_ptr - in.data());
      stop.cut = errno == EINVAL;
      break;
    }
    used = static_cast<size_t>(out_ptr - out.data());
    GrowOutput(out, used, in_left * 2, out_ptr, out_left);
  }
  out.resize(static_cast<size_t>(out_ptr - out.data()));
  if (flush) IconvFlush(cd, out);
  return stop;
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

std::string Utf8ToCharset(std::string_view utf8, const std::string& charset) {
  if (IsUtf8Charset(charset)) return ReplaceInvalidUtf8(utf8, "?");
  IconvHandle cd = OpenIconv(charset, "UTF-8");
  std::string out;
  size_t pos = 0;
  while ((pos = IconvAppend(cd.get(), utf8, pos, out, true).at) != std::string_view::npos) {
    // Unconvertible or invalid: one "?" for the whole character.
    out += '?';
    const size_t n = Utf8SequenceLength(utf8.substr(pos));
    pos += n == 0 ? 1 : n;
  }
  return out;
}

struct CharsetDecoder::State {
  IconvHandle cd;
};

CharsetDecoder::CharsetDecoder(const std::string& charset) {
  if (!IsUtf8Charset(charset)) state_ = std::make_unique<State>(State{OpenIconv("UTF-8", charset)});
}

CharsetDecoder::~CharsetDecoder() = default;

CharsetDecoder::Result CharsetDecoder::Decode(std::string_view bytes, bool last,
                                              std::string& utf8) {
  if (state_ == nullptr) {  // UTF-8 itself: checked and copied
    const size_t bad = FindInvalidUtf8(bytes);
    utf8.append(bytes.substr(0, bad));
    if (bad == std::string_view::npos) return {bytes.size(), false};
    // A sequence that may go on in the next piece is looked at again then.
    const bool maybe_cut = !last && bytes.size() - bad < 4;
    return {bad, !maybe_cut};
  }
  const IconvStop stop = IconvAppend(state_->cd.get(), bytes, 0, utf8, last);
  if (stop.at == std::string_view::npos) return {bytes.size(), false};
  return {stop.at, last || !stop.cut};
}

}  // namespace vorn
