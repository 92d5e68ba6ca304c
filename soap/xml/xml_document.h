// An XML document: a tree that owns its nodes, element creation that keeps
// every element in its namespace, serialization to UTF-8 bytes and parsing
// of reply bytes. Its nodes are reached through handles (soap/xml/node.h).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "soap/xml/node.h"

namespace vorn::xml {

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
  // nearer declaration of the same prefix ("" for a default declaration);
  // nothing when `uri` is not bound there.
  std::optional<std::string> FindPrefix(Node element, std::string_view uri) const;

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
  struct Free {
    void operator()(NodeHandle* doc) const;
  };
  // Takes ownership of `doc`, a document node (null: no document).
  explicit Document(NodeHandle* doc);

  std::unique_ptr<NodeHandle, Free> doc_;  // the document node
  int prefix_counter_ = 0;
};

}  // namespace vorn::xml
