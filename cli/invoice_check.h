// Offline checks of an invoice file, before anything is sent (--check and
// --validate).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "soap/xml/schema_validator.h"

namespace vorn {

// The largest invoice file accepted: 5 MiB.
inline constexpr uint64_t kMaxInvoiceBytes = 5 * 1024 * 1024;

// True when `file_name` (without a directory) follows the naming rule of
// e-invoice files: a country code (two capital letters), the sender's id
// (1 to 28 letters or digits), "_", a progressive of 1 to 5 letters or
// digits, ".xml". IT01234567890_FPA01.xml follows it.
bool FollowsNamingRule(std::string_view file_name);

// The findings about the invoice file `path` (as given on the command line),
// `file_size` bytes long, whose text as loaded for sending is `text`. The
// checks:
// - the file name follows the naming rule;
// - the file is at most kMaxInvoiceBytes long;
// - the text is valid against the official FatturaPA 1.2.2 schema (built
//   into the program; no network is used);
// - FormatoTrasmissione agrees with the root element's versione, and with
//   `formato` ("FPA12" or "FPR12", what the PA argument sends) when given.
// Sorted by position; findings about the whole file are at line 1,
// column 1. Empty when the file passes.
std::vector<xml::Finding> CheckInvoice(const std::string& path, std::string_view text,
                                       uint64_t file_size, std::optional<std::string_view> formato);

// A finding as one line in the form that compilers use, so that editors
// can jump to it: "FILE:LINE:COLUMN: message", FILE as given.
std::string FindingLine(std::string_view file, const xml::Finding& finding);

}  // namespace vorn
