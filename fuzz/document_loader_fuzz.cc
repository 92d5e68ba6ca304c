// Loads arbitrary bytes as an invoice file. The input goes into in-memory
// files, rewritten in place for every load and read back through their
// /proc/self/fd paths, so no directory fills up with inputs.
//
// A loaded text must keep what the loader promises: valid UTF-8, every line
// ended by CR LF, no other control character than TAB, no U+0000, U+FFFE or
// U+FFFF.
//
// The loader works in 64 KiB chunks, which a small file never crosses. An
// input that starts with the byte FF is therefore loaded a second time with
// about 64 KiB of "a" put in after its byte-order mark, placing its start up
// to 63 characters (the second byte, the selector) before the first chunk
// boundary. The two loads must agree: the same text behind the "a"s, or the
// same error with its offset and column moved by the filler. Any other first
// byte is dropped and the rest loaded once: the padded load costs about as
// much as a hundred small ones, so it is the fuzzer's choice, not the rule.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/exception.h"
#include "cli/document_loader.h"

namespace {

// One in-memory file for the input as it is, one for the padded input, so
// that rewriting either keeps its pages.
struct MemFile {
  int fd = -1;
  std::string path;
};
MemFile g_small;
MemFile g_padded;

[[noreturn]] void Fail(const char* what, size_t offset) {
  std::fprintf(stderr, "check failed: loaded text: %s at byte %zu\n", what, offset);
  __builtin_trap();
}

// Length of the UTF-8 sequence at text[i] if it is a valid, shortest-form
// encoding of a character other than a surrogate; 0 otherwise.
size_t Utf8Length(std::string_view text, size_t i) {
  const auto b = [&](size_t k) { return static_cast<unsigned char>(text[i + k]); };
  const auto cont = [&](size_t k) { return i + k < text.size() && (b(k) & 0xC0) == 0x80; };
  const unsigned char c = b(0);
  if (c < 0x80) return 1;
  if (c >= 0xC2 && c <= 0xDF) return cont(1) ? 2 : 0;
  if (c >= 0xE0 && c <= 0xEF) {
    if (!cont(1) || !cont(2)) return 0;
    if (c == 0xE0 && b(1) < 0xA0) return 0;   // overlong
    if (c == 0xED && b(1) >= 0xA0) return 0;  // surrogate
    return 3;
  }
  if (c >= 0xF0 && c <= 0xF4) {
    if (!cont(1) || !cont(2) || !cont(3)) return 0;
    if (c == 0xF0 && b(1) < 0x90) return 0;   // overlong
    if (c == 0xF4 && b(1) >= 0x90) return 0;  // above U+10FFFF
    return 4;
  }
  return 0;
}

void CheckText(std::string_view text) {
  if (!text.empty() && !text.ends_with("\r\n")) Fail("no CR LF at the end", text.size());
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '\r') {
      if (i + 1 >= text.size() || text[i + 1] != '\n') Fail("CR without LF", i);
      i += 2;
      continue;
    }
    if (c == '\n') Fail("LF without CR", i);
    if (c < 0x20 && c != '\t') Fail("control character", i);
    const size_t n = Utf8Length(text, i);
    if (n == 0) Fail("invalid UTF-8", i);
    if (n == 3 && c == 0xEF && text[i + 1] == '\xBF' &&
        (text[i + 2] == '\xBE' || text[i + 2] == '\xBF')) {
      Fail("U+FFFE or U+FFFF", i);
    }
    i += n;
  }
}

struct Outcome {
  bool ok = false;
  std::string text;     // when ok
  std::string failure;  // "ClassName: message" otherwise
};

Outcome Load(const MemFile& file, std::string_view bytes) {
  if ((!bytes.empty() &&
       pwrite(file.fd, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size())) ||
      ftruncate(file.fd, static_cast<off_t>(bytes.size())) != 0) {
    std::perror("writing the input file");
    std::abort();
  }
  Outcome out;
  try {
    out.text = vorn::LoadDocumentText(file.path);
    out.ok = true;
  } catch (const vorn::Exception& e) {
    out.failure = e.Report();
  }
  return out;
}

// Adds `by` to the number that follows `label` in `message`, if any.
void ShiftNumber(std::string& message, std::string_view label, size_t by) {
  const size_t at = message.find(label);
  if (at == std::string::npos) return;
  const size_t begin = at + label.size();
  const size_t end = message.find_first_not_of("0123456789", begin);
  const size_t n = std::stoull(message.substr(begin, end - begin));
  message.replace(begin, end - begin, std::to_string(n + by));
}

[[noreturn]] void Disagree(const Outcome& small, const Outcome& big, size_t selector,
                           size_t filler) {
  const auto describe = [](const Outcome& o) {
    return o.ok ? "text of " + std::to_string(o.text.size()) + " bytes" : o.failure;
  };
  std::fprintf(stderr, "check failed: loads disagree (selector %zu):\n  small: %s\n  padded: %s\n",
               selector, describe(small).c_str(), describe(big).c_str());
  if (small.ok && big.ok) {
    const std::string_view tail =
        std::string_view(big.text).substr(std::min(filler, big.text.size()));
    const auto diff = std::mismatch(small.text.begin(), small.text.end(), tail.begin(), tail.end());
    std::fprintf(stderr, "  first difference at byte %zu of the small text\n",
                 static_cast<size_t>(diff.first - small.text.begin()));
  }
  __builtin_trap();
}

MemFile MakeMemFile(const char* name) {
  MemFile f;
  f.fd = memfd_create(name, MFD_CLOEXEC);
  if (f.fd < 0) {
    std::perror("memfd_create");
    std::abort();
  }
  f.path = "/proc/self/fd/" + std::to_string(f.fd);
  return f;
}

// Loads `file` again with its start `selector` characters before the first
// chunk boundary, and compares with the load of `file` alone.
void CheckChunkBoundary(std::string_view file, size_t selector, const Outcome& small) {
  constexpr size_t kChunk = size_t{1} << 16;
  // The filler, in the file's encoding, goes after the mark. The fillers are
  // made once: building 64 KiB a byte at a time in instrumented code would
  // dominate the run.
  static const std::string kUtf8(kChunk, 'a');
  static const std::string kUtf16Le = [] {
    std::string s;
    for (size_t i = 0; i < kChunk / 2; ++i) s.append("a\0", 2);
    return s;
  }();
  static const std::string kUtf16Be = std::string(1, '\0') + kUtf16Le.substr(0, kChunk - 1);
  size_t mark = 0;
  const std::string* filler = &kUtf8;
  size_t unit = 1;
  if (file.starts_with("\xEF\xBB\xBF")) {
    mark = 3;
  } else if (file.starts_with("\xFF\xFE")) {
    mark = 2;
    filler = &kUtf16Le;
    unit = 2;
  } else if (file.starts_with("\xFE\xFF")) {
    mark = 2;
    filler = &kUtf16Be;
    unit = 2;
  }
  // Characters of filler; the buffers keep their capacity from run to run.
  const size_t count = kChunk / unit - selector;
  static std::string padded;
  padded.assign(file.substr(0, mark));
  padded.append(*filler, 0, count * unit);
  padded += file.substr(mark);
  Outcome big = Load(g_padded, padded);
  // Messages name the file; the two loads read different ones.
  if (const size_t at = big.failure.find(g_padded.path); at != std::string::npos) {
    big.failure.replace(at, g_padded.path.size(), g_small.path);
  }

  if (small.ok != big.ok) Disagree(small, big, selector, count);
  static std::string expected;
  if (small.ok) {
    expected.assign(kUtf8, 0, count);
    expected += small.text.empty() ? std::string_view("\r\n") : std::string_view(small.text);
    if (big.text != expected) Disagree(small, big, selector, count);
    return;
  }
  expected = small.failure;
  ShiftNumber(expected, "at byte offset ", count * unit);
  ShiftNumber(expected, "at line 1, column ", count);
  if (big.failure != expected) Disagree(small, big, selector, count);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  g_small = MakeMemFile("vorn-invoice");
  g_padded = MakeMemFile("vorn-invoice-padded");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const bool padded_too = data[0] == 0xFF && size >= 2;
  const size_t skip = padded_too ? 2 : 1;
  const std::string_view file(reinterpret_cast<const char*>(data) + skip, size - skip);
  const Outcome small = Load(g_small, file);
  if (small.ok) CheckText(small.text);
  if (padded_too) CheckChunkBoundary(file, data[1] % 64, small);
  return 0;
}
