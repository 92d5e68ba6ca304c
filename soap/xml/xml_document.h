// The XML document layer: a document tree that owns its nodes, node handles
// to walk it, element creation that keeps every element in its namespace,
// serialization to UTF-8 bytes and parsing of reply bytes.
//
// Node handles are pointer-sized and copyable. They stay valid while the
// document that holds the node is alive and the node is in it. A null handle
// answers every query with a null handle, "" or false.
#pragma once

#include <cstddef>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>

struct _xmlNode;
struct _xmlDoc;

namespace vorn::xml {

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

class NodeRange;

class Node {
 public:
  Node() = default;
  // Wraps a libxml2 node (element, attribute, document...). For the layer's
  // own use; callers get nodes from Document and other nodes.
  explicit Node(_xmlNode* node) : node_(node) {}

  explicit operator bool() const { return node_ != nullptr; }
  friend bool operator==(Node a, Node b) { return a.node_ == b.node_; }

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

  // Attribute of the element by local name and namespace URI ("" = no
  // namespace). Returns whether it was found; `value` is set only then.
  bool GetAttribute(std::string_view local, std::string_view ns, std::string& value) const;

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

  // The namespace URI bound to `prefix` in scope of this node ("" = the
  // default namespace). "" when the prefix is unbound or bound to "".
  // "xml" always gives the XML namespace.
  std::string LookupNamespaceURI(std::string_view prefix) const;

  _xmlNode* Raw() const { return node_; }

 private:
  _xmlNode* node_ = nullptr;
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

// An XML document. It owns its tree; movable, not copyable. Every operation
// that takes a Node REQUIRES a node of this document (or a null handle where
// stated).
class Document {
 public:
  // An empty document, without a document element.
  static Document New();
  // Parses reply bytes: UTF-8, or the encoding named by a byte-order mark or
  // by the XML declaration. Whitespace-only text between elements is
  // dropped; no network access, no DTD loading, no entity substitution.
  // Throws EDOMParseError for bytes that are not a namespace-well-formed
  // document, and for any document type declaration ("DTD is prohibited").
  // Its message: reason, CR LF, "Line: " and the line number, CR LF, the
  // first 40 characters of that line.
  static Document Parse(std::string_view bytes);

  Document(Document&&) noexcept;
  Document& operator=(Document&&) noexcept;
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;
  ~Document();

  // The document element; null if there is none.
  Node DocumentElement() const;
  // The document node itself (kind Document).
  Node Root() const;

  // Appends a new element named `qualified_name` ("local" or "prefix:local")
  // in namespace `ns_uri` ("" = no namespace) as the last child of `parent`;
  // a null (or document) parent makes it the document element. Adds the
  // namespace declaration that keeps its meaning when written out:
  // xmlns:prefix="U" unless the prefix is bound to exactly U in scope;
  // xmlns="U" for an unprefixed name unless the default namespace in scope
  // is exactly U; xmlns="" for a no-namespace element when a non-empty
  // default namespace is in scope. Returns the element.
  // Throws DOMException for an invalid name, a prefix without a namespace,
  // a parent that cannot hold elements, or a second document element.
  Node AddElement(Node parent, std::string_view qualified_name, std::string_view ns_uri);

  // Declares xmlns:prefix="uri" ("" prefix: xmlns="uri") on the element,
  // after its earlier declarations. Declaring the same binding again does
  // nothing. Throws DOMException when the element already binds the prefix
  // to another URI, for a prefix with an empty URI, or for "xml"/"xmlns".
  void DeclareNamespace(Node element, std::string_view prefix, std::string_view uri);

  // The prefix bound to `uri` in scope of the element, not hidden by a
  // nearer declaration of the same prefix ("" for a default declaration).
  // Returns whether one was found; `prefix` is set only then.
  bool FindPrefix(Node element, std::string_view uri, std::string& prefix) const;

  // A fresh prefix "NS<n>", n from the document's counter (1 first), skipping
  // prefixes already bound in scope of `scope` (may be null). The caller
  // declares it.
  std::string NewPrefix(Node scope);

  // Sets an attribute in no namespace (replacing one of the same name).
  // "xmlns" and "xmlns:p" are namespace declarations (DeclareNamespace).
  void SetAttribute(Node element, std::string_view name, std::string_view value);
  // Sets an attribute in namespace `ns_uri`, written with the prefix of that
  // namespace's declaration in scope (e.g. xsi:nil). Throws DOMException when
  // no prefix is bound to the namespace in scope.
  void SetAttributeNS(Node element, std::string_view local, std::string_view ns_uri,
                      std::string_view value);

  // Replaces the element's children with exactly one text node holding
  // `text`, also for "". REQUIRES: `text` holds no U+0000.
  void SetText(Node element, std::string_view text);

  // The same as SetText, but the document refers to `text` instead of
  // copying it: the caller keeps the characters alive and unchanged for as
  // long as the document (or the element) exists. For large texts that are
  // only written out.
  void SetTextRef(Node element, std::string_view text);

  // Appends a deep copy of `foreign` (a node of any kind from another
  // document; for a fragment, copies of its children) as the last child of
  // `parent`, declaring namespaces where the copy needs them to keep its
  // meaning. Returns the (first) copied node; a text copy may merge with a
  // preceding text child, which is then returned.
  Node ImportNode(Node parent, Node foreign);

  // The document as UTF-8 bytes: "<?xml version=\"1.0\"?>", a line break,
  // then the top-level nodes each followed by a line break. No indentation;
  // non-ASCII characters written as they are; <, >, & and CR in text
  // escaped. An empty document gives the declaration alone.
  std::string Serialize() const;

 private:
  struct DocDeleter {
    void operator()(_xmlDoc* doc) const;
  };
  explicit Document(_xmlDoc* doc);
  // Frees the element's children (and what the document knows of them) and
  // makes `child` its only child.
  void ReplaceChildren(_xmlNode* element, _xmlNode* child);

  std::unique_ptr<_xmlDoc, DocDeleter> doc_;
  int prefix_counter_ = 0;
};

}  // namespace vorn::xml
