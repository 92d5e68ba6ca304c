#include "soap/xml/namespace_scope.h"

#include <libxml/tree.h>

#include <cassert>

#include "base/exception.h"
#include "soap/xml/library.h"
#include "soap/xml/xml_errors.h"

namespace vorn::xml {
namespace {

// A prefix as the library keeps it: null for the default namespace.
class LibPrefix {
 public:
  explicit LibPrefix(std::string_view prefix) : text_(prefix) {}
  const xmlChar* get() const { return text_.empty() ? nullptr : X(text_.c_str()); }

 private:
  std::string text_;
};

bool SamePrefix(const xmlChar* a, const xmlChar* b) {
  return a == nullptr ? b == nullptr : xmlStrEqual(a, b);
}

// The declaration of `prefix` (null: the default) in force at `node`.
xmlNs* DeclarationInScope(xmlNode* node, const xmlChar* prefix) {
  for (xmlNode* n = node; n != nullptr; n = n->parent) {
    if (n->type != XML_ELEMENT_NODE) continue;
    for (xmlNs* ns = n->nsDef; ns != nullptr; ns = ns->next) {
      if (SamePrefix(ns->prefix, prefix)) return ns;
    }
  }
  return nullptr;
}

// The URI that `prefix` resolves to at `node`; "" when unbound.
std::string_view ResolvedUri(xmlNode* node, const xmlChar* prefix) {
  if (prefix != nullptr && xmlStrEqual(prefix, X("xml"))) return kXmlNamespace;
  const xmlNs* ns = DeclarationInScope(node, prefix);
  return ns != nullptr ? View(ns->href) : std::string_view();
}

// The nearest declaration of `uri` at `node` that no nearer declaration of
// its prefix hides; with `prefixed_only`, default declarations are skipped.
xmlNs* BindingOf(xmlNode* node, std::string_view uri, bool prefixed_only) {
  if (uri.empty()) return nullptr;
  for (xmlNode* n = node; n != nullptr; n = n->parent) {
    if (n->type != XML_ELEMENT_NODE) continue;
    for (xmlNs* ns = n->nsDef; ns != nullptr; ns = ns->next) {
      if (View(ns->href) != uri || (prefixed_only && ns->prefix == nullptr)) continue;
      if (DeclarationInScope(node, ns->prefix) == ns) return ns;
    }
  }
  return nullptr;
}

xmlNs* Declare(xmlNode* element, std::string_view uri, const xmlChar* prefix) {
  const std::string href(uri);
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
  const std::string_view uri = element->ns != nullptr ? View(element->ns->href) : "";
  if (ResolvedUri(element, prefix) != uri) {
    xmlNs* ns = Declare(element, uri, prefix);
    element->ns = uri.empty() ? nullptr : ns;
  }
  for (xmlAttr* a = element->properties; a != nullptr; a = a->next) {
    if (a->ns == nullptr || a->ns->prefix == nullptr) continue;
    const std::string_view attr_uri = View(a->ns->href);
    if (ResolvedUri(element, a->ns->prefix) != attr_uri) {
      a->ns = Declare(element, attr_uri, a->ns->prefix);
    }
  }
}

void KeepMeaningOfElements(xmlNode* node) {
  if (node == nullptr || node->type != XML_ELEMENT_NODE) return;
  KeepMeaning(node);
  for (xmlNode* c = node->children; c != nullptr; c = c->next) KeepMeaningOfElements(c);
}

}  // namespace

std::string_view ResolvePrefix(Node node, std::string_view prefix) {
  xmlNode* n = Unwrap<xmlNode>(node);
  if (n == nullptr) return "";
  if (n->type == XML_ATTRIBUTE_NODE) n = n->parent;
  return ResolvedUri(n, LibPrefix(prefix).get());
}

bool IsPrefixDeclared(Node node, std::string_view prefix) {
  return DeclarationInScope(Unwrap<xmlNode>(node), LibPrefix(prefix).get()) != nullptr;
}

std::optional<std::string> BoundPrefix(Node element, std::string_view uri, bool prefixed_only) {
  const xmlNs* ns = BindingOf(Unwrap<xmlNode>(element), uri, prefixed_only);
  if (ns == nullptr) return std::nullopt;
  return Str(ns->prefix);
}

void DeclarePrefix(Node element, std::string_view prefix, std::string_view uri) {
  xmlNode* e = Unwrap<xmlNode>(element);
  if (e == nullptr || e->type != XML_ELEMENT_NODE) {
    throw DOMException("Namespaces are declared on elements only");
  }
  if (prefix == "xml" || prefix == "xmlns" || (!prefix.empty() && uri.empty())) {
    throw DOMException("Invalid namespace declaration for prefix \"" + std::string(prefix) + "\"");
  }
  const LibPrefix p(prefix);
  for (const xmlNs* ns = e->nsDef; ns != nullptr; ns = ns->next) {
    if (!SamePrefix(ns->prefix, p.get())) continue;
    if (View(ns->href) == uri) return;
    throw DOMException("Prefix \"" + std::string(prefix) + "\" is already declared on element \"" +
                       element.Name() + "\"");
  }
  Declare(e, uri, p.get());
}

void PlaceInNamespace(Node element, std::string_view prefix, std::string_view uri) {
  xmlNode* e = Unwrap<xmlNode>(element);
  assert(e != nullptr && e->type == XML_ELEMENT_NODE && e->ns == nullptr && e->nsDef == nullptr);
  assert((prefix.empty() || !uri.empty()) && "a prefix needs a namespace");
  if (uri.empty()) {
    KeepMeaning(e);
    return;
  }
  const LibPrefix p(prefix);
  xmlNs* ns = DeclarationInScope(e, p.get());
  e->ns = ns != nullptr && View(ns->href) == uri ? ns : Declare(e, uri, p.get());
}

void SetAttributeInScope(Node element, std::string_view local, std::string_view uri,
                         std::string_view value) {
  xmlNode* e = Unwrap<xmlNode>(element);
  assert(e != nullptr && e->type == XML_ELEMENT_NODE && !uri.empty());
  xmlNs* ns = BindingOf(e, uri, true);
  if (ns == nullptr) {
    throw DOMException("No prefix is declared for namespace \"" + std::string(uri) + "\"");
  }
  const std::string n(local), v(value);
  if (xmlSetNsProp(e, ns, X(n.c_str()), X(v.c_str())) == nullptr) throw EOutOfMemory();
}

void KeepMeaningOfTree(Node node) { KeepMeaningOfElements(Unwrap<xmlNode>(node)); }

}  // namespace vorn::xml
