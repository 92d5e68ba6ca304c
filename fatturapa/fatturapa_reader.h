// Reading a FatturaPA 1.2 document into the typed invoice model.
#pragma once

#include <memory>
#include <string_view>

#include "invoice/fattura_elettronica.h"

namespace vorn {

// Reads a FatturaPA 1.2 document into a new model tree, through one walk
// over the model's class descriptors beside the schema's element order.
//
// `text` is the document as UTF-8 (a leading byte-order mark is allowed), as
// the invoice file loader gives it; an encoding named in its XML
// declaration is not used, since the text is decoded already.
// - The document element must be FatturaElettronica in the FatturaPA 1.2
//   namespace; its children are in no namespace, the signature's in the
//   XML-Signature namespace.
// - Element X goes to property xField (first letter in lower case); the
//   root's versione attribute to versioneField; repeated elements to array
//   properties; choice members to itemsElementNameField and itemsField; the
//   signature to the signature types, open slots to TXMLData fragments.
// - A date becomes a date-time at midnight ("2014-12-18":
//   "2014-12-18T00:00:00"); date-times and decimals keep their text; base64
//   becomes bytes. Each optional value that is present sets its
//   "…Specified" companion.
// - White space between elements is ignored, and so are the root's
//   xsi:schemaLocation and xsi:noNamespaceSchemaLocation, which only tell a
//   validator where to find the schema.
// Throws EDOMParseError for text that is not well-formed XML, and
// EInvoiceFileError, naming the element or value and its line, for content
// that has no place in the model (codes, attributes, repeated blocks and
// signature parts of later editions, comments, processing instructions), an
// element or attribute that FatturaPA 1.2 does not have there, an invalid
// date, date-time, decimal, base64 text or code, and a required part that
// is missing. Nothing is ever dropped.
std::unique_ptr<FatturaElettronicaType2> ReadFatturaPA(std::string_view text);

}  // namespace vorn
