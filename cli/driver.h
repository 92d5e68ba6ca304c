// The command-line sender: reads the options and the arguments, then prints
// the help, the versions, the findings of a check or the request of a dry
// run, or sends the invoice once and reports the hub's answer.
#pragma once

#include <string>
#include <vector>

#include "cli/console.h"
#include "cli/hub_binding.h"

namespace vorn {

// Exit statuses.
inline constexpr int kExitOk = 0;        // "Invio effettuato correttamente"; --help,
                                         // --version, --dry-run, a --check passed
inline constexpr int kExitError = 1;     // an error line
inline constexpr int kExitUsage = 2;     // fewer than three arguments, a wrong option
inline constexpr int kExitRejected = 3;  // the hub answered Success false
inline constexpr int kExitInvalid = 4;   // --check or --validate found the invoice
                                         // invalid; nothing was sent

// Where the driver reads and writes.
struct DriverIo {
  Console& out;                  // the report
  int in_fd = 0;                 // where a password given as "-" comes from
  int err_fd = 2;                // the progress line; the diagnostic of an
                                 // unwritable report
  std::string program = "vorn";  // named in that diagnostic
  std::string charset;           // of the arguments and the password; empty
                                 // for the locale's
};

// Runs one command with `args` (the command-line arguments without the
// program name) and returns the exit status. Writes the report on io.out:
// the outcome lines; "ClassName: message" for an error on the way (any C++
// exception included); the findings of a check, one per line. Never throws:
// when the report itself cannot be written, a diagnostic goes to io.err_fd
// and the status stays the report's (so a script never resends an invoice
// that the hub has answered).
int RunDriver(std::vector<std::string> args, const DriverIo& io, const ServiceGetter& get_service);

}  // namespace vorn
