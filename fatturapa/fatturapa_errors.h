// Errors of reading and writing FatturaPA files.
#pragma once

#include <string>
#include <string_view>

#include "base/exception.h"

namespace vorn {

// The hint that ends every refusal of a file: the file itself can still be
// sent, untouched, by the raw operation.
inline constexpr std::string_view kRawOperationHint =
    "the raw operation (vorn without --typed) sends the file as it is";

// A FatturaPA file that cannot become a model tree without losing or
// inventing data: content with no place in the model, an element or
// attribute that FatturaPA 1.2 does not have there, an invalid value, a
// required part that is missing, or text that is not a FatturaPA document.
// Message: "Line <n>: <what>; " followed by kRawOperationHint.
class EInvoiceFileError : public Exception {
 public:
  EInvoiceFileError(int line, const std::string& what)
      : Exception("EInvoiceFileError", "Line " + std::to_string(line) + ": " + what + "; " +
                                           std::string(kRawOperationHint)),
        line_(line) {}
  // The line of the file on which the offending element starts (1-based).
  int Line() const noexcept { return line_; }

 private:
  int line_;
};

// A model tree that cannot be written as a FatturaPA file without losing
// data: a value with no place in the file, or one that its element cannot
// hold (a time of day in a date, a code outside its list, a value set but
// not marked present). The message names the property by its path from
// the root.
class EInvoiceModelError : public Exception {
 public:
  explicit EInvoiceModelError(std::string m) : Exception("EInvoiceModelError", std::move(m)) {}
};

}  // namespace vorn
