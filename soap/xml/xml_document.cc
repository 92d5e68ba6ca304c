#include "soap/xml/xml_document.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlmemory.h>

#include <climits>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <string>

#include "base/exception.h"
#include "base/prefault.h"
#include "soap/xml/library.h"
#include "soap/xml/namespace_scope.h"
#include "soap/xml/referenced_texts.h"
#include "soap/xml/serializer.h"
#include "soap/xml/xml_errors.h"

namespace vorn::xml {
namespace {

xmlDoc* DocOf(NodeHandle* doc) { return Unwrap<xmlDoc>(Node(doc)); }

bool IsElement(const xmlNode* n) { return n != nullptr && n->type == XML_ELEMENT_NODE; }

// Frees the element's children (and the references they hold) and makes
// `child` its only child.
void ReplaceChildren(xmlNode* element, xmlNode* child) {
  for (const xmlNode* c = element->children; c != nullptr; c = c->next) {
    ForgetReferences(Wrap(c));
  }
  xmlFreeNodeList(element->children);
  element->children = nullptr;
  element->last = nullptr;
  xmlAddChild(element, child);
}

// The library's allocation functions: the C library's, with large blocks
// (a reply's text, a parser's buffers) advised as huge-page candidates.
void* LibMalloc(size_t n) {
  void* p = std::malloc(n);
  AdviseHugePages(p, n);
  return p;
}

void* LibRealloc(void* p, size_t n) {
  void* q = std::realloc(p, n);
  AdviseHugePages(q, n);
  return q;
}

}  // namespace

void InitLibrary() {
  static std::once_flag once;
  std::call_once(once, [] {
    // Only where the library still uses the C library's functions: a
    // program that set its own keeps them.
    xmlFreeFunc free_fn = nullptr;
    xmlMallocFunc malloc_fn = nullptr;
    xmlReallocFunc realloc_fn = nullptr;
    xmlStrdupFunc strdup_fn = nullptr;
    if (xmlMemGet(&free_fn, &malloc_fn, &realloc_fn, &strdup_fn) == 0 && free_fn == std::free &&
        malloc_fn == std::malloc && realloc_fn == std::realloc) {
      xmlMemSetup(std::free, LibMalloc, LibRealloc, strdup_fn);
    }
    xmlInitParser();
  });
}

void Document::Free::operator()(NodeHandle* doc) const {
  FreeReferences(Node(doc));
  xmlFreeDoc(DocOf(doc));
}

Document::Document(NodeHandle* doc) : doc_(doc) {}
Document::Document(Document&&) noexcept = default;
Document& Document::operator=(Document&&) noexcept = default;
Document::~Document() = default;

Document Document::New() {
  InitLibrary();
  xmlDocPtr doc = xmlNewDoc(X("1.0"));
  if (doc == nullptr) throw EOutOfMemory();
  return Document(Wrap(doc).Handle());
}

Node Document::DocumentElement() const { return Wrap(xmlDocGetRootElement(DocOf(doc_.get()))); }

Node Document::Root() const { return Node(doc_.get()); }

Node Document::AddElement(Node parent, std::string_view qualified_name, std::string_view ns_uri) {
  const std::string qname(qualified_name);
  if (qname.empty() || xmlValidateQName(X(qname.c_str()), 0) != 0) {
    throw DOMException("Invalid element name \"" + qname + "\"");
  }
  const size_t colon = qname.find(':');
  const std::string_view prefix =
      colon == std::string::npos ? "" : std::string_view(qname).substr(0, colon);
  const std::string local = colon == std::string::npos ? qname : qname.substr(colon + 1);
  if (!prefix.empty() && ns_uri.empty()) {
    throw DOMException("Element \"" + qname + "\" has a prefix but no namespace");
  }
  const Node at = parent ? parent : Root();
  const NodeKind at_kind = at.Kind();
  if (at_kind != NodeKind::Element && at_kind != NodeKind::Document) {
    throw DOMException("Cannot add element \"" + qname + "\" here");
  }
  if (at_kind == NodeKind::Document && DocumentElement()) {
    throw DOMException("The document already has a document element");
  }
  xmlNode* element = xmlNewDocNode(DocOf(doc_.get()), nullptr, X(local.c_str()), nullptr);
  if (element == nullptr) throw EOutOfMemory();
  xmlAddChild(Unwrap<xmlNode>(at), element);
  PlaceInNamespace(Wrap(element), prefix, ns_uri);
  return Wrap(element);
}

void Document::DeclareNamespace(Node element, std::string_view prefix, std::string_view uri) {
  DeclarePrefix(element, prefix, uri);
}

std::optional<std::string> Document::FindPrefix(Node element, std::string_view uri) const {
  return BoundPrefix(element, uri, false);
}

std::string Document::NewPrefix(Node scope) {
  for (;;) {
    std::string prefix = "NS" + std::to_string(++prefix_counter_);
    if (!scope || !IsPrefixDeclared(scope, prefix)) return prefix;
  }
}

void Document::SetAttribute(Node element, std::string_view name, std::string_view value) {
  if (name == "xmlns") return DeclareNamespace(element, "", value);
  if (name.substr(0, 6) == "xmlns:") return DeclareNamespace(element, name.substr(6), value);
  xmlNode* e = Unwrap<xmlNode>(element);
  if (!IsElement(e)) throw DOMException("Attributes are set on elements only");
  const std::string n(name), v(value);
  if (xmlValidateQName(X(n.c_str()), 0) != 0) {
    throw DOMException("Invalid attribute name \"" + n + "\"");
  }
  // xmlSetNsProp with no namespace: xmlSetProp would bind a "p:" name.
  if (xmlSetNsProp(e, nullptr, X(n.c_str()), X(v.c_str())) == nullptr) throw EOutOfMemory();
}

void Document::SetAttributeNS(Node element, std::string_view local, std::string_view ns_uri,
                              std::string_view value) {
  if (ns_uri.empty()) return SetAttribute(element, local, value);
  if (!IsElement(Unwrap<xmlNode>(element))) {
    throw DOMException("Attributes are set on elements only");
  }
  SetAttributeInScope(element, local, ns_uri, value);
}

void Document::SetText(Node element, std::string_view text) {
  xmlNode* e = Unwrap<xmlNode>(element);
  if (!IsElement(e)) throw DOMException("Text is set on elements only");
  if (text.size() > static_cast<size_t>(INT_MAX)) throw DOMException("Text too long");
  xmlNode* node =
      xmlNewDocTextLen(DocOf(doc_.get()), X(text.data()), static_cast<int>(text.size()));
  if (node == nullptr) throw EOutOfMemory();
  ReplaceChildren(e, node);
}

void Document::SetTextRef(Node element, std::string_view text) {
  xmlNode* e = Unwrap<xmlNode>(element);
  if (!IsElement(e)) throw DOMException("Text is set on elements only");
  xmlNode* node = xmlNewDocTextLen(DocOf(doc_.get()), X(""), 0);
  if (node == nullptr) throw EOutOfMemory();
  ReplaceChildren(e, node);
  ReferText(Wrap(node), text);
}

Node Document::ImportNode(Node parent, Node foreign) {
  xmlNode* at = Unwrap<xmlNode>(parent);
  xmlNode* from = Unwrap<xmlNode>(foreign);
  if (!HoldsChildren(parent) || from == nullptr) throw DOMException("Cannot import a node here");
  if (from->type == XML_DOCUMENT_FRAG_NODE) {
    Node first;
    for (xmlNode* c = from->children; c != nullptr; c = c->next) {
      Node added = ImportNode(parent, Wrap(c));
      if (!first) first = added;
    }
    return first;
  }
  if (from->type == XML_DOCUMENT_NODE || from->type == XML_ATTRIBUTE_NODE) {
    throw DOMException("Cannot import a node of this kind");
  }
  xmlNode* copy = xmlDocCopyNode(from, DocOf(doc_.get()), 1);
  if (copy == nullptr) throw EOutOfMemory();
  CopyReferencedTexts(foreign, Wrap(copy));
  xmlNode* added = xmlAddChild(at, copy);  // a text copy may merge and be freed
  if (added == nullptr) {
    xmlFreeNode(copy);
    throw DOMException("Cannot import a node here");
  }
  KeepMeaningOfTree(Wrap(added));
  return Wrap(added);
}

std::string Document::Serialize() const { return WriteMarkup(Root(), "<?xml version=\"1.0\"?>\n"); }

}  // namespace vorn::xml
