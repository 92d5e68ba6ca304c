// Handles to the nodes of an XML document: walking the tree and reading
// names, namespaces, attributes and text.
//
// Node handles are pointer-sized and copyable. They stay valid while the
// document that holds the node is alive and the node is in it. A null handle
// answers every query with a null handle, "" or false.
#pragma once

#include <cstddef>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

namespace vorn::xml {

// The XML namespace, which the prefix "xml" always stands for.
inline constexpr std::string_view kXmlNamespace = "http://www.w3.org/XML/1998/namespace";

enum class NodeKind {
  Element,
  Attribute,
  Text,
  CData,
  Comment,
  ProcessingInstruction,
  EntityReference,
  DocumentFragment,
  Document,
  Other,
};

// What a handle stands for: a node of the XML library, opaque outside the
// layer's own code.
struct NodeHandle;

class NodeRange;

class Node {
 public:
  Node() = default;
  // For the layer's own use; callers get nodes from Document and other nodes.
  explicit Node(NodeHandle* handle) : handle_(handle) {}
  NodeHandle* Handle() const { return handle_; }

  explicit operator bool() const { return handle_ != nullptr; }
  friend bool operator==(Node a, Node b) { return a.handle_ == b.handle_; }

  // Other for a null handle.
  NodeKind Kind() const;

  // Names of elements and attributes; the target of a processing
  // instruction and the name of an entity reference are their LocalName and
  // Name. "" for other kinds.
  std::string LocalName() const;
  // The namespace URI of an element or attribute; "" when it has none.
  std::string NamespaceURI() const;
  // The prefix the node is written with; "" when unprefixed.
  std::string Prefix() const;
  // The qualified name: Prefix ":" LocalName, or LocalName alone.
  std::string Name() const;

  // The parent: an element, or the document node for the document element.
  // An attribute's parent is its element.
  Node Parent() const;
  // Child nodes of elements, documents and fragments, in document order.
  // Attributes and other kinds have none.
  Node FirstChild() const;
  // The next sibling: the next child of the same parent, or for an attribute
  // the element's next attribute.
  Node NextSibling() const;
  Node FirstElementChild() const;
  Node NextElementSibling() const;
  bool HasChildNodes() const;
  size_t ChildCount() const;
  NodeRange Children() const;
  // The element's first attribute (namespace declarations are not
  // attributes); NextSibling moves on to the next.
  Node FirstAttribute() const;

  // The value of the element's attribute with this local name and namespace
  // URI ("" = no namespace); nothing when the element has none.
  std::optional<std::string> GetAttribute(std::string_view local, std::string_view ns) const;

  // The value of a text, CDATA, comment, processing-instruction or attribute
  // node. "" for other kinds.
  std::string Value() const;
  // The text of an element (or document, or fragment): the value of its only
  // child when that child is one text node; otherwise the XML of all its
  // children concatenated, so no child gives "" and a CDATA child comes with
  // its <![CDATA[ ]]> markup. For other kinds, Value().
  std::string Text() const;
  // The node and its descendants as XML text in UTF-8. Namespace
  // declarations of ancestors are not repeated.
  std::string Xml() const;

  // The line of the parsed text that the node belongs to (1-based): for an
  // element, the line on which its start tag ends. 0 for a node that was
  // not parsed and for a null handle.
  int Line() const;

  // The namespace URI bound to `prefix` in scope of this node ("" = the
  // default namespace). "" when the prefix is unbound or bound to "".
  // "xml" always gives the XML namespace.
  std::string LookupNamespaceURI(std::string_view prefix) const;

 private:
  NodeHandle* handle_ = nullptr;
};

// Iterates over the child nodes of a node: for (Node c : n.Children()).
class NodeIterator {
 public:
  using iterator_category = std::forward_iterator_tag;
  using value_type = Node;
  using difference_type = std::ptrdiff_t;
  using pointer = const Node*;
  using reference = const Node&;

  NodeIterator() = default;
  explicit NodeIterator(Node n) : node_(n) {}
  const Node& operator*() const { return node_; }
  const Node* operator->() const { return &node_; }
  NodeIterator& operator++() {
    node_ = node_.NextSibling();
    return *this;
  }
  NodeIterator operator++(int) {
    NodeIterator old = *this;
    ++*this;
    return old;
  }
  friend bool operator==(const NodeIterator& a, const NodeIterator& b) {
    return a.node_ == b.node_;
  }

 private:
  Node node_;
};

class NodeRange {
 public:
  explicit NodeRange(Node first) : first_(first) {}
  NodeIterator begin() const { return NodeIterator(first_); }
  NodeIterator end() const { return NodeIterator(); }

 private:
  Node first_;
};

}  // namespace vorn::xml
