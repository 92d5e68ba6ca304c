#include "soap/xml/xml_document.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>

#include <algorithm>
#include <array>
#include <climits>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <cstring>
#include <mutex>
#include <unordered_map>
#include <utility>

#include "base/prefault.h"
#include "soap/xml/xml_errors.h"

namespace vorn::xml {
namespace {

const xmlChar* X(const char* s) { return reinterpret_cast<const xmlChar*>(s); }
const char* C(const xmlChar* s) { return reinterpret_cast<const char*>(s); }
std::string Str(const xmlChar* s) { return s != nullptr ? std::string(C(s)) : std::string(); }
bool Same(const xmlChar* a, std::string_view b) { return std::string_view(a ? C(a) : "") == b; }

struct XmlFree {
  void operator()(xmlChar* p) const { xmlFree(p); }
};
using XmlString = std::unique_ptr<xmlChar, XmlFree>;

constexpr const char kXmlNamespace[] = "http://www.w3.org/XML/1998/namespace";

void InitLibrary() {
  static std::once_flag once;
  std::call_once(once, [] { xmlInitParser(); });
}

bool IsElement(const xmlNode* n) { return n != nullptr && n->type == XML_ELEMENT_NODE; }

bool HoldsChildren(const xmlNode* n) {
  return n != nullptr && (n->type == XML_ELEMENT_NODE || n->type == XML_DOCUMENT_NODE ||
                          n->type == XML_DOCUMENT_FRAG_NODE);
}

// --- Texts held by reference ----------------------------------------------
// A text set with SetTextRef stays in the caller's string: the tree holds an
// empty text node, and the document's table (hung on xmlDoc::_private) maps
// that node to the caller's text. This keeps a large invoice from being
// copied (and its pages touched) once more while a request is built.

using ExternalTexts = std::unordered_map<const xmlNode*, std::string_view>;

ExternalTexts* ExternalsOf(const xmlNode* n) {
  return n != nullptr && n->doc != nullptr ? static_cast<ExternalTexts*>(n->doc->_private)
                                           : nullptr;
}

// The character data of a text, CDATA or comment node.
std::string_view ContentOf(const xmlNode* n) {
  if (const ExternalTexts* ext = ExternalsOf(n); ext != nullptr && !ext->empty()) {
    if (auto it = ext->find(n); it != ext->end()) return it->second;
  }
  return n->content != nullptr ? std::string_view(C(n->content)) : std::string_view();
}

// Drops the table entries of `node` and its descendants before they are freed.
void ForgetExternals(const xmlNode* node) {
  ExternalTexts* ext = ExternalsOf(node);
  if (ext == nullptr || ext->empty()) return;
  ext->erase(node);
  if (HoldsChildren(node)) {
    for (const xmlNode* c = node->children; c != nullptr; c = c->next) ForgetExternals(c);
  }
}

// Gives the copies of referenced texts in `copy` (a copy of `from`) their
// own content, since the copy lives in another document.
void CopyExternals(const xmlNode* from, xmlNode* copy) {
  if (from->type == XML_TEXT_NODE) {
    const std::string_view text = ContentOf(from);
    if (from->content != nullptr && text.data() != C(from->content)) {
      xmlNodeSetContentLen(copy, X(text.data()), static_cast<int>(text.size()));
    }
    return;
  }
  if (!HoldsChildren(from)) return;
  xmlNode* c = copy->children;
  for (const xmlNode* f = from->children; f != nullptr && c != nullptr; f = f->next, c = c->next) {
    CopyExternals(f, c);
  }
}

// Without entity substitution the parser keeps every "&" of a namespace
// declaration's value as the text "&#38;" (and only there: attribute and
// text values are decoded). Puts the "&" back so namespace names are the
// declared ones. Every literal "&" became "&#38;", so the replacement is exact.
void RestoreAmpersands(xmlNode* node) {
  for (; node != nullptr; node = node->next) {
    if (node->type != XML_ELEMENT_NODE) continue;
    for (xmlNs* ns = node->nsDef; ns != nullptr; ns = ns->next) {
      if (ns->href == nullptr || std::strstr(C(ns->href), "&#38;") == nullptr) continue;
      std::string href(C(ns->href));
      for (size_t at = href.find("&#38;"); at != std::string::npos;
           at = href.find("&#38;", at + 1)) {
        href.replace(at, 5, "&");
      }
      xmlChar* copy = xmlStrdup(X(href.c_str()));
      if (copy == nullptr) throw EOutOfMemory();
      xmlFree(const_cast<xmlChar*>(ns->href));
      ns->href = copy;
    }
    RestoreAmpersands(node->children);
  }
}

// --- Namespace scope ------------------------------------------------------
// The meaning of a serialized element depends only on the declarations
// (nsDef) written on it and its ancestors, so scope is computed from those.

// The declaration of `prefix` (nullptr: the default) in force at `node`.
xmlNs* DeclarationInScope(xmlNode* node, const xmlChar* prefix) {
  for (xmlNode* n = node; n != nullptr; n = n->parent) {
    if (n->type != XML_ELEMENT_NODE) continue;
    for (xmlNs* ns = n->nsDef; ns != nullptr; ns = ns->next) {
      if (prefix == nullptr ? ns->prefix == nullptr : xmlStrEqual(ns->prefix, prefix)) return ns;
    }
  }
  return nullptr;
}

// The URI that `prefix` resolves to at `node`; "" when unbound.
std::string_view ResolvedUri(xmlNode* node, const xmlChar* prefix) {
  if (prefix != nullptr && xmlStrEqual(prefix, X("xml"))) return kXmlNamespace;
  xmlNs* ns = DeclarationInScope(node, prefix);
  return ns != nullptr && ns->href != nullptr ? C(ns->href) : "";
}

// The nearest declaration of `uri` at `node` that no nearer declaration of
// its prefix hides; with `prefixed_only`, default declarations are skipped.
xmlNs* BindingOf(xmlNode* node, std::string_view uri, bool prefixed_only) {
  if (uri.empty()) return nullptr;
  for (xmlNode* n = node; n != nullptr; n = n->parent) {
    if (n->type != XML_ELEMENT_NODE) continue;
    for (xmlNs* ns = n->nsDef; ns != nullptr; ns = ns->next) {
      if (!Same(ns->href, uri) || (prefixed_only && ns->prefix == nullptr)) continue;
      if (DeclarationInScope(node, ns->prefix) == ns) return ns;
    }
  }
  return nullptr;
}

xmlNs* Declare(xmlNode* element, std::string_view uri, const xmlChar* prefix) {
  std::string href(uri);
  xmlNs* ns = xmlNewNs(element, X(href.c_str()), prefix);
  if (ns == nullptr) {
    throw DOMException("Cannot declare namespace \"" + href + "\" on element \"" +
                       Str(element->name) + "\"");
  }
  return ns;
}

// Makes the element, as written out, mean what the tree says: its prefix
// (or the default namespace) resolves to its namespace URI, and the prefix
// of each namespaced attribute resolves to that attribute's URI.
void KeepMeaning(xmlNode* element) {
  const xmlChar* prefix = element->ns != nullptr ? element->ns->prefix : nullptr;
  std::string_view uri =
      element->ns != nullptr && element->ns->href != nullptr ? C(element->ns->href) : "";
  if (ResolvedUri(element, prefix) != uri) {
    xmlNs* ns = Declare(element, uri, prefix);
    element->ns = uri.empty() ? nullptr : ns;
  }
  for (xmlAttr* a = element->properties; a != nullptr; a = a->next) {
    if (a->ns == nullptr || a->ns->prefix == nullptr) continue;
    std::string_view attr_uri = a->ns->href != nullptr ? C(a->ns->href) : "";
    if (ResolvedUri(element, a->ns->prefix) != attr_uri) {
      a->ns = Declare(element, attr_uri, a->ns->prefix);
    }
  }
}

void KeepMeaningOfTree(xmlNode* node) {
  if (!IsElement(node)) return;
  KeepMeaning(node);
  for (xmlNode* c = node->children; c != nullptr; c = c->next) KeepMeaningOfTree(c);
}

// --- Serialization ----------------------------------------------------------

// Keeps libxml2's own error printing off standard error while a call runs.
class QuietErrors {
 public:
  QuietErrors(void* context, xmlStructuredErrorFunc handler)
      : old_handler_(xmlStructuredError), old_context_(xmlStructuredErrorContext) {
    xmlSetStructuredErrorFunc(context, handler);
  }
  ~QuietErrors() { xmlSetStructuredErrorFunc(old_context_, old_handler_); }
  QuietErrors(const QuietErrors&) = delete;
  QuietErrors& operator=(const QuietErrors&) = delete;

 private:
  xmlStructuredErrorFunc old_handler_;
  void* old_context_;
};

// Replacement text per byte (length 0: the byte is written as it is). Each
// entry is padded to 8 bytes so it is stored with one fixed-size copy.
struct Escape {
  char text[8];
  uint8_t size;
};
using EscapeTable = std::array<Escape, 256>;

constexpr EscapeTable MakeEscapeTable(bool attribute) {
  EscapeTable t{};
  const auto set = [&t](unsigned char c, std::string_view text) {
    for (size_t i = 0; i < text.size(); ++i) t[c].text[i] = text[i];
    t[c].size = static_cast<uint8_t>(text.size());
  };
  set('<', "&lt;");
  set('>', "&gt;");
  set('&', "&amp;");
  set('\r', "&#13;");
  if (attribute) {
    set('"', "&quot;");
    set('\n', "&#10;");
    set('\t', "&#9;");
  }
  return t;
}
constexpr EscapeTable kTextEscapes = MakeEscapeTable(false);
constexpr EscapeTable kAttributeEscapes = MakeEscapeTable(true);

// Writes the escape of `c` at `w` (8 bytes of room) and returns the end.
inline char* PutEscape(const EscapeTable& table, unsigned char c, char* w) {
  const Escape& e = table[c];
  std::memcpy(w, e.text, sizeof e.text);
  return w + e.size;
}

// Writes nodes as UTF-8 markup into one buffer that grows rarely: the text
// of a large invoice is escaped in place with a table lookup per byte, with
// no intermediate copies. Non-ASCII characters are written as they are.
class Serializer {
 public:
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

  void Node(const xmlNode* node) {
    switch (node->type) {
      case XML_ELEMENT_NODE:
        Element(node);
        break;
      case XML_TEXT_NODE:
        Escaped(ContentOf(node), kTextEscapes);
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
          Node(c);
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
  static constexpr size_t kChunk = 4 * 1024;
  static constexpr size_t kLongestEscape = 8;
  static constexpr size_t kPrefaultSize = 1 << 20;

  // Makes room for `n` more bytes.
  void Room(size_t n) {
    if (pos_ + n > buf_.size()) buf_.resize(std::max(buf_.size() * 2, pos_ + n));
  }

  void Escaped(const xmlChar* text, const EscapeTable& table) {
    if (text != nullptr) Escaped(std::string_view(C(text)), table);
  }

  void Escaped(std::string_view text, const EscapeTable& table) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    size_t n = text.size();
    while (n > 0) {
      const size_t chunk = std::min(n, kChunk);
      // Room for every byte escaped, plus one block written ahead.
      Room(chunk * kLongestEscape + 16);
      char* w = buf_.data() + pos_;
      const unsigned char* end = p + chunk;
      if (&table == &kTextEscapes) p = EscapeTextBlocks(p, end, w);
      for (; p < end; ++p) {
        if (table[*p].size == 0) {
          *w++ = static_cast<char>(*p);
        } else {
          w = PutEscape(table, *p, w);
        }
      }
      pos_ = static_cast<size_t>(w - buf_.data());
      n -= chunk;
    }
  }

  // Text content, 16 bytes at a time: a block without <, >, & or CR is
  // copied whole; otherwise its bytes up to the first such character are
  // kept and that character is escaped. Returns where the byte-wise tail
  // starts (fewer than 16 bytes before `end`). REQUIRES: 16 bytes of room
  // beyond the escaped text at `w`.
  static const unsigned char* EscapeTextBlocks(const unsigned char* p, const unsigned char* end,
                                               char*& w) {
#if defined(__SSE2__)
    const __m128i lt = _mm_set1_epi8('<');
    const __m128i gt = _mm_set1_epi8('>');
    const __m128i amp = _mm_set1_epi8('&');
    const __m128i cr = _mm_set1_epi8('\r');
    while (end - p >= 16) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      const __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, lt), _mm_cmpeq_epi8(v, gt)),
                                       _mm_or_si128(_mm_cmpeq_epi8(v, amp), _mm_cmpeq_epi8(v, cr)));
      const int mask = _mm_movemask_epi8(hit);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(w), v);
      if (mask == 0) {
        p += 16;
        w += 16;
        continue;
      }
      const int k = __builtin_ctz(static_cast<unsigned>(mask));
      p += k;
      w += k;
      w = PutEscape(kTextEscapes, *p++, w);
    }
#else
    (void)end;
    (void)w;
#endif
    return p;
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
    for (const xmlNode* c = node->children; c != nullptr; c = c->next) Node(c);
    Raw("</");
    Name(node->ns, node->name);
    Raw(">");
  }

  std::string buf_;
  size_t pos_ = 0;
};

// A guess at the serialized size of `node`, so the output buffer is
// allocated about once: its character data plus room for escapes and markup.
size_t SizeGuess(const xmlNode* node) {
  size_t size = 64;
  if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE ||
      node->type == XML_COMMENT_NODE) {
    const size_t len = ContentOf(node).size();
    return size + len + len / 2;
  }
  if (HoldsChildren(node)) {
    for (const xmlNode* c = node->children; c != nullptr; c = c->next) size += SizeGuess(c);
  }
  return size;
}

// `prefix` followed by `node` (a whole document when it is the document
// node) as UTF-8 markup.
std::string SaveNode(xmlNode* node, std::string_view prefix) {
  Serializer out(prefix.size() + SizeGuess(node));
  out.Raw(prefix);
  out.Node(node);
  return out.Take();
}

// --- Parsing ---------------------------------------------------------------

struct ParseState {
  xmlParserCtxtPtr ctxt = nullptr;
  bool failed = false;
  std::string reason;
  int line = 0;
  int column = 0;
  std::string encoding;  // the parser's decoder when the failure was met

  void Fail(std::string why, int at_line, int at_column) {
    if (failed) return;  // the first error is the one reported
    failed = true;
    reason = std::move(why);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r')) reason.pop_back();
    xmlParserInputPtr in = ctxt->input;
    line = at_line > 0 ? at_line : (in != nullptr ? in->line : 0);
    column = at_column > 0 ? at_column : (in != nullptr ? in->col : 0);
    if (in != nullptr && in->buf != nullptr && in->buf->encoder != nullptr) {
      encoding = in->buf->encoder->name;
    }
  }
};

void RecordError(ParseState* state, xmlErrorPtr error) {
  if (error == nullptr || error->level < XML_ERR_ERROR) return;
  state->Fail(error->message != nullptr ? error->message : "Invalid XML document", error->line,
              error->int2);
}

// Errors raised with the parser context (most of them).
void OnParserError(void* user_data, xmlErrorPtr error) {
  auto* ctxt = static_cast<xmlParserCtxtPtr>(user_data);
  RecordError(static_cast<ParseState*>(ctxt->_private), error);
}

// Errors raised without it (input decoding).
void OnGlobalError(void* state, xmlErrorPtr error) {
  RecordError(static_cast<ParseState*>(state), error);
}

// A document type declaration ends the parse before its internal subset is
// read, so entity declarations cost nothing.
void RefuseDoctype(void* user_data, const xmlChar*, const xmlChar*, const xmlChar*) {
  auto* ctxt = static_cast<xmlParserCtxtPtr>(user_data);
  static_cast<ParseState*>(ctxt->_private)->Fail("DTD is prohibited", 0, 0);
  xmlStopParser(ctxt);
}

// The input decoded to UTF-8 with the decoder the parser used; as much as
// decodes. Used only to quote the failing line.
std::string DecodeInput(std::string_view bytes, const std::string& encoding) {
  if (encoding.empty() || encoding == "UTF-8") return std::string(bytes);
  xmlCharEncodingHandlerPtr handler = xmlFindCharEncodingHandler(encoding.c_str());
  if (handler == nullptr) return std::string(bytes);
  std::string text;
  xmlBufferPtr in = xmlBufferCreateSize(bytes.size() + 1);
  xmlBufferPtr out = xmlBufferCreateSize(bytes.size() * 2 + 16);
  if (in != nullptr && out != nullptr &&
      xmlBufferAdd(in, X(bytes.data()), static_cast<int>(bytes.size())) == 0) {
    xmlCharEncInFunc(handler, out, in);  // a decoding error keeps what came before it
    text.assign(C(xmlBufferContent(out)), static_cast<size_t>(xmlBufferLength(out)));
  }
  xmlBufferFree(in);
  xmlBufferFree(out);
  xmlCharEncCloseFunc(handler);
  return text;
}

// Length of the UTF-8 sequence at `s[i]`, 0 when it is not a valid one.
size_t Utf8Length(std::string_view s, size_t i) {
  auto b = static_cast<unsigned char>(s[i]);
  size_t n = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 0;
  if (n == 0 || i + n > s.size()) return 0;
  for (size_t k = 1; k < n; ++k) {
    if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 0;
  }
  return n;
}

// The first `count` characters of line `line` (1-based) of `text`; an
// invalid byte counts as one character and becomes U+FFFD.
std::string LineStart(std::string_view text, int line, size_t count) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  for (int l = 1; l < line; ++l) {
    size_t nl = text.find('\n');
    if (nl == std::string_view::npos) return "";
    text.remove_prefix(nl + 1);
  }
  text = text.substr(0, text.find('\n'));
  if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
  std::string out;
  for (size_t i = 0, chars = 0; i < text.size() && chars < count; ++chars) {
    size_t n = Utf8Length(text, i);
    out += n == 0 ? std::string_view("\xEF\xBF\xBD") : text.substr(i, n);
    i += n == 0 ? 1 : n;
  }
  return out;
}

[[noreturn]] void ThrowParseError(const ParseState& state, std::string_view bytes) {
  std::string src = LineStart(DecodeInput(bytes, state.encoding), state.line, 40);
  std::string message = state.reason + "\r\nLine: " + std::to_string(state.line) + "\r\n" + src;
  throw EDOMParseError(std::move(message), state.reason, state.line, state.column, std::move(src));
}

struct CtxtFree {
  void operator()(xmlParserCtxtPtr c) const { xmlFreeParserCtxt(c); }
};

}  // namespace

// --- Node ------------------------------------------------------------------

NodeKind Node::Kind() const {
  if (node_ == nullptr) return NodeKind::Other;
  switch (node_->type) {
    case XML_ELEMENT_NODE:
      return NodeKind::Element;
    case XML_ATTRIBUTE_NODE:
      return NodeKind::Attribute;
    case XML_TEXT_NODE:
      return NodeKind::Text;
    case XML_CDATA_SECTION_NODE:
      return NodeKind::CData;
    case XML_COMMENT_NODE:
      return NodeKind::Comment;
    case XML_PI_NODE:
      return NodeKind::ProcessingInstruction;
    case XML_ENTITY_REF_NODE:
      return NodeKind::EntityReference;
    case XML_DOCUMENT_FRAG_NODE:
      return NodeKind::DocumentFragment;
    case XML_DOCUMENT_NODE:
      return NodeKind::Document;
    default:
      return NodeKind::Other;
  }
}

std::string Node::LocalName() const {
  switch (Kind()) {
    case NodeKind::Element:
    case NodeKind::Attribute:
    case NodeKind::ProcessingInstruction:
    case NodeKind::EntityReference:
      return Str(node_->name);
    default:
      return "";
  }
}

// Only elements and attributes carry a namespace; xmlAttr shares xmlNode's
// leading members up to `ns`.
std::string Node::NamespaceURI() const {
  if (node_ == nullptr || (node_->type != XML_ELEMENT_NODE && node_->type != XML_ATTRIBUTE_NODE)) {
    return "";
  }
  return node_->ns != nullptr ? Str(node_->ns->href) : "";
}

std::string Node::Prefix() const {
  if (node_ == nullptr || (node_->type != XML_ELEMENT_NODE && node_->type != XML_ATTRIBUTE_NODE)) {
    return "";
  }
  return node_->ns != nullptr ? Str(node_->ns->prefix) : "";
}

std::string Node::Name() const {
  std::string prefix = Prefix();
  return prefix.empty() ? LocalName() : prefix + ":" + LocalName();
}

Node Node::Parent() const { return Node(node_ != nullptr ? node_->parent : nullptr); }

Node Node::FirstChild() const { return Node(HoldsChildren(node_) ? node_->children : nullptr); }

Node Node::NextSibling() const {
  if (node_ == nullptr || node_->type == XML_DOCUMENT_NODE) return Node();
  if (node_->type == XML_ATTRIBUTE_NODE) {
    return Node(reinterpret_cast<xmlNode*>(reinterpret_cast<xmlAttr*>(node_)->next));
  }
  return Node(node_->next);
}

Node Node::FirstElementChild() const {
  Node c = FirstChild();
  return c.Kind() == NodeKind::Element ? c : c.NextElementSibling();
}

Node Node::NextElementSibling() const {
  if (Kind() == NodeKind::Attribute) return Node();
  Node n = NextSibling();
  while (n && n.Kind() != NodeKind::Element) n = n.NextSibling();
  return n;
}

bool Node::HasChildNodes() const { return static_cast<bool>(FirstChild()); }

size_t Node::ChildCount() const {
  size_t count = 0;
  for (Node c = FirstChild(); c; c = c.NextSibling()) ++count;
  return count;
}

NodeRange Node::Children() const { return NodeRange(FirstChild()); }

Node Node::FirstAttribute() const {
  if (!IsElement(node_)) return Node();
  return Node(reinterpret_cast<xmlNode*>(node_->properties));
}

bool Node::GetAttribute(std::string_view local, std::string_view ns, std::string& value) const {
  if (!IsElement(node_)) return false;
  for (xmlAttr* a = node_->properties; a != nullptr; a = a->next) {
    if (!Same(a->name, local)) continue;
    if (!Same(a->ns != nullptr ? a->ns->href : nullptr, ns)) continue;
    value = Node(reinterpret_cast<xmlNode*>(a)).Value();
    return true;
  }
  return false;
}

std::string Node::Value() const {
  switch (Kind()) {
    case NodeKind::Text:
    case NodeKind::CData:
    case NodeKind::Comment:
      return std::string(ContentOf(node_));
    case NodeKind::ProcessingInstruction:
      return Str(node_->content);
    case NodeKind::Attribute: {
      xmlNode* only = node_->children;
      if (only != nullptr && only->next == nullptr && only->type == XML_TEXT_NODE) {
        return Str(only->content);
      }
      XmlString content(xmlNodeGetContent(node_));
      return Str(content.get());
    }
    default:
      return "";
  }
}

std::string Node::Text() const {
  if (!HoldsChildren(node_)) return Value();
  xmlNode* first = node_->children;
  if (first != nullptr && first->next == nullptr && first->type == XML_TEXT_NODE) {
    return std::string(ContentOf(first));
  }
  std::string text;
  for (xmlNode* c = first; c != nullptr; c = c->next) text += Node(c).Xml();
  return text;
}

std::string Node::Xml() const {
  if (node_ == nullptr || node_->doc == nullptr) return "";
  if (node_->type == XML_DOCUMENT_NODE) {
    return SaveNode(node_, "<?xml version=\"1.0\"?>\n");
  }
  return SaveNode(node_, "");
}

std::string Node::LookupNamespaceURI(std::string_view prefix) const {
  if (node_ == nullptr) return "";
  xmlNode* scope = node_->type == XML_ATTRIBUTE_NODE ? node_->parent : node_;
  std::string p(prefix);
  return std::string(ResolvedUri(scope, prefix.empty() ? nullptr : X(p.c_str())));
}

// --- Document --------------------------------------------------------------

void Document::DocDeleter::operator()(_xmlDoc* doc) const {
  delete static_cast<ExternalTexts*>(doc->_private);
  xmlFreeDoc(doc);
}

Document::Document(_xmlDoc* doc) : doc_(doc) {}
Document::Document(Document&&) noexcept = default;
Document& Document::operator=(Document&&) noexcept = default;
Document::~Document() = default;

Document Document::New() {
  InitLibrary();
  xmlDocPtr doc = xmlNewDoc(X("1.0"));
  if (doc == nullptr) throw EOutOfMemory();
  return Document(doc);
}

Document Document::Parse(std::string_view bytes) {
  InitLibrary();
  if (bytes.size() > static_cast<size_t>(INT_MAX)) {
    throw DOMException("The XML document is too large to be parsed");
  }
  std::unique_ptr<xmlParserCtxt, CtxtFree> ctxt(xmlNewParserCtxt());
  if (ctxt == nullptr) throw EOutOfMemory();
  ParseState state;
  state.ctxt = ctxt.get();
  ctxt->_private = &state;
  ctxt->sax->serror = OnParserError;
  ctxt->sax->internalSubset = RefuseDoctype;
  QuietErrors quiet(&state, OnGlobalError);
  xmlDocPtr parsed = xmlCtxtReadMemory(ctxt.get(), bytes.data(), static_cast<int>(bytes.size()),
                                       nullptr, nullptr, XML_PARSE_NONET | XML_PARSE_NOBLANKS);
  Document doc(parsed);
  if (parsed == nullptr && !state.failed) state.Fail("Invalid XML document", 0, 0);
  if (state.failed) ThrowParseError(state, bytes);
  RestoreAmpersands(xmlDocGetRootElement(parsed));
  return doc;
}

Node Document::DocumentElement() const { return Node(xmlDocGetRootElement(doc_.get())); }

Node Document::Root() const { return Node(reinterpret_cast<xmlNode*>(doc_.get())); }

Node Document::AddElement(Node parent, std::string_view qualified_name, std::string_view ns_uri) {
  std::string qname(qualified_name);
  if (qname.empty() || xmlValidateQName(X(qname.c_str()), 0) != 0) {
    throw DOMException("Invalid element name \"" + qname + "\"");
  }
  size_t colon = qname.find(':');
  std::string prefix = colon == std::string::npos ? "" : qname.substr(0, colon);
  std::string local = colon == std::string::npos ? qname : qname.substr(colon + 1);
  if (!prefix.empty() && ns_uri.empty()) {
    throw DOMException("Element \"" + qname + "\" has a prefix but no namespace");
  }
  xmlNode* at = parent ? parent.Raw() : Root().Raw();
  if (!HoldsChildren(at) || at->type == XML_DOCUMENT_FRAG_NODE) {
    throw DOMException("Cannot add element \"" + qname + "\" here");
  }
  if (at->type == XML_DOCUMENT_NODE && DocumentElement()) {
    throw DOMException("The document already has a document element");
  }
  xmlNode* element = xmlNewDocNode(doc_.get(), nullptr, X(local.c_str()), nullptr);
  if (element == nullptr) throw EOutOfMemory();
  xmlAddChild(at, element);
  const xmlChar* p = prefix.empty() ? nullptr : X(prefix.c_str());
  if (!ns_uri.empty()) {
    xmlNs* ns = DeclarationInScope(at, p);
    element->ns = ns != nullptr && Same(ns->href, ns_uri) ? ns : Declare(element, ns_uri, p);
  } else {
    KeepMeaning(element);
  }
  return Node(element);
}

void Document::DeclareNamespace(Node element, std::string_view prefix, std::string_view uri) {
  xmlNode* e = element.Raw();
  if (!IsElement(e)) throw DOMException("Namespaces are declared on elements only");
  if (prefix == "xml" || prefix == "xmlns" || (!prefix.empty() && uri.empty())) {
    throw DOMException("Invalid namespace declaration for prefix \"" + std::string(prefix) + "\"");
  }
  std::string p(prefix);
  const xmlChar* px = prefix.empty() ? nullptr : X(p.c_str());
  for (xmlNs* ns = e->nsDef; ns != nullptr; ns = ns->next) {
    bool same_prefix = px == nullptr ? ns->prefix == nullptr : xmlStrEqual(ns->prefix, px);
    if (!same_prefix) continue;
    if (Same(ns->href, uri)) return;
    throw DOMException("Prefix \"" + p + "\" is already declared on element \"" + element.Name() +
                       "\"");
  }
  Declare(e, uri, px);
}

bool Document::FindPrefix(Node element, std::string_view uri, std::string& prefix) const {
  xmlNs* ns = BindingOf(element.Raw(), uri, false);
  if (ns == nullptr) return false;
  prefix = Str(ns->prefix);
  return true;
}

std::string Document::NewPrefix(Node scope) {
  for (;;) {
    std::string prefix = "NS" + std::to_string(++prefix_counter_);
    if (!scope || DeclarationInScope(scope.Raw(), X(prefix.c_str())) == nullptr) return prefix;
  }
}

void Document::SetAttribute(Node element, std::string_view name, std::string_view value) {
  if (name == "xmlns") return DeclareNamespace(element, "", value);
  if (name.substr(0, 6) == "xmlns:") return DeclareNamespace(element, name.substr(6), value);
  if (!IsElement(element.Raw())) throw DOMException("Attributes are set on elements only");
  std::string n(name), v(value);
  if (xmlValidateQName(X(n.c_str()), 0) != 0) {
    throw DOMException("Invalid attribute name \"" + n + "\"");
  }
  // xmlSetNsProp with no namespace: xmlSetProp would bind a "p:" name.
  if (xmlSetNsProp(element.Raw(), nullptr, X(n.c_str()), X(v.c_str())) == nullptr) {
    throw EOutOfMemory();
  }
}

void Document::SetAttributeNS(Node element, std::string_view local, std::string_view ns_uri,
                              std::string_view value) {
  if (ns_uri.empty()) return SetAttribute(element, local, value);
  if (!IsElement(element.Raw())) throw DOMException("Attributes are set on elements only");
  xmlNs* ns = BindingOf(element.Raw(), ns_uri, true);
  if (ns == nullptr) {
    throw DOMException("No prefix is declared for namespace \"" + std::string(ns_uri) + "\"");
  }
  std::string n(local), v(value);
  if (xmlSetNsProp(element.Raw(), ns, X(n.c_str()), X(v.c_str())) == nullptr) {
    throw EOutOfMemory();
  }
}

void Document::SetText(Node element, std::string_view text) {
  xmlNode* e = element.Raw();
  if (!IsElement(e)) throw DOMException("Text is set on elements only");
  if (text.size() > static_cast<size_t>(INT_MAX)) throw DOMException("Text too long");
  xmlNode* node = xmlNewDocTextLen(doc_.get(), X(text.data()), static_cast<int>(text.size()));
  if (node == nullptr) throw EOutOfMemory();
  ReplaceChildren(e, node);
}

void Document::SetTextRef(Node element, std::string_view text) {
  xmlNode* e = element.Raw();
  if (!IsElement(e)) throw DOMException("Text is set on elements only");
  xmlNode* node = xmlNewDocTextLen(doc_.get(), X(""), 0);
  if (node == nullptr) throw EOutOfMemory();
  auto* ext = static_cast<ExternalTexts*>(doc_->_private);
  if (ext == nullptr) doc_->_private = ext = new ExternalTexts;
  ReplaceChildren(e, node);
  (*ext)[node] = text;
}

void Document::ReplaceChildren(_xmlNode* element, _xmlNode* child) {
  for (const xmlNode* c = element->children; c != nullptr; c = c->next) ForgetExternals(c);
  xmlFreeNodeList(element->children);
  element->children = nullptr;
  element->last = nullptr;
  xmlAddChild(element, child);
}

Node Document::ImportNode(Node parent, Node foreign) {
  xmlNode* at = parent.Raw();
  xmlNode* from = foreign.Raw();
  if (!HoldsChildren(at) || from == nullptr) throw DOMException("Cannot import a node here");
  if (from->type == XML_DOCUMENT_FRAG_NODE) {
    Node first;
    for (xmlNode* c = from->children; c != nullptr; c = c->next) {
      Node added = ImportNode(parent, Node(c));
      if (!first) first = added;
    }
    return first;
  }
  if (from->type == XML_DOCUMENT_NODE || from->type == XML_ATTRIBUTE_NODE) {
    throw DOMException("Cannot import a node of this kind");
  }
  xmlNode* copy = xmlDocCopyNode(from, doc_.get(), 1);
  if (copy == nullptr) throw EOutOfMemory();
  CopyExternals(from, copy);
  xmlNode* added = xmlAddChild(at, copy);  // a text copy may merge and be freed
  if (added == nullptr) {
    xmlFreeNode(copy);
    throw DOMException("Cannot import a node here");
  }
  KeepMeaningOfTree(added);
  return Node(added);
}

std::string Document::Serialize() const {
  return SaveNode(Root().Raw(), "<?xml version=\"1.0\"?>\n");
}

}  // namespace vorn::xml
