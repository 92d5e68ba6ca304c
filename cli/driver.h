// The command-line sender: reads the arguments and the invoice file, builds
// the request, calls the service once and reports the outcome.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "cli/console.h"
#include "service/service.h"

namespace vorn {

// Exit statuses.
inline constexpr int kExitSent = 0;      // "Invio effettuato correttamente"
inline constexpr int kExitError = 1;     // an error line, or no report possible
inline constexpr int kExitUsage = 2;     // fewer than three arguments
inline constexpr int kExitRejected = 3;  // the hub answered Success false

// Supplies the service interface (the real one binds to the hub; tests give
// a fake). Called only after every local step has succeeded.
using ServiceGetter = std::function<InterfacePtr<IService>()>;

// Runs one submission with `args` (the command-line arguments without the
// program name; empty entries are no arguments). Prints the outcome lines on
// `out` and returns the exit status. An error on the way is printed as
// "ClassName: message". Throws EInOutError only when that report line itself
// cannot be written.
int RunDriver(std::vector<std::string> args, Console& out, const ServiceGetter& get_service);

}  // namespace vorn
