#include "soap/xml/serializer.h"

#include <libxml/tree.h>

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <cstring>

#include "base/prefault.h"
#include "soap/xml/escape.h"
#include "soap/xml/library.h"
#include "soap/xml/referenced_texts.h"

namespace vorn::xml {
namespace {

// Writes nodes as UTF-8 markup into one buffer that grows rarely: the text
// of a large invoice is escaped in place with a table lookup per byte, with
// no intermediate copies. Non-ASCII characters are written as they are.
class Serializer {
 public:
  // Texts are escaped this many bytes at a time.
  static constexpr size_t kChunk = 4 * 1024;

  explicit Serializer(size_t size_guess) {
    // Map a large buffer's pages in one go before they are first written.
    const size_t size = size_guess + 64;
    buf_.reserve(size);
    if (size >= kPrefaultSize) PrepareForWriting(buf_.data(), size);
    buf_.resize(size);
  }

  void Raw(std::string_view s) {
    Room(s.size());
    std::memcpy(buf_.data() + pos_, s.data(), s.size());
    pos_ += s.size();
  }

  void Write(const xmlNode* node) {
    switch (node->type) {
      case XML_ELEMENT_NODE:
        Element(node);
        break;
      case XML_TEXT_NODE:
        Escaped(CharacterData(Wrap(node)), kTextEscapes);
        break;
      case XML_CDATA_SECTION_NODE:
        Wrapped("<![CDATA[", node->content, "]]>");
        break;
      case XML_COMMENT_NODE:
        Wrapped("<!--", node->content, "-->");
        break;
      case XML_ENTITY_REF_NODE:
        Raw("&");
        Raw(C(node->name));
        Raw(";");
        break;
      case XML_PI_NODE:
        Raw("<?");
        Raw(C(node->name));
        if (node->content != nullptr && node->content[0] != 0) {
          Raw(" ");
          Raw(C(node->content));
        }
        Raw("?>");
        break;
      case XML_DOCUMENT_NODE:
      case XML_DOCUMENT_FRAG_NODE:
        for (const xmlNode* c = node->children; c != nullptr; c = c->next) {
          Write(c);
          if (node->type == XML_DOCUMENT_NODE) Raw("\n");
        }
        break;
      default:  // declarations and the like never enter a codec document
        break;
    }
  }

  std::string Take() {
    buf_.resize(pos_);
    return std::move(buf_);
  }

 private:
  // Small enough that the room kept for the worst case stays small.
  static constexpr size_t kPrefaultSize = 1 << 20;

  // Makes room for `n` more bytes.
  void Room(size_t n) {
    if (pos_ + n > buf_.size()) buf_.resize(std::max(buf_.size() * 2, pos_ + n));
  }

  void Escaped(const xmlChar* text, const EscapeTable& table) {
    if (text != nullptr) Escaped(std::string_view(C(text)), table);
  }

  void Escaped(std::string_view text, const EscapeTable& table) {
    if (&table == &kTextEscapes) {
      while (!text.empty()) {
        const std::string_view chunk = text.substr(0, kChunk);
        // Room for every byte escaped, plus one block written ahead.
        Room(chunk.size() * kLongestEscape + kEscapeBlockRoom);
        char* w = buf_.data() + pos_;
        const size_t used = EscapeText(chunk, w, buf_.data() + buf_.size());
        assert(used == chunk.size() && "the room made covers every byte escaped");
        pos_ = static_cast<size_t>(w - buf_.data());
        text.remove_prefix(used);
      }
      return;
    }
    Room(text.size() * kLongestEscape + sizeof(Escape::text));
    char* w = buf_.data() + pos_;
    for (const char c : text) {
      const auto b = static_cast<unsigned char>(c);
      if (table[b].size == 0) {
        *w++ = c;
      } else {
        w = PutEscape(table, b, w);
      }
    }
    pos_ = static_cast<size_t>(w - buf_.data());
  }

  void Wrapped(std::string_view open, const xmlChar* content, std::string_view close) {
    Raw(open);
    if (content != nullptr) Raw(C(content));
    Raw(close);
  }

  void Name(const xmlNs* ns, const xmlChar* name) {
    if (ns != nullptr && ns->prefix != nullptr) {
      Raw(C(ns->prefix));
      Raw(":");
    }
    Raw(C(name));
  }

  void Element(const xmlNode* node) {
    Raw("<");
    Name(node->ns, node->name);
    for (const xmlNs* ns = node->nsDef; ns != nullptr; ns = ns->next) {
      Raw(ns->prefix != nullptr ? " xmlns:" : " xmlns");
      if (ns->prefix != nullptr) Raw(C(ns->prefix));
      Raw("=\"");
      Escaped(ns->href, kAttributeEscapes);
      Raw("\"");
    }
    for (const xmlAttr* a = node->properties; a != nullptr; a = a->next) {
      Raw(" ");
      Name(a->ns, a->name);
      Raw("=\"");
      for (const xmlNode* c = a->children; c != nullptr; c = c->next) {
        if (c->type == XML_TEXT_NODE) {
          Escaped(c->content, kAttributeEscapes);
        } else if (c->type == XML_ENTITY_REF_NODE) {
          Raw("&");
          Raw(C(c->name));
          Raw(";");
        }
      }
      Raw("\"");
    }
    if (node->children == nullptr) {
      Raw("/>");
      return;
    }
    Raw(">");
    for (const xmlNode* c = node->children; c != nullptr; c = c->next) Write(c);
    Raw("</");
    Name(node->ns, node->name);
    Raw(">");
  }

  std::string buf_;
  size_t pos_ = 0;
};

// A guess at the serialized size of `node`, so the output buffer is
// allocated about once: texts as escaped (counted, so that a large text
// costs no more than its markup), plus room for the markup around them.
size_t SizeGuess(const xmlNode* node) {
  size_t size = 64;
  if (node->type == XML_TEXT_NODE) return size + EscapedTextSize(CharacterData(Wrap(node)));
  if (node->type == XML_CDATA_SECTION_NODE || node->type == XML_COMMENT_NODE) {
    return size + CharacterData(Wrap(node)).size();
  }
  if (HoldsChildren(Wrap(node))) {
    for (const xmlNode* c = node->children; c != nullptr; c = c->next) size += SizeGuess(c);
  }
  return size;
}

}  // namespace

std::string WriteMarkup(Node node, std::string_view prefix) {
  const xmlNode* n = Unwrap<xmlNode>(node);
  size_t guess = prefix.size() + SizeGuess(n);
  // A text escaped a chunk at a time asks room for the chunk's worst case:
  // the room for the last chunk is added, so that the buffer never doubles
  // near its end.
  if (guess > Serializer::kChunk) guess += Serializer::kChunk * kLongestEscape + kEscapeBlockRoom;
  Serializer out(guess);
  out.Raw(prefix);
  out.Write(n);
  return out.Take();
}

}  // namespace vorn::xml
