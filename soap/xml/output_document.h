// A document that is built to be written out: the request envelope.
//
// It keeps its tree in blocks of memory of its own, with each distinct name,
// prefix and namespace stored once, so that building an envelope of a
// million elements costs no allocation per element. Its bytes are exactly
// those that Document::Serialize gives for the same sequence of operations;
// they can be produced piece by piece as they are read (MarkupSource), so
// that a large envelope is never held whole. Large texts can be held by
// reference instead of being copied.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/byte_source.h"
#include "soap/xml/node.h"

namespace vorn::xml {

namespace out {
struct Tree;
struct Node;
}  // namespace out

// A handle to an element of an OutputDocument; valid while the document
// lives. A null handle stands for "no element".
class OutputElement {
 public:
  OutputElement() = default;
  explicit operator bool() const { return node_ != nullptr; }
  friend bool operator==(OutputElement a, OutputElement b) { return a.node_ == b.node_; }

 private:
  friend class OutputDocument;
  explicit OutputElement(out::Node* node) : node_(node) {}
  out::Node* node_ = nullptr;
};

// The operations mean what the same operations of Document mean (see
// soap/xml/xml_document.h), with the same exceptions. Every handle passed
// in REQUIRES an element of this document, or null where stated. Movable,
// not copyable.
class OutputDocument {
 public:
  OutputDocument();
  OutputDocument(OutputDocument&&) noexcept;
  OutputDocument& operator=(OutputDocument&&) noexcept;
  OutputDocument(const OutputDocument&) = delete;
  OutputDocument& operator=(const OutputDocument&) = delete;
  ~OutputDocument();

  // A null parent makes the element the document element.
  OutputElement AddElement(OutputElement parent, std::string_view qualified_name,
                           std::string_view ns_uri);
  void DeclareNamespace(OutputElement element, std::string_view prefix, std::string_view uri);
  std::optional<std::string> FindPrefix(OutputElement element, std::string_view uri) const;
  std::string NewPrefix(OutputElement scope);
  void SetAttribute(OutputElement element, std::string_view name, std::string_view value);
  void SetAttributeNS(OutputElement element, std::string_view local, std::string_view ns_uri,
                      std::string_view value);
  void SetText(OutputElement element, std::string_view text);
  // REQUIRES: `text` stays alive and unchanged while the document (or a
  // source reading it) exists.
  void SetTextRef(OutputElement element, std::string_view text);
  // Appends a deep copy of `foreign`, a node of a Document, as Document's
  // ImportNode does.
  void ImportNode(OutputElement parent, Node foreign);
  // The element's last element child; null when it has none.
  OutputElement LastElementChild(OutputElement element) const;

  // The size of the bytes that Serialize gives.
  uint64_t SerializedSize() const;
  // The document as UTF-8 bytes, as Document::Serialize writes them.
  std::string Serialize() const;

 private:
  friend std::unique_ptr<ByteSource> MarkupSource(OutputDocument document);
  std::unique_ptr<out::Tree> tree_;
};

// The bytes of `document` (those of Serialize), produced as they are read.
// The source owns the document; texts held by reference must outlive it.
std::unique_ptr<ByteSource> MarkupSource(OutputDocument document);

}  // namespace vorn::xml
