// The FatturaPA schema as a table: for each complex type of the official
// invoice schema and of the XML-Signature schema it imports, its attributes
// and child elements in schema order. Generated at build time from the
// checked-in schemas (fatturapa/generate_schema_table.py); the reader and
// the writer walk the model's class descriptors alongside it.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace vorn::fatturapa {

// The form of a value in the file.
enum class ValueForm : uint8_t {
  None,      // no value (a type without text content)
  Complex,   // an element of a complex type
  Text,      // text, also a decimal or a code
  Date,      // xs:date
  DateTime,  // xs:dateTime
  Base64,    // xs:base64Binary
  Any,       // an open slot for any element
};

inline constexpr uint32_t kUnbounded = 0xFFFFFFFFu;

// One attribute or child element of a complex type. Members of a choice
// count as optional; members of a repeated choice as repeatable.
struct SchemaParticle {
  std::string_view name;  // local name; "" for an open slot
  bool signature_ns;      // an element in the signature namespace (else no namespace)
  bool attribute;         // an attribute in no namespace
  ValueForm form;
  std::string_view type;  // the schema type's local name ("" for an open slot)
  uint32_t min_occurs;
  uint32_t max_occurs;                      // kUnbounded for no limit
  std::span<const std::string_view> codes;  // a code list's codes; empty for free values
};

struct SchemaType {
  std::string_view name;  // e.g. "DatiRiepilogoType", "SignatureType"
  bool signature_ns;      // declared by the signature schema
  bool mixed;             // text may stand between the child elements
  ValueForm content;      // the form of its text content (simple content); None otherwise
  std::span<const SchemaParticle> particles;  // elements in schema order, then attributes
};

extern const std::string_view kFatturaPANamespace;
extern const std::string_view kSignatureNamespace;
extern const std::string_view kRootElement;  // "FatturaElettronica"
extern const std::string_view kRootType;     // its type, "FatturaElettronicaType"

// Every complex type of both schemas; names are unique across them.
std::span<const SchemaType> SchemaTypes();

// The complex type of that name; null when neither schema declares it.
const SchemaType* FindSchemaType(std::string_view name);

}  // namespace vorn::fatturapa
