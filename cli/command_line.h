// The command line: options in front of the positional arguments, in the
// GNU manner.
//
//   vorn [OPTION]... USERNAME PASSWORD INVOICE [PA [InviaSdi
//        [CodiceTrasmittente [ProgressivoInvio]]]]
//   vorn --check INVOICE [PA]
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vorn {

struct Options {
  bool help = false;      // --help
  bool version = false;   // --version
  bool check = false;     // --check: check the invoice, send nothing
  bool validate = false;  // --validate: check it, send only if it passes
  bool typed = false;     // --typed: send it through the typed model (InviaDocumento)
  bool dry_run = false;   // --dry-run: show the request, send nothing
  bool quiet = false;     // --quiet: no progress line
  std::string trace;      // --trace FILE; empty for none
};

struct CommandLine {
  Options options;
  std::vector<std::string> positional;
};

// Splits `args`, the arguments without the program's name. Empty entries
// are no arguments. Every argument that begins with "--" and comes before
// the first other one is an option; "--" alone ends the options (so that a
// user name may begin with "--"). An option's value follows it as the next
// argument or after "=" (--trace FILE, --trace=FILE). An option given twice
// counts once; for --trace the last value holds. Throws EArgumentError for
// an unknown option, an option without its value, and a value given to an
// option that takes none.
CommandLine ParseCommandLine(std::vector<std::string> args);

// The lines of --help, without line ends: the commands, the arguments,
// every option, the environment variables and the exit statuses.
// `default_url` is the endpoint used when VORN_URL is not set.
std::vector<std::string> HelpLines(std::string_view default_url);

// The two lines printed for fewer than three positional arguments.
std::vector<std::string> UsageLines();

}  // namespace vorn
