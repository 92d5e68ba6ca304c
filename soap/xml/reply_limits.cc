#include "soap/xml/reply_limits.h"

#include <array>
#include <cstdint>
#include <vector>

namespace vorn::xml {
namespace {

// How the characters of the reply are laid out: code units of 1, 2 or 4
// bytes. Markup characters are ASCII in every family the scan accepts.
enum class Family { kBytes, kUtf16, kUcs4 };

struct Layout {
  Family family = Family::kBytes;
  size_t width = 1;
  bool big_endian = false;
  size_t start = 0;  // bytes of a byte-order mark
};

bool StartsWith(std::string_view s, std::initializer_list<uint8_t> prefix) {
  if (s.size() < prefix.size()) return false;
  size_t i = 0;
  for (uint8_t b : prefix) {
    if (static_cast<uint8_t>(s[i++]) != b) return false;
  }
  return true;
}

// The layout the parser will see, from a byte-order mark or the first
// characters. EBCDIC ("<?xm" as 4C 6F A7 94) gives nullopt.
std::optional<Layout> DetectLayout(std::string_view b) {
  if (StartsWith(b, {0x00, 0x00, 0xFE, 0xFF})) return Layout{Family::kUcs4, 4, true, 4};
  if (StartsWith(b, {0xFF, 0xFE, 0x00, 0x00})) return Layout{Family::kUcs4, 4, false, 4};
  if (StartsWith(b, {0xFE, 0xFF})) return Layout{Family::kUtf16, 2, true, 2};
  if (StartsWith(b, {0xFF, 0xFE})) return Layout{Family::kUtf16, 2, false, 2};
  if (StartsWith(b, {0xEF, 0xBB, 0xBF})) return Layout{Family::kBytes, 1, false, 3};
  if (StartsWith(b, {0x00, 0x00, 0x00, 0x3C})) return Layout{Family::kUcs4, 4, true, 0};
  if (StartsWith(b, {0x3C, 0x00, 0x00, 0x00})) return Layout{Family::kUcs4, 4, false, 0};
  if (StartsWith(b, {0x00, 0x3C, 0x00, 0x3F})) return Layout{Family::kUtf16, 2, true, 0};
  if (StartsWith(b, {0x3C, 0x00, 0x3F, 0x00})) return Layout{Family::kUtf16, 2, false, 0};
  if (StartsWith(b, {0x4C, 0x6F, 0xA7, 0x94})) return std::nullopt;
  return Layout{};
}

// The reply as a sequence of code units of one width.
template <size_t W, bool Big>
class Units {
 public:
  explicit Units(std::string_view bytes) : p_(bytes.data()), n_(bytes.size() / W) {}
  size_t size() const { return n_; }
  uint32_t operator[](size_t i) const {
    const auto* q = reinterpret_cast<const unsigned char*>(p_ + i * W);
    uint32_t v = 0;
    for (size_t k = 0; k < W; ++k) v |= uint32_t{q[Big ? W - 1 - k : k]} << (8 * k);
    return v;
  }

 private:
  const char* p_;
  size_t n_;
};

bool IsBlank(uint32_t c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

uint32_t Upper(uint32_t c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; }

bool StartsWithUpper(std::string_view s, std::string_view prefix) {
  if (s.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (static_cast<char>(Upper(static_cast<unsigned char>(s[i]))) != prefix[i]) return false;
  }
  return true;
}

// Whether a declared encoding keeps the markup characters where the scan
// looks for them, given the layout found.
bool EncodingFits(std::string_view name, Family family) {
  static constexpr std::array<std::string_view, 10> kByteNames = {
      "UTF-8",    "UTF8",       "US-ASCII", "ASCII",       "ISO-8859-",
      "ISO8859-", "ISO-LATIN-", "LATIN",    "WINDOWS-125", "CP125"};
  static constexpr std::array<std::string_view, 4> kUtf16Names = {"UTF-16", "UTF16", "UCS-2",
                                                                  "ISO-10646-UCS-2"};
  static constexpr std::array<std::string_view, 4> kUcs4Names = {"UCS-4", "UCS4", "UTF-32",
                                                                 "ISO-10646-UCS-4"};
  auto any = [name](const auto& list) {
    for (std::string_view p : list) {
      if (StartsWithUpper(name, p)) return true;
    }
    return false;
  };
  switch (family) {
    case Family::kBytes:
      // The parser keeps an 8-bit reply labelled UTF-16 as it is.
      return any(kByteNames) || any(kUtf16Names);
    case Family::kUtf16:
      return any(kUtf16Names);
    case Family::kUcs4:
      return any(kUcs4Names);
  }
  return false;
}

template <size_t W, bool Big>
class Scanner {
 public:
  Scanner(std::string_view bytes, const ReplyLimits& limits, Family family)
      : u_(bytes), limits_(limits), family_(family) {}

  std::optional<std::string> Run();

 private:
  bool At(size_t i, std::string_view s) const {
    if (i + s.size() > u_.size()) return false;
    for (size_t k = 0; k < s.size(); ++k) {
      if (u_[i + k] != static_cast<unsigned char>(s[k])) return false;
    }
    return true;
  }
  // The position just after the next `s` at or after `i`, or the end.
  size_t After(size_t i, std::string_view s) const {
    for (; i < u_.size(); ++i) {
      if (u_[i] == static_cast<unsigned char>(s[0]) && At(i, s)) return i + s.size();
    }
    return u_.size();
  }
  std::optional<std::string> CheckDeclaration() const;
  std::optional<std::string> Element(size_t& i);
  std::optional<std::string> AddNodes(size_t n) {
    nodes_ += n;
    if (nodes_ > limits_.max_nodes) {
      return "more than " + std::to_string(limits_.max_nodes) + " nodes";
    }
    return std::nullopt;
  }

  Units<W, Big> u_;
  const ReplyLimits& limits_;
  Family family_;
  size_t nodes_ = 0;
  size_t depth_ = 0;
  size_t namespaces_ = 0;  // declared by the open elements
  std::vector<size_t> open_declarations_;
};

// The encoding named by an XML declaration at the start, if any.
template <size_t W, bool Big>
std::optional<std::string> Scanner<W, Big>::CheckDeclaration() const {
  if (!At(0, "<?xml")) return std::nullopt;
  const size_t end = std::min(After(0, "?>"), size_t{512});
  size_t i = 5;
  for (; i < end && !At(i, "encoding"); ++i) {
  }
  if (i >= end) return std::nullopt;
  i += 8;
  while (i < end && (IsBlank(u_[i]) || u_[i] == '=')) ++i;
  if (i >= end || (u_[i] != '"' && u_[i] != '\'')) return std::nullopt;
  const uint32_t quote = u_[i++];
  std::string name;
  for (; i < end && u_[i] != quote; ++i) name += u_[i] < 0x80 ? static_cast<char>(u_[i]) : '?';
  if (EncodingFits(name, family_)) return std::nullopt;
  return "encoding \"" + name + "\" not supported";
}

// An element's start tag at `i` (just after '<'): counts the element and
// its attributes (one per quoted value), and moves `i` past the tag.
template <size_t W, bool Big>
std::optional<std::string> Scanner<W, Big>::Element(size_t& i) {
  size_t attributes = 0;
  size_t declarations = 0;  // of namespaces: attributes named xmlns or xmlns:*
  size_t word = i;          // where the last name in the tag starts
  bool after_blank = false;
  uint32_t previous = 0;
  for (; i < u_.size(); ++i) {
    const uint32_t c = u_[i];
    if (c == '"' || c == '\'') {
      ++attributes;
      if (At(word, "xmlns") &&
          (u_[word + 5] == ':' || u_[word + 5] == '=' || IsBlank(u_[word + 5]))) {
        ++declarations;
      }
      for (++i; i < u_.size() && u_[i] != c; ++i) {
      }
    } else if (c == '>') {
      ++i;
      break;
    } else if (IsBlank(c)) {
      after_blank = true;
    } else if (after_blank && c != '=') {
      word = i;
      after_blank = false;
    }
    previous = c;
  }
  if (attributes > limits_.max_attributes) {
    return "more than " + std::to_string(limits_.max_attributes) + " attributes on one element";
  }
  // Every prefixed name is looked up through the declarations in scope.
  if (namespaces_ + declarations > limits_.max_namespaces) {
    return "more than " + std::to_string(limits_.max_namespaces) +
           " namespace declarations in scope";
  }
  // An empty element ("<e/>") is as deep as one with content; only the
  // latter stays open.
  if (depth_ + 1 > limits_.max_depth) {
    return "elements nested more than " + std::to_string(limits_.max_depth) + " deep";
  }
  if (previous != '/') {
    ++depth_;
    open_declarations_.push_back(declarations);
    namespaces_ += declarations;
  }
  return AddNodes(1 + 2 * attributes);
}

template <size_t W, bool Big>
std::optional<std::string> Scanner<W, Big>::Run() {
  if (auto bad = CheckDeclaration()) return bad;
  bool in_text = false;  // a text with a non-blank character is open
  size_t i = 0;
  const size_t n = u_.size();
  while (i < n) {
    const uint32_t c = u_[i];
    if (c != '<') {
      in_text = in_text || !IsBlank(c);
      ++i;
      continue;
    }
    if (in_text) {
      in_text = false;
      if (auto bad = AddNodes(1)) return bad;
    }
    std::optional<std::string> bad;
    if (At(i, "</")) {
      if (depth_ > 0) --depth_;
      if (!open_declarations_.empty()) {
        namespaces_ -= open_declarations_.back();
        open_declarations_.pop_back();
      }
      i = After(i + 2, ">");
    } else if (At(i, "<!--")) {
      bad = AddNodes(1);
      i = After(i + 4, "-->");
    } else if (At(i, "<![CDATA[")) {
      bad = AddNodes(1);
      i = After(i + 9, "]]>");
    } else if (At(i, "<!")) {
      i = After(i + 2, ">");  // a document type declaration, which the parser refuses
    } else if (At(i, "<?")) {
      bad = AddNodes(1);
      i = After(i + 2, "?>");
    } else {
      ++i;
      bad = Element(i);
    }
    if (bad) return bad;
  }
  if (in_text) return AddNodes(1);
  return std::nullopt;
}

template <size_t W, bool Big>
std::optional<std::string> Scan(std::string_view bytes, const ReplyLimits& limits, Family f) {
  return Scanner<W, Big>(bytes, limits, f).Run();
}

}  // namespace

std::optional<std::string> ReplyLimitBreach(std::string_view bytes, const ReplyLimits& limits) {
  const std::optional<Layout> layout = DetectLayout(bytes);
  if (!layout) return "Reply refused: encoding EBCDIC not supported";
  const std::string_view rest = bytes.substr(layout->start);
  std::optional<std::string> why;
  switch (layout->family) {
    case Family::kBytes:
      why = Scan<1, false>(rest, limits, layout->family);
      break;
    case Family::kUtf16:
      why = layout->big_endian ? Scan<2, true>(rest, limits, layout->family)
                               : Scan<2, false>(rest, limits, layout->family);
      break;
    case Family::kUcs4:
      why = layout->big_endian ? Scan<4, true>(rest, limits, layout->family)
                               : Scan<4, false>(rest, limits, layout->family);
      break;
  }
  if (why) return "Reply refused: " + *why;
  return std::nullopt;
}

}  // namespace vorn::xml
