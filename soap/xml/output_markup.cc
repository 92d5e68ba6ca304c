// The bytes of an output document, produced a piece at a time.
//
// One walk over the tree serves both to count the bytes and to write them:
// it hands each piece of markup, and each text, to a sink. The writing sink
// escapes texts straight into the reader's buffer; a piece of markup that
// does not fit waits for the next read. The walk keeps its place in a
// cursor (a node and what is left to do for it), so it resumes where the
// last read stopped.
#include <algorithm>
#include <cassert>
#include <cstring>

#include "soap/xml/escape.h"
#include "soap/xml/output_tree.h"

namespace vorn::xml::out {
namespace {

constexpr std::string_view kProlog = "<?xml version=\"1.0\"?>\n";

// Adds up the size of what it is given.
class CountSink {
 public:
  bool Full() const { return false; }
  void Put(std::string_view s) { size_ += s.size(); }
  size_t PutText(std::string_view text) {
    size_ += EscapedTextSize(text);
    return text.size();
  }
  uint64_t size() const { return size_; }

 private:
  uint64_t size_ = 0;
};

// Writes into [w, end); the rest of a piece that does not fit goes to
// `pending`, and the sink is then full.
class WriteSink {
 public:
  WriteSink(char* w, char* end, std::string& pending) : w_(w), end_(end), pending_(pending) {}

  bool Full() const { return w_ == end_; }
  void Put(std::string_view s) {
    const size_t n = std::min(s.size(), static_cast<size_t>(end_ - w_));
    std::memcpy(w_, s.data(), n);
    w_ += n;
    if (n < s.size()) pending_.append(s.substr(n));
  }
  // Escapes as much of `text` as there is room for; returns the bytes of
  // `text` used. A byte whose escape does not fit whole is used too: the
  // escape goes out in part, the rest waits.
  size_t PutText(std::string_view text) {
    size_t used = EscapeText(text, w_, end_);
    if (used < text.size() && w_ != end_) {
      const Escape& e = kTextEscapes[static_cast<unsigned char>(text[used])];
      assert(e.size > 0 && "a plain byte fits while there is room");
      Put(std::string_view(e.text, e.size));
      ++used;
    }
    return used;
  }
  char* w() const { return w_; }

 private:
  char* w_;
  char* const end_;
  std::string& pending_;
};

}  // namespace

template <class Sink>
void MarkupWriter::Run(const Tree& tree, Cursor& c, Sink& sink) {
  while (c.phase != Phase::kDone && !sink.Full()) {
    switch (c.phase) {
      case Phase::kProlog:
        sink.Put(kProlog);
        c.node = tree.root;
        c.phase = c.node != nullptr ? Phase::kOpen : Phase::kDone;
        break;
      case Phase::kOpen:
        Open(tree, c, sink);
        break;
      case Phase::kText: {
        const std::string_view text = c.node->Data();
        c.text_pos += sink.PutText(text.substr(c.text_pos));
        if (c.text_pos < text.size()) break;
        c.text_pos = 0;
        if (c.node->kind == Kind::kElement) {
          c.phase = Phase::kClose;
        } else {
          Advance(tree, c, sink);
        }
        break;
      }
      case Phase::kClose:
        sink.Put(c.node->name->close);
        Advance(tree, c, sink);
        break;
      case Phase::kDone:
        break;
    }
  }
}

template <class Sink>
void MarkupWriter::Open(const Tree& tree, Cursor& c, Sink& sink) {
  const Node* n = c.node;
  switch (n->kind) {
    case Kind::kElement:
      sink.Put(n->name->open);
      for (const DeclLink* d = n->decls(); d != nullptr; d = d->next) sink.Put(d->decl->markup);
      for (const Attr* a = n->attrs(); a != nullptr; a = a->next) sink.Put(a->markup);
      if (n->text_only) {
        sink.Put(">");
        c.phase = Phase::kText;
      } else if (n->first_child != nullptr) {
        sink.Put(">");
        c.node = n->first_child;
      } else {
        sink.Put("/>");
        Advance(tree, c, sink);
      }
      return;
    case Kind::kText:
      c.phase = Phase::kText;
      return;
    case Kind::kCData:
      sink.Put("<![CDATA[");
      sink.Put(n->Data());
      sink.Put("]]>");
      break;
    case Kind::kComment:
      sink.Put("<!--");
      sink.Put(n->Data());
      sink.Put("-->");
      break;
    case Kind::kProcessingInstruction:
      sink.Put("<?");
      sink.Put(n->name->local);
      if (n->size > 0) {
        sink.Put(" ");
        sink.Put(n->Data());
      }
      sink.Put("?>");
      break;
    case Kind::kEntityRef:
      sink.Put("&");
      sink.Put(n->Data());
      sink.Put(";");
      break;
  }
  Advance(tree, c, sink);
}

// Moves past the node at the cursor: to its next sibling, else to the end
// of its parent; after the document element, a line break ends the bytes.
template <class Sink>
void MarkupWriter::Advance(const Tree& tree, Cursor& c, Sink& sink) {
  const Node* n = c.node;
  if (n == tree.root) {
    sink.Put("\n");
    c.phase = Phase::kDone;
  } else if (n->next != nullptr) {
    c.node = n->next;
    c.phase = Phase::kOpen;
  } else {
    c.node = n->parent;
    c.phase = Phase::kClose;
  }
}

uint64_t MarkupWriter::Size() const {
  Cursor c;
  CountSink sink;
  Run(tree_, c, sink);
  return sink.size();
}

size_t MarkupWriter::Read(char* dst, size_t max) {
  size_t n = std::min(max, pending_.size() - pending_pos_);
  std::memcpy(dst, pending_.data() + pending_pos_, n);
  pending_pos_ += n;
  if (pending_pos_ < pending_.size()) return n;
  pending_.clear();
  pending_pos_ = 0;
  WriteSink sink(dst + n, dst + max, pending_);
  Run(tree_, cursor_, sink);
  return static_cast<size_t>(sink.w() - dst);
}

void MarkupWriter::Rewind() {
  cursor_ = Cursor();
  pending_.clear();
  pending_pos_ = 0;
}

}  // namespace vorn::xml::out
