#include "soap/xml/output_document.h"

#include <libxml/tree.h>

#include <algorithm>
#include <cassert>
#include <climits>
#include <new>

#include "base/exception.h"
#include "base/prefault.h"
#include "soap/xml/escape.h"
#include "soap/xml/library.h"
#include "soap/xml/output_tree.h"
#include "soap/xml/referenced_texts.h"
#include "soap/xml/xml_errors.h"

namespace vorn::xml {
namespace out {

char* Arena::Grow(size_t size, size_t align) {
  const size_t need = size + align;
  size_t block = std::max(next_block_, need);
  next_block_ = std::min(next_block_ * 2, kMaxBlock);
  const bool huge = block >= kMaxBlock;
  // aligned_alloc wants a size that is a multiple of the alignment.
  const size_t alignment = huge ? kHugePage : 16;
  block = (block + alignment - 1) / alignment * alignment;
  char* memory = static_cast<char*>(std::aligned_alloc(alignment, block));
  if (memory == nullptr) throw std::bad_alloc();
  blocks_.emplace_back(memory);
  cur_ = memory;
  // A large tree fills block after block: map each one's pages in one go
  // rather than one fault at a time.
  if (huge) PrepareForWriting(cur_, block);
  end_ = cur_ + block;
  return reinterpret_cast<char*>((reinterpret_cast<uintptr_t>(cur_) + align - 1) &
                                 ~(uintptr_t{align} - 1));
}

Tree::Tree() { empty = Intern(""); }

const Atom* Tree::Intern(std::string_view text) {
  if (const Atom* a = atoms.Find(text)) return a;
  Atom* a = arena.New<Atom>();
  a->text = arena.Copy(text);
  a->serial = static_cast<uint32_t>(atoms.size() + 1);
  atoms.Insert(a->text, a);
  return a;
}

const Name* Tree::InternName(std::string_view qualified_name) {
  if (const Name* n = names.Find(qualified_name)) return n;
  Name* n = arena.New<Name>();
  const size_t colon = qualified_name.find(':');
  std::string markup = "<" + std::string(qualified_name) + ">";
  n->open_gt = arena.Copy(markup);
  n->open = n->open_gt.substr(0, n->open_gt.size() - 1);
  n->close = arena.Copy("</" + std::string(qualified_name) + ">");
  const std::string_view open_name = n->open.substr(1);
  if (colon == std::string_view::npos) {
    n->local = open_name;
  } else {
    n->prefix = Intern(qualified_name.substr(0, colon));
    n->local = open_name.substr(colon + 1);
  }
  names.Insert(open_name, n);
  return n;
}

const Decl* Tree::InternDecl(const Atom* prefix, const Atom* uri) {
  const uint64_t key = (uint64_t{prefix != nullptr ? prefix->serial : 0} << 32) | uri->serial;
  if (auto it = decls.find(key); it != decls.end()) return it->second;
  Decl* d = arena.New<Decl>();
  d->prefix = prefix;
  d->uri = uri;
  std::string markup = prefix != nullptr ? " xmlns:" + std::string(prefix->text) : " xmlns";
  markup += "=\"";
  AppendAttributeValue(markup, uri->text);
  markup += '"';
  d->markup = arena.Copy(markup);
  decls.emplace(key, d);
  return d;
}

}  // namespace out

namespace {

using out::Atom;
using out::Decl;
using out::DeclLink;
using out::Kind;
using out::Tree;
using ONode = out::Node;

const Decl* DeclOn(const ONode* e, const Atom* prefix) {
  for (const DeclLink* l = e->decls(); l != nullptr; l = l->next) {
    if (l->decl->prefix == prefix) return l->decl;
  }
  return nullptr;
}

// The declaration of `prefix` (null: the default) in force at `node`.
const Decl* DeclarationInScope(const ONode* node, const Atom* prefix) {
  for (const ONode* e = node; e != nullptr; e = e->parent) {
    if (const Decl* d = DeclOn(e, prefix)) return d;
  }
  return nullptr;
}

// The same, with the prefix given as text.
const Decl* DeclarationInScope(const ONode* node, std::string_view prefix) {
  for (const ONode* e = node; e != nullptr; e = e->parent) {
    for (const DeclLink* l = e->decls(); l != nullptr; l = l->next) {
      if (l->decl->prefix != nullptr && l->decl->prefix->text == prefix) return l->decl;
    }
  }
  return nullptr;
}

// The URI that `prefix` resolves to at `node`; "" when unbound.
std::string_view ResolvedUri(const ONode* node, const Atom* prefix) {
  if (prefix != nullptr && prefix->text == "xml") return kXmlNamespace;
  const Decl* d = DeclarationInScope(node, prefix);
  return d != nullptr ? d->uri->text : std::string_view();
}

// The nearest declaration of `uri` at `node` that no nearer declaration of
// its prefix hides; with `prefixed_only`, default declarations are skipped.
const Decl* BindingOf(const ONode* node, const Atom* uri, bool prefixed_only) {
  if (uri->text.empty()) return nullptr;
  for (const ONode* e = node; e != nullptr; e = e->parent) {
    for (const DeclLink* l = e->decls(); l != nullptr; l = l->next) {
      const Decl* d = l->decl;
      if (d->uri != uri || (prefixed_only && d->prefix == nullptr)) continue;
      if (DeclarationInScope(node, d->prefix) == d) return d;
    }
  }
  return nullptr;
}

// The declarations and attributes of an element, made when it gets its
// first one.
out::Extra& ExtraOf(Tree& t, ONode* e) {
  if (e->extra == nullptr) e->extra = t.arena.New<out::Extra>();
  return *e->extra;
}

// Appends a declaration to the element's own ones.
void AppendDecl(Tree& t, ONode* e, const Atom* prefix, const Atom* uri) {
  if (prefix == nullptr) {
    t.scope_node = nullptr;
  } else {
    t.binding_node = nullptr;
  }
  DeclLink* link = t.arena.New<DeclLink>();
  link->decl = t.InternDecl(prefix, uri);
  DeclLink** at = &ExtraOf(t, e).decls;
  while (*at != nullptr) at = &(*at)->next;
  *at = link;
}

// Declares `prefix` (null: the default namespace) for `uri` on the element.
// The prefix "xml", and a prefix the element declares already, cannot be
// declared again.
void Declare(Tree& t, ONode* e, const Atom* prefix, const Atom* uri) {
  if ((prefix != nullptr && prefix->text == "xml") || DeclOn(e, prefix) != nullptr) {
    throw DOMException("Cannot declare namespace \"" + std::string(uri->text) + "\" on element \"" +
                       std::string(e->name->local) + "\"");
  }
  AppendDecl(t, e, prefix, uri);
}

// Puts the new element `e`, in no namespace yet, into namespace `uri` ("" =
// none) under `prefix`: it takes the declaration of the prefix in scope when
// that binds exactly `uri`, and is given its own declaration otherwise. An
// element in no namespace is given xmlns="" when a default namespace is in
// scope.
void PlaceInNamespace(Tree& t, ONode* e, const Atom* prefix, std::string_view uri) {
  // The new element declares nothing yet: what is in force at it is what is
  // in force at its parent.
  const Decl* d;
  if (prefix == nullptr) {
    if (t.scope_node != e->parent || e->parent == nullptr) {
      t.scope_node = e->parent;
      t.scope_default = DeclarationInScope(e->parent, nullptr);
    }
    d = t.scope_default;
  } else {
    d = DeclarationInScope(e, prefix);
  }
  if (uri.empty()) {
    if (d != nullptr && !d->uri->text.empty()) Declare(t, e, nullptr, t.empty);
    return;
  }
  if (d == nullptr || d->uri->text.size() != uri.size() ||
      !out::SameBytes(d->uri->text.data(), uri.data(), uri.size())) {
    Declare(t, e, prefix, t.Intern(uri));
  }
}

// Makes `child` the last child of `parent`. An element whose content was
// one text gets that text as a child node first.
void Append(Tree& t, ONode* parent, ONode* child) {
  if (parent->text_only) {
    ONode* text = t.arena.New<ONode>();
    text->kind = Kind::kText;
    text->data = parent->data;
    text->size = parent->size;
    text->plain = parent->plain;
    text->parent = parent;
    parent->first_child = parent->last_child = text;
    parent->text_only = false;
    parent->data = nullptr;
    parent->size = 0;
  }
  child->parent = parent;
  if (parent->last_child != nullptr) {
    parent->last_child->next = child;
  } else {
    parent->first_child = child;
  }
  parent->last_child = child;
}

uint32_t TextSize(std::string_view text) {
  if (text.size() > static_cast<size_t>(INT_MAX)) throw DOMException("Text too long");
  return static_cast<uint32_t>(text.size());
}

// Sets the attribute `name` in namespace `ns` (null: none), replacing one of
// the same name and namespace; it is written as `written_name`.
void SetAttr(Tree& t, ONode* e, const Atom* ns, std::string_view name,
             std::string_view written_name, std::string_view value) {
  // The same attribute recurs (xsi:nil="true"): its markup is stored once.
  std::string_view markup;
  if (written_name == t.last_attr_name && value == t.last_attr_value) {
    markup = t.last_attr_markup;
  } else {
    t.scratch.assign(" ").append(written_name).append("=\"");
    AppendAttributeValue(t.scratch, value);
    t.scratch += '"';
    markup = t.Intern(t.scratch)->text;
    t.last_attr_name.assign(written_name);
    t.last_attr_value.assign(value);
    t.last_attr_markup = markup;
  }
  out::Attr** at = &ExtraOf(t, e).attrs;
  for (; *at != nullptr; at = &(*at)->next) {
    if ((*at)->ns == ns && (*at)->name == name) {
      (*at)->markup = markup;
      return;
    }
  }
  out::Attr* a = t.arena.New<out::Attr>();
  a->ns = ns;
  a->name = t.Intern(name)->text;
  a->markup = markup;
  *at = a;
}

// BindingOf(e, uri, true), remembered for the elements that declare no
// prefix of their own: for them it is the answer of their parent.
const Decl* PrefixedBindingOf(Tree& t, const ONode* e, const Atom* uri) {
  for (const DeclLink* l = e->decls(); l != nullptr; l = l->next) {
    if (l->decl->prefix != nullptr) return BindingOf(e, uri, true);
  }
  if (e->parent == nullptr) return BindingOf(e, uri, true);
  if (t.binding_node != e->parent || t.binding_uri != uri) {
    t.binding_node = e->parent;
    t.binding_uri = uri;
    t.binding = BindingOf(e->parent, uri, true);
  }
  return t.binding;
}

struct XmlDocFree {
  void operator()(xmlDoc* d) const { xmlFreeDoc(d); }
};
struct XmlNodeFree {
  void operator()(xmlNode* n) const { xmlFreeNode(n); }
};

std::string QualifiedName(const xmlNode* n) {
  if (n->ns != nullptr && n->ns->prefix != nullptr) return Str(n->ns->prefix) + ":" + Str(n->name);
  return Str(n->name);
}

// An attribute's value as it is written: its text escaped, its entity
// references as they are.
std::string AttributeValueMarkup(const xmlAttr* a) {
  std::string value;
  for (const xmlNode* c = a->children; c != nullptr; c = c->next) {
    if (c->type == XML_TEXT_NODE) {
      AppendAttributeValue(value, View(c->content));
    } else if (c->type == XML_ENTITY_REF_NODE) {
      value += "&" + Str(c->name) + ";";
    }
  }
  return value;
}

const Atom* PrefixAtom(Tree& t, const xmlNs* ns) {
  return ns != nullptr && ns->prefix != nullptr ? t.Intern(View(ns->prefix)) : nullptr;
}

// Makes the element, as written out, mean what the copy it was made from
// means: its prefix (or the default namespace) resolves to its namespace
// URI, and the prefix of each namespaced attribute to that attribute's URI.
void KeepMeaning(Tree& t, ONode* e, const xmlNode* from) {
  const Atom* prefix = PrefixAtom(t, from->ns);
  const std::string_view uri = from->ns != nullptr ? View(from->ns->href) : "";
  if (ResolvedUri(e, prefix) != uri) Declare(t, e, prefix, t.Intern(uri));
  for (const xmlAttr* a = from->properties; a != nullptr; a = a->next) {
    if (a->ns == nullptr || a->ns->prefix == nullptr) continue;
    const Atom* attr_prefix = PrefixAtom(t, a->ns);
    const std::string_view attr_uri = View(a->ns->href);
    if (ResolvedUri(e, attr_prefix) != attr_uri) Declare(t, e, attr_prefix, t.Intern(attr_uri));
  }
}

ONode* NewNode(Tree& t, Kind kind, std::string_view data) {
  ONode* n = t.arena.New<ONode>();
  n->kind = kind;
  const std::string_view copy = t.arena.Copy(data);
  n->data = copy.data();
  n->size = TextSize(copy);
  return n;
}

// Appends `text` to the content of `parent`: to its last child when that is
// a text, as a library adds a text after a text.
void AppendMergedText(Tree& t, ONode* parent, std::string_view text) {
  ONode* last = parent->text_only ? parent : parent->last_child;
  if (last != nullptr && (last == parent || last->kind == Kind::kText)) {
    const std::string merged = std::string(last->Data()) + std::string(text);
    const std::string_view copy = t.arena.Copy(merged);
    last->data = copy.data();
    last->size = TextSize(copy);
    last->plain = false;
    return;
  }
  Append(t, parent, NewNode(t, Kind::kText, text));
}

// Appends a copy of `from`, a node of the library's tree, under `parent`,
// keeping the meaning of its elements. At the top of an import a text joins
// a text before it.
void Convert(Tree& t, ONode* parent, const xmlNode* from, bool top) {
  switch (from->type) {
    case XML_TEXT_NODE:
      if (top) {
        AppendMergedText(t, parent, View(from->content));
      } else {
        Append(t, parent, NewNode(t, Kind::kText, View(from->content)));
      }
      return;
    case XML_CDATA_SECTION_NODE:
      Append(t, parent, NewNode(t, Kind::kCData, View(from->content)));
      return;
    case XML_COMMENT_NODE:
      Append(t, parent, NewNode(t, Kind::kComment, View(from->content)));
      return;
    case XML_ENTITY_REF_NODE:
      Append(t, parent, NewNode(t, Kind::kEntityRef, View(from->name)));
      return;
    case XML_PI_NODE: {
      ONode* n = NewNode(t, Kind::kProcessingInstruction, View(from->content));
      out::Name* target = t.arena.New<out::Name>();
      target->local = t.arena.Copy(View(from->name));
      n->name = target;
      Append(t, parent, n);
      return;
    }
    case XML_ELEMENT_NODE: {
      ONode* e = t.arena.New<ONode>();
      e->name = t.InternName(QualifiedName(from));
      for (const xmlNs* ns = from->nsDef; ns != nullptr; ns = ns->next) {
        AppendDecl(t, e, PrefixAtom(t, ns), t.Intern(View(ns->href)));
      }
      out::Attr** at = &ExtraOf(t, e).attrs;
      for (const xmlAttr* a = from->properties; a != nullptr; a = a->next) {
        std::string written = Str(a->name);
        if (a->ns != nullptr && a->ns->prefix != nullptr)
          written = Str(a->ns->prefix) + ":" + written;
        out::Attr* attr = t.arena.New<out::Attr>();
        attr->ns = a->ns != nullptr ? t.Intern(View(a->ns->href)) : nullptr;
        attr->name = t.arena.Copy(View(a->name));
        attr->markup = t.arena.Copy(" " + written + "=\"" + AttributeValueMarkup(a) + "\"");
        *at = attr;
        at = &attr->next;
      }
      Append(t, parent, e);
      KeepMeaning(t, e, from);
      for (const xmlNode* c = from->children; c != nullptr; c = c->next) Convert(t, e, c, false);
      return;
    }
    default:  // declarations and the like never enter a codec document
      return;
  }
}

}  // namespace

OutputDocument::OutputDocument() : tree_(std::make_unique<Tree>()) {}
OutputDocument::OutputDocument(OutputDocument&&) noexcept = default;
OutputDocument& OutputDocument::operator=(OutputDocument&&) noexcept = default;
OutputDocument::~OutputDocument() = default;

OutputElement OutputDocument::AddElement(OutputElement parent, std::string_view qualified_name,
                                         std::string_view ns_uri) {
  Tree& t = *tree_;
  Tree::NameAlias& alias =
      t.name_aliases[(reinterpret_cast<uintptr_t>(qualified_name.data()) >> 3) %
                     t.name_aliases.size()];
  const out::Name* name = nullptr;
  if (alias.data == qualified_name.data() && alias.size == qualified_name.size() &&
      out::SameBytes(alias.name->open.data() + 1, qualified_name.data(), qualified_name.size())) {
    name = alias.name;
  } else {
    name = t.names.Find(qualified_name);
  }
  if (name == nullptr) {
    const std::string qname(qualified_name);
    if (qname.empty() || xmlValidateQName(X(qname.c_str()), 0) != 0) {
      throw DOMException("Invalid element name \"" + qname + "\"");
    }
    name = t.InternName(qname);
  }
  alias = {qualified_name.data(), qualified_name.size(), name};
  if (name->prefix != nullptr && ns_uri.empty()) {
    throw DOMException("Element \"" + std::string(qualified_name) +
                       "\" has a prefix but no namespace");
  }
  ONode* at = parent.node_;
  if (at == nullptr && t.root != nullptr) {
    throw DOMException("The document already has a document element");
  }
  ONode* e = t.arena.New<ONode>();
  e->name = name;
  if (at == nullptr) {
    t.root = e;
  } else {
    Append(t, at, e);
  }
  PlaceInNamespace(t, e, name->prefix, ns_uri);
  return OutputElement(e);
}

void OutputDocument::DeclareNamespace(OutputElement element, std::string_view prefix,
                                      std::string_view uri) {
  Tree& t = *tree_;
  ONode* e = element.node_;
  if (e == nullptr) throw DOMException("Namespaces are declared on elements only");
  if (prefix == "xml" || prefix == "xmlns" || (!prefix.empty() && uri.empty())) {
    throw DOMException("Invalid namespace declaration for prefix \"" + std::string(prefix) + "\"");
  }
  const Atom* p = prefix.empty() ? nullptr : t.Intern(prefix);
  if (const Decl* d = DeclOn(e, p)) {
    if (d->uri->text == uri) return;
    throw DOMException("Prefix \"" + std::string(prefix) + "\" is already declared on element \"" +
                       std::string(e->name->open.substr(1)) + "\"");
  }
  AppendDecl(t, e, p, t.Intern(uri));
}

std::optional<std::string> OutputDocument::FindPrefix(OutputElement element,
                                                      std::string_view uri) const {
  const Atom* u = tree_->atoms.Find(uri);
  if (element.node_ == nullptr || u == nullptr) return std::nullopt;
  const Decl* d = BindingOf(element.node_, u, false);
  if (d == nullptr) return std::nullopt;
  return d->prefix != nullptr ? std::string(d->prefix->text) : std::string();
}

std::string OutputDocument::NewPrefix(OutputElement scope) {
  for (;;) {
    std::string prefix = "NS" + std::to_string(++tree_->prefix_counter);
    if (!scope || DeclarationInScope(scope.node_, std::string_view(prefix)) == nullptr) {
      return prefix;
    }
  }
}

void OutputDocument::SetAttribute(OutputElement element, std::string_view name,
                                  std::string_view value) {
  if (name == "xmlns") return DeclareNamespace(element, "", value);
  if (name.substr(0, 6) == "xmlns:") return DeclareNamespace(element, name.substr(6), value);
  ONode* e = element.node_;
  if (e == nullptr) throw DOMException("Attributes are set on elements only");
  const std::string n(name);
  if (xmlValidateQName(X(n.c_str()), 0) != 0) {
    throw DOMException("Invalid attribute name \"" + n + "\"");
  }
  SetAttr(*tree_, e, nullptr, name, name, value);
}

void OutputDocument::SetAttributeNS(OutputElement element, std::string_view local,
                                    std::string_view ns_uri, std::string_view value) {
  if (ns_uri.empty()) return SetAttribute(element, local, value);
  ONode* e = element.node_;
  if (e == nullptr) throw DOMException("Attributes are set on elements only");
  const Atom* u = tree_->atoms.Find(ns_uri);
  const Decl* d = u != nullptr ? PrefixedBindingOf(*tree_, e, u) : nullptr;
  if (d == nullptr) {
    throw DOMException("No prefix is declared for namespace \"" + std::string(ns_uri) + "\"");
  }
  std::string written;
  written.reserve(d->prefix->text.size() + 1 + local.size());
  written.append(d->prefix->text).append(":").append(local);
  SetAttr(*tree_, e, d->uri, local, written, value);
}

void OutputDocument::SetText(OutputElement element, std::string_view text) {
  ONode* e = element.node_;
  if (e == nullptr) throw DOMException("Text is set on elements only");
  const uint32_t size = TextSize(text);
  e->first_child = e->last_child = nullptr;
  e->text_only = true;
  e->data = tree_->arena.Copy(text).data();
  e->size = size;
  e->plain = EscapedTextSize(text) == size;
}

void OutputDocument::SetTextRef(OutputElement element, std::string_view text) {
  ONode* e = element.node_;
  if (e == nullptr) throw DOMException("Text is set on elements only");
  const uint32_t size = TextSize(text);
  e->first_child = e->last_child = nullptr;
  e->text_only = true;
  e->data = text.data();
  e->size = size;
  e->plain = false;  // a large text is scanned as it is written
}

void OutputDocument::ImportNode(OutputElement parent, Node foreign) {
  ONode* at = parent.node_;
  const xmlNode* from = Unwrap<xmlNode>(foreign);
  if (at == nullptr || from == nullptr) throw DOMException("Cannot import a node here");
  if (from->type == XML_DOCUMENT_FRAG_NODE) {
    for (const xmlNode* c = from->children; c != nullptr; c = c->next) ImportNode(parent, Wrap(c));
    return;
  }
  if (from->type == XML_DOCUMENT_NODE || from->type == XML_ATTRIBUTE_NODE) {
    throw DOMException("Cannot import a node of this kind");
  }
  // The library makes the copy, so that the declarations it carries are
  // those a copy into a library document would carry.
  InitLibrary();
  const std::unique_ptr<xmlDoc, XmlDocFree> scratch(xmlNewDoc(X("1.0")));
  if (!scratch) throw EOutOfMemory();
  const std::unique_ptr<xmlNode, XmlNodeFree> copy(
      xmlDocCopyNode(const_cast<xmlNode*>(from), scratch.get(), 1));
  if (!copy) throw EOutOfMemory();
  CopyReferencedTexts(foreign, Wrap(copy.get()));
  Convert(*tree_, at, copy.get(), true);
}

OutputElement OutputDocument::LastElementChild(OutputElement element) const {
  ONode* last = nullptr;
  if (element.node_ == nullptr) return OutputElement();
  for (ONode* c = element.node_->first_child; c != nullptr; c = c->next) {
    if (c->kind == Kind::kElement) last = c;
  }
  return OutputElement(last);
}

uint64_t OutputDocument::SerializedSize() const { return out::MarkupWriter(*tree_).Size(); }

std::string OutputDocument::Serialize() const {
  out::MarkupWriter writer(*tree_);
  std::string bytes(static_cast<size_t>(writer.Size()), '\0');
  const size_t n = writer.Read(bytes.data(), bytes.size());
  assert(n == bytes.size() && "the size counted is the size written");
  bytes.resize(n);
  return bytes;
}

namespace {

// Reads a document's bytes; owns the document's tree.
class DocumentSource : public ByteSource {
 public:
  explicit DocumentSource(std::unique_ptr<Tree> tree) : tree_(std::move(tree)), writer_(*tree_) {}

  uint64_t Size() const override {
    if (size_ < 0) size_ = static_cast<int64_t>(writer_.Size());
    return static_cast<uint64_t>(size_);
  }
  size_t Read(char* dst, size_t max) override { return writer_.Read(dst, max); }
  void Rewind() override { writer_.Rewind(); }

 private:
  std::unique_ptr<Tree> tree_;
  out::MarkupWriter writer_;
  mutable int64_t size_ = -1;
};

}  // namespace

std::unique_ptr<ByteSource> MarkupSource(OutputDocument document) {
  return std::make_unique<DocumentSource>(std::move(document.tree_));
}

}  // namespace vorn::xml
