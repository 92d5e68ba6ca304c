// Writing a typed invoice as a FatturaPA 1.2 file.
#pragma once

#include <string>

#include "invoice/fattura_elettronica.h"

namespace vorn {

// The FatturaPA 1.2 document of a model tree, as UTF-8 text: an XML
// declaration naming UTF-8, then the document element
// p:FatturaElettronica in the FatturaPA namespace with the versione
// attribute, its children in no namespace and in schema order, the
// signature in the XML-Signature namespace (prefix ds). One walk over the
// class descriptors beside the schema's element order:
// - an empty text, an empty array and a null object are left out; so is an
//   optional value whose "…Specified" companion is false;
// - a date-time that stands for a date is written as the date
//   ("2014-12-18T00:00:00": "2014-12-18"); date-times and decimals as their
//   text; bytes as base64 on one line; fragments as they are held.
// Throws EInvoiceModelError, naming the property by its path, for a value
// that the file cannot hold: a time of day or an invalid date in a date, an
// invalid date-time, a code outside its list, a value that is set while its
// companion says absent (or the reverse), choice arrays of different
// lengths, a choice entry that is not text, or a value of a property that
// has no element in the file.
std::string WriteFatturaPA(const FatturaElettronicaType2& invoice);

}  // namespace vorn
