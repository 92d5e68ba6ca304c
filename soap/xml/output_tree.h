// The tree of an OutputDocument: nodes, names and namespace declarations in
// blocks of memory owned by the tree. Internal to the XML layer.
//
// Strings that recur (prefixes, namespace URIs, element names, namespace
// declarations) are stored once per tree; equal ones are the same object,
// so they are compared by address. Names and declarations carry their
// markup ready to be written.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/prefault.h"

namespace vorn::xml::out {

// Memory handed out in order from blocks, all freed with the arena.
class Arena {
 public:
  Arena() = default;
  Arena(const Arena&) = delete;
  Arena& operator=(const Arena&) = delete;

  // REQUIRES: `align` is a power of two no larger than 16.
  void* Allocate(size_t size, size_t align) {
    char* p = reinterpret_cast<char*>((reinterpret_cast<uintptr_t>(cur_) + align - 1) &
                                      ~(uintptr_t{align} - 1));
    if (p == nullptr || p + size > end_) p = Grow(size, align);
    cur_ = p + size;
    return p;
  }

  template <class T>
  T* New() {
    return new (Allocate(sizeof(T), alignof(T))) T();
  }

  std::string_view Copy(std::string_view s) {
    if (s.empty()) return {};
    char* p = static_cast<char*>(Allocate(s.size(), 1));
    std::memcpy(p, s.data(), s.size());
    return {p, s.size()};
  }

 private:
  char* Grow(size_t size, size_t align);

  struct Free {
    void operator()(char* p) const { std::free(p); }
  };
  std::vector<std::unique_ptr<char, Free>> blocks_;
  char* cur_ = nullptr;
  char* end_ = nullptr;
  size_t next_block_ = 16 * 1024;  // doubles up to kMaxBlock
  // The largest blocks are huge pages, aligned so that they are mapped as
  // such (see PrepareForWriting).
  static constexpr size_t kMaxBlock = kHugePage;
};

// Copies n bytes; short copies (most names and texts of an envelope) are
// done inline with fixed-size moves instead of a call.
inline void CopyBytes(char* dst, const char* src, size_t n) {
  if (n >= 8 && n <= 16) {
    uint64_t a, b;
    std::memcpy(&a, src, 8);
    std::memcpy(&b, src + n - 8, 8);
    std::memcpy(dst, &a, 8);
    std::memcpy(dst + n - 8, &b, 8);
  } else if (n >= 4 && n < 8) {
    uint32_t a, b;
    std::memcpy(&a, src, 4);
    std::memcpy(&b, src + n - 4, 4);
    std::memcpy(dst, &a, 4);
    std::memcpy(dst + n - 4, &b, 4);
  } else if (n < 4) {
    for (size_t i = 0; i < n; ++i) dst[i] = src[i];
  } else {
    std::memcpy(dst, src, n);
  }
}

// Whether two strings of `n` bytes are equal, comparing 8 bytes a step.
inline bool SameBytes(const char* a, const char* b, size_t n) {
  if (n < 8) {
    for (size_t i = 0; i < n; ++i) {
      if (a[i] != b[i]) return false;
    }
    return true;
  }
  for (size_t i = 0; i + 8 <= n; i += 8) {
    uint64_t x, y;
    std::memcpy(&x, a + i, 8);
    std::memcpy(&y, b + i, 8);
    if (x != y) return false;
  }
  uint64_t x, y;
  std::memcpy(&x, a + n - 8, 8);
  std::memcpy(&y, b + n - 8, 8);
  return x == y;
}

// A map from strings to pointers, for a few hundred distinct keys looked up
// a million times: open addressing in a power-of-two table, and a hash that
// takes eight bytes a step. The keys are views of memory the caller keeps.
template <class T>
class StringMap {
 public:
  StringMap() : slots_(64) {}

  T* Find(std::string_view key) const {
    const uint64_t h = Hash(key);
    for (size_t i = h & (slots_.size() - 1);; i = (i + 1) & (slots_.size() - 1)) {
      const Slot& s = slots_[i];
      if (s.value == nullptr) return nullptr;
      if (s.hash == h && s.size == key.size() && SameBytes(s.data, key.data(), key.size())) {
        return s.value;
      }
    }
  }
  // REQUIRES: `key` is not in the map and outlives it.
  void Insert(std::string_view key, T* value) {
    if (2 * (count_ + 1) > slots_.size()) Grow();
    Place(Slot{key.data(), key.size(), Hash(key), value});
    ++count_;
  }
  size_t size() const { return count_; }

 private:
  struct Slot {
    const char* data = nullptr;
    size_t size = 0;
    uint64_t hash = 0;
    T* value = nullptr;
  };

  static uint64_t Hash(std::string_view key) {
    constexpr uint64_t kMul = 0x9E3779B97F4A7C15u;
    uint64_t h = key.size() * kMul;
    const char* p = key.data();
    size_t n = key.size();
    for (; n >= 8; p += 8, n -= 8) {
      uint64_t v;
      std::memcpy(&v, p, 8);
      h = (h ^ v) * kMul;
      h ^= h >> 29;
    }
    uint64_t v = 0;
    if (key.size() >= 8) {
      std::memcpy(&v, key.data() + key.size() - 8, 8);  // the last 8, overlapping
    } else {
      for (size_t i = 0; i < n; ++i) v |= uint64_t{static_cast<unsigned char>(p[i])} << (8 * i);
    }
    h = (h ^ v) * kMul;
    return h ^ (h >> 32);
  }
  void Place(const Slot& slot) {
    size_t i = slot.hash & (slots_.size() - 1);
    while (slots_[i].value != nullptr) i = (i + 1) & (slots_.size() - 1);
    slots_[i] = slot;
  }
  void Grow() {
    std::vector<Slot> old(2 * slots_.size());
    old.swap(slots_);
    for (const Slot& s : old) {
      if (s.value != nullptr) Place(s);
    }
  }

  std::vector<Slot> slots_;
  size_t count_ = 0;
};

// A string stored once per tree.
struct Atom {
  std::string_view text;
  uint32_t serial = 0;  // 1 for the first atom of a tree, and so on
};

// A qualified element name and its markup.
struct Name {
  const Atom* prefix = nullptr;  // null: unprefixed
  std::string_view local;
  std::string_view open;     // "<prefix:local"
  std::string_view open_gt;  // "<prefix:local>"
  std::string_view close;    // "</prefix:local>"
};

// A namespace declaration: the binding of a prefix (null: the default
// namespace) to a URI (the empty atom for xmlns="").
struct Decl {
  const Atom* prefix = nullptr;
  const Atom* uri = nullptr;
  std::string_view markup;  // ' xmlns:prefix="uri"', the URI escaped
};

struct DeclLink {
  DeclLink* next = nullptr;
  const Decl* decl = nullptr;
};

struct Attr {
  Attr* next = nullptr;
  const Atom* ns = nullptr;  // null: no namespace
  std::string_view name;     // local name; for no namespace, the name as given
  std::string_view markup;   // ' name="value"', the value escaped
};

enum class Kind : uint8_t { kElement, kText, kCData, kComment, kProcessingInstruction, kEntityRef };

// What few elements have: namespace declarations and attributes.
struct Extra {
  DeclLink* decls = nullptr;
  Attr* attrs = nullptr;
};

struct Node {
  Node* parent = nullptr;
  Node* next = nullptr;
  // Character data: an element's text when text_only, a text, CDATA or
  // comment node's content, a processing instruction's data, an entity
  // reference's name.
  const char* data = nullptr;
  uint32_t size = 0;
  Kind kind = Kind::kElement;
  // An element whose whole content is one text, `data`: its single text
  // child, kept in the element itself.
  bool text_only = false;
  // The character data holds nothing that text escapes, so it is written as
  // it is (set for the short texts that are copied).
  bool plain = false;
  const Name* name = nullptr;  // elements; a processing instruction's target
  Node* first_child = nullptr;
  Node* last_child = nullptr;
  Extra* extra = nullptr;  // null while the element has neither

  std::string_view Data() const { return {data, size}; }
  const DeclLink* decls() const { return extra != nullptr ? extra->decls : nullptr; }
  const Attr* attrs() const { return extra != nullptr ? extra->attrs : nullptr; }
};
static_assert(sizeof(Node) <= 64, "an element fits a cache line");

struct Tree {
  Arena arena;
  Node* root = nullptr;  // the document element
  int prefix_counter = 0;
  const Atom* empty = nullptr;  // the empty string
  StringMap<const Atom> atoms;
  StringMap<const Name> names;                      // by qualified name
  std::unordered_map<uint64_t, const Decl*> decls;  // by the atoms' serial numbers
  // The default declaration in force at `scope_node` (null: none), for the
  // children that are added to one element after another. Forgotten when a
  // default declaration is added anywhere.
  const Node* scope_node = nullptr;
  const Decl* scope_default = nullptr;
  // The prefixed declaration of `binding_uri` in force at `binding_node`,
  // for attributes set on one new element after another. Forgotten when a
  // prefixed declaration is added anywhere.
  const Node* binding_node = nullptr;
  const Atom* binding_uri = nullptr;
  const Decl* binding = nullptr;
  std::string scratch;  // a buffer for building markup
  // Names found by the address of the caller's text, which is most often
  // the same text of a description from one element to the next; the bytes
  // are compared all the same.
  struct NameAlias {
    const char* data = nullptr;
    size_t size = 0;
    const Name* name = nullptr;
  };
  std::array<NameAlias, 64> name_aliases{};
  // The markup of the last attribute set, for the next one like it.
  std::string last_attr_name, last_attr_value;
  std::string_view last_attr_markup;

  Tree();
  const Atom* Intern(std::string_view text);
  // REQUIRES: a valid qualified name.
  const Name* InternName(std::string_view qualified_name);
  const Decl* InternDecl(const Atom* prefix, const Atom* uri);
};

// The document's bytes, from the declaration to the line break after the
// document element, produced a piece at a time.
class MarkupWriter {
 public:
  explicit MarkupWriter(const Tree& tree) : tree_(tree) {}

  // The number of bytes from the start to the end.
  uint64_t Size() const;
  // Writes the next bytes into dst[0, max); returns how many (fewer than
  // `max` only at the end).
  size_t Read(char* dst, size_t max);
  void Rewind();

 private:
  enum class Phase : uint8_t { kProlog, kOpen, kText, kClose, kDone };
  struct Cursor {
    const Node* node = nullptr;
    Phase phase = Phase::kProlog;
    size_t text_pos = 0;
  };
  template <class Sink>
  static void Run(const Tree& tree, Cursor& c, Sink& sink);
  template <class Sink>
  static void Open(const Tree& tree, Cursor& c, Sink& sink);
  template <class Sink>
  static void Advance(const Tree& tree, Cursor& c, Sink& sink);

  const Tree& tree_;
  Cursor cursor_;
  std::string pending_;  // bytes of a piece that did not fit, written first
  size_t pending_pos_ = 0;
};

}  // namespace vorn::xml::out
