// Checking XML text against an XML Schema compiled from bytes in memory.
//
// Neither compiling a schema nor checking a text reads a file or the
// network: a schema's imports and includes come only from the sources given
// to Compile, and the references of a checked text to other documents
// (external DTDs and entities, xsi:schemaLocation) are not followed.
#pragma once

#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorn::xml {

// A place in a text: 1-based line and column, the column counted in
// characters (a byte-order mark at the start is not counted).
struct TextPosition {
  int line = 0;
  int column = 0;
  friend bool operator==(const TextPosition&, const TextPosition&) = default;
};

// A problem found in a checked text, where it starts.
struct Finding {
  TextPosition at;
  std::string message;  // one line, without a line end
};

// An element or attribute of a checked text: where it starts, and its text
// (for an element, all the text inside it).
struct LocatedText {
  TextPosition at;
  std::string text;
};

// A schema document that the main one imports or includes, by the location
// that names it there (its schemaLocation, exactly as written).
struct SchemaSource {
  std::string location;
  std::string_view bytes;
};

// The outcome of Schema::Check. Movable, not copyable.
class CheckedDocument {
 public:
  CheckedDocument(CheckedDocument&&) noexcept;
  CheckedDocument& operator=(CheckedDocument&&) noexcept;
  ~CheckedDocument();

  // True when the text is a namespace-well-formed document.
  bool WellFormed() const;
  // What was found, in the order of the text: for a text that is not
  // well-formed, its first error alone (and nothing was validated);
  // otherwise every way in which it is not valid against the schema. Empty
  // for a valid document.
  const std::vector<Finding>& Findings() const;

  // The element reached from the document element through child elements
  // with the local names in `path`, taking the first such child at each
  // step; the document element itself for an empty path. Located at its "<".
  // nullopt when there is no such element (always, when not well-formed).
  std::optional<LocatedText> Element(std::initializer_list<std::string_view> path) const;
  // The document element's attribute of this local name in no namespace,
  // located at its name. nullopt when it has none.
  std::optional<LocatedText> RootAttribute(std::string_view local_name) const;

  // The layer's own state of a checked text.
  struct Impl;

 private:
  friend class Schema;
  explicit CheckedDocument(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

// A compiled schema. Copies share it; it may be used from several threads.
class Schema {
 public:
  // Compiles the schema document `main`. Its imports and includes are read
  // from `sources` by their location; a location not among them fails the
  // compilation. Throws DOMException "The schema does not compile: <reason>"
  // when it does not compile.
  static Schema Compile(std::string_view main, const std::vector<SchemaSource>& sources);

  // Parses `utf8` as a document in UTF-8 (an encoding named by its XML
  // declaration is not used; a UTF-8 byte-order mark is allowed) and, if it
  // is well-formed, validates it. No DTD is loaded and no entity is
  // substituted.
  CheckedDocument Check(std::string_view utf8) const;

 private:
  struct Compiled;
  explicit Schema(std::shared_ptr<const Compiled> compiled) : compiled_(std::move(compiled)) {}
  std::shared_ptr<const Compiled> compiled_;
};

}  // namespace vorn::xml
