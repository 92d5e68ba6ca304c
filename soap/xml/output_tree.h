// The tree of an OutputDocument: nodes, names and namespace declarations in
// blocks of memory owned by the tree. Internal to the XML layer.
//
// Strings that recur (prefixes, namespace URIs, element names, namespace
// declarations) are stored once per tree; equal ones are the same object,
// so they are compared by address. Names and declarations carry their
// markup ready to be written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

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

  std::vector<std::unique_ptr<char[]>> blocks_;
  char* cur_ = nullptr;
  char* end_ = nullptr;
  size_t next_block_ = 16 * 1024;  // doubles up to kMaxBlock
  static constexpr size_t kMaxBlock = size_t{2} << 20;
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
  std::string_view open;   // "<prefix:local"
  std::string_view close;  // "</prefix:local>"
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
  std::unordered_map<std::string_view, const Atom*> atoms;
  std::unordered_map<std::string_view, const Name*> names;  // by qualified name
  std::unordered_map<uint64_t, const Decl*> decls;          // by the atoms' serial numbers

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
