#include "soap/xml/node.h"

#include <libxml/tree.h>

#include <memory>

#include "soap/xml/library.h"
#include "soap/xml/namespace_scope.h"
#include "soap/xml/referenced_texts.h"
#include "soap/xml/serializer.h"

namespace vorn::xml {
namespace {

static_assert(std::is_same_v<xmlChar, LibChar>, "the library's characters are bytes");

struct XmlFree {
  void operator()(xmlChar* p) const { xmlFree(p); }
};
using XmlString = std::unique_ptr<xmlChar, XmlFree>;

// Only elements and attributes carry a namespace; xmlAttr shares xmlNode's
// leading members up to `ns`.
const xmlNs* NamespaceOf(const xmlNode* n) {
  if (n == nullptr || (n->type != XML_ELEMENT_NODE && n->type != XML_ATTRIBUTE_NODE)) {
    return nullptr;
  }
  return n->ns;
}

}  // namespace

int Node::Line() const {
  const xmlNode* n = Unwrap<xmlNode>(*this);
  if (n == nullptr) return 0;
  const long line = xmlGetLineNo(n);
  return line > 0 ? static_cast<int>(line) : 0;
}

NodeKind Node::Kind() const {
  const xmlNode* n = Unwrap<xmlNode>(*this);
  if (n == nullptr) return NodeKind::Other;
  switch (n->type) {
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
    default:  // declarations, DTD nodes and the like
      return NodeKind::Other;
  }
}

std::string Node::LocalName() const {
  switch (Kind()) {
    case NodeKind::Element:
    case NodeKind::Attribute:
    case NodeKind::ProcessingInstruction:
    case NodeKind::EntityReference:
      return Str(Unwrap<xmlNode>(*this)->name);
    case NodeKind::Text:
    case NodeKind::CData:
    case NodeKind::Comment:
    case NodeKind::DocumentFragment:
    case NodeKind::Document:
    case NodeKind::Other:
      break;
  }
  return "";
}

std::string Node::NamespaceURI() const {
  const xmlNs* ns = NamespaceOf(Unwrap<xmlNode>(*this));
  return ns != nullptr ? Str(ns->href) : "";
}

std::string Node::Prefix() const {
  const xmlNs* ns = NamespaceOf(Unwrap<xmlNode>(*this));
  return ns != nullptr ? Str(ns->prefix) : "";
}

std::string Node::Name() const {
  std::string prefix = Prefix();
  return prefix.empty() ? LocalName() : prefix + ":" + LocalName();
}

Node Node::Parent() const {
  const xmlNode* n = Unwrap<xmlNode>(*this);
  return n != nullptr ? Wrap(n->parent) : Node();
}

Node Node::FirstChild() const {
  return HoldsChildren(*this) ? Wrap(Unwrap<xmlNode>(*this)->children) : Node();
}

Node Node::NextSibling() const {
  const xmlNode* n = Unwrap<xmlNode>(*this);
  if (n == nullptr || n->type == XML_DOCUMENT_NODE) return Node();
  if (n->type == XML_ATTRIBUTE_NODE) return Wrap(Unwrap<xmlAttr>(*this)->next);
  return Wrap(n->next);
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
  if (Kind() != NodeKind::Element) return Node();
  return Wrap(Unwrap<xmlNode>(*this)->properties);
}

std::optional<std::string> Node::GetAttribute(std::string_view local, std::string_view ns) const {
  if (Kind() != NodeKind::Element) return std::nullopt;
  for (const xmlAttr* a = Unwrap<xmlNode>(*this)->properties; a != nullptr; a = a->next) {
    if (View(a->name) != local) continue;
    if (View(a->ns != nullptr ? a->ns->href : nullptr) != ns) continue;
    return Wrap(a).Value();
  }
  return std::nullopt;
}

std::string Node::Value() const {
  const xmlNode* n = Unwrap<xmlNode>(*this);
  switch (Kind()) {
    case NodeKind::Text:
    case NodeKind::CData:
    case NodeKind::Comment:
      return std::string(CharacterData(*this));
    case NodeKind::ProcessingInstruction:
      return Str(n->content);
    case NodeKind::Attribute: {
      const xmlNode* only = n->children;
      if (only != nullptr && only->next == nullptr && only->type == XML_TEXT_NODE) {
        return Str(only->content);
      }
      XmlString content(xmlNodeGetContent(n));
      return Str(content.get());
    }
    case NodeKind::Element:
    case NodeKind::EntityReference:
    case NodeKind::DocumentFragment:
    case NodeKind::Document:
    case NodeKind::Other:
      break;
  }
  return "";
}

std::string Node::Text() const {
  if (!HoldsChildren(*this)) return Value();
  const xmlNode* first = Unwrap<xmlNode>(*this)->children;
  if (first != nullptr && first->next == nullptr && first->type == XML_TEXT_NODE) {
    return std::string(CharacterData(Wrap(first)));
  }
  std::string text;
  for (const xmlNode* c = first; c != nullptr; c = c->next) text += Wrap(c).Xml();
  return text;
}

std::string Node::Xml() const {
  const xmlNode* n = Unwrap<xmlNode>(*this);
  if (n == nullptr || n->doc == nullptr) return "";
  return WriteMarkup(*this, n->type == XML_DOCUMENT_NODE ? "<?xml version=\"1.0\"?>\n" : "");
}

std::string Node::LookupNamespaceURI(std::string_view prefix) const {
  return std::string(ResolvePrefix(*this, prefix));
}

}  // namespace vorn::xml
