#include "cli/command_line.h"

#include <algorithm>

#include "cli/cli_errors.h"

namespace vorn {
namespace {

// One option: its name, the name of its value ("" when it takes none), the
// field it sets, and its help ("\n" between the lines).
struct OptionEntry {
  std::string_view name;
  std::string_view value;
  bool Options::*flag;
  std::string Options::*text;
  std::string_view help;
};

constexpr OptionEntry kOptions[] = {
    {"--check", "", &Options::check, nullptr,
     "check INVOICE and send nothing: its file name, its size\n"
     "(5 MiB at most), the FatturaPA 1.2.2 schema, and that\n"
     "FormatoTrasmissione agrees with versione and with PA"},
    {"--validate", "", &Options::validate, nullptr,
     "check INVOICE as --check does; send it only if it passes"},
    {"--typed", "", &Options::typed, nullptr,
     "read INVOICE into the typed invoice model and send it\n"
     "with InviaDocumento; content that the model cannot hold\n"
     "is one error line, and nothing is sent"},
    {"--dry-run", "", &Options::dry_run, nullptr,
     "print the request as it would be sent (password hidden),\n"
     "and send nothing"},
    {"--trace", "FILE", nullptr, &Options::trace,
     "write the whole exchange to FILE (mode 0600, with the\n"
     "password and credentials hidden)"},
    {"--quiet", "", &Options::quiet, nullptr, "show no progress line on standard error"},
    {"--help", "", &Options::help, nullptr, "print this help and exit"},
    {"--version", "", &Options::version, nullptr,
     "print the versions of vorn and its libraries and exit"},
};

const OptionEntry* FindOption(std::string_view name) {
  for (const OptionEntry& entry : kOptions) {
    if (entry.name == name) return &entry;
  }
  return nullptr;
}

// Help entries: the left column, then the lines of the right one.
constexpr size_t kHelpColumn = 23;

void AddEntry(std::vector<std::string>& lines, std::string_view left, std::string_view right) {
  std::string line = "  " + std::string(left);
  if (line.size() + 1 > kHelpColumn) {  // a long name has the text on the lines below
    lines.push_back(line);
    line.clear();
  }
  while (true) {
    const size_t nl = right.find('\n');
    line.resize(kHelpColumn, ' ');
    line += right.substr(0, nl);
    lines.push_back(line);
    line.clear();
    if (nl == std::string_view::npos) break;
    right.remove_prefix(nl + 1);
  }
}

}  // namespace

CommandLine ParseCommandLine(std::vector<std::string> args) {
  std::erase_if(args, [](const std::string& a) { return a.empty(); });
  CommandLine result;
  size_t i = 0;
  for (; i < args.size() && args[i].starts_with("--"); ++i) {
    const std::string& arg = args[i];
    if (arg == "--") {
      ++i;
      break;
    }
    const size_t equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    const OptionEntry* entry = FindOption(name);
    if (entry == nullptr) {
      throw EArgumentError("Unknown option \"" + name + "\"; \"vorn --help\" lists the options");
    }
    if (entry->flag != nullptr) {
      if (equals != std::string::npos) {
        throw EArgumentError("The option \"" + name + "\" takes no value");
      }
      result.options.*entry->flag = true;
      continue;
    }
    std::string value;
    if (equals != std::string::npos) {
      value = arg.substr(equals + 1);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    }
    if (value.empty()) {
      throw EArgumentError("The option \"" + name + "\" needs a value: " + name + " " +
                           std::string(entry->value));
    }
    result.options.*entry->text = value;
  }
  result.positional.assign(args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
  return result;
}

std::vector<std::string> HelpLines(std::string_view default_url) {
  std::vector<std::string> lines = {
      "Usage: vorn [OPTION]... USERNAME PASSWORD INVOICE",
      "            [PA [InviaSdi [CodiceTrasmittente [ProgressivoInvio]]]]",
      "   or: vorn --check INVOICE [PA]",
      "Sends the invoice file INVOICE (FatturaPA 1.2) to the e-invoicing hub",
      "and prints the hub's answer.",
      "",
      "Arguments:",
  };
  AddEntry(lines, "USERNAME, PASSWORD",
           "the account on the hub; a PASSWORD of - is read from\n"
           "standard input (its first line), or asked for on the\n"
           "terminal");
  AddEntry(lines, "INVOICE",
           "the invoice file, sent as text: UTF-8 or UTF-16 with a\n"
           "byte-order mark, otherwise the locale's character set");
  AddEntry(lines, "PA", "1 sends FormatoSdi FPA12, 0 sends FPR12; others, none");
  AddEntry(lines, "InviaSdi", "1 sends true, 0 sends false; others, none");
  AddEntry(lines, "CodiceTrasmittente", "sent as given");
  AddEntry(lines, "ProgressivoInvio", "a 64-bit integer, decimal or hexadecimal ($1A, 0x1A)");
  lines.insert(lines.end(), {"", "Options (before the arguments; -- ends them):"});
  for (const OptionEntry& entry : kOptions) {
    std::string left(entry.name);
    if (!entry.value.empty()) left += " " + std::string(entry.value);
    AddEntry(lines, left, entry.help);
  }
  lines.insert(lines.end(), {"", "Environment:"});
  AddEntry(lines, "VORN_URL", "the hub's address; without it\n" + std::string(default_url));
  AddEntry(lines, "SSL_CERT_FILE", "a PEM file of trusted certificates (not the system's)");
  AddEntry(lines, "SSL_CERT_DIR", "a directory of trusted certificates (not the system's)");
  AddEntry(lines, "https_proxy, http_proxy, all_proxy, no_proxy",
           "the proxy to use, and the hosts to reach without one");
  lines.insert(lines.end(),
               {
                   "",
                   "Exit status:",
                   "  0  the hub accepted the invoice; or --help, --version, --dry-run,",
                   "     a --check that passed",
                   "  1  an error (file, argument, password, HTTP, TLS, SOAP fault,",
                   "     unreadable reply)",
                   "  2  wrong usage: fewer than three arguments, an unknown option",
                   "  3  the hub rejected the invoice",
                   "  4  --check or --validate found the invoice invalid; nothing was sent",
                   "When the report cannot be written, a diagnostic goes to standard error",
                   "and the status stays that of the report.",
               });
  return lines;
}

std::vector<std::string> UsageLines() {
  return {"Errore nell'invocazione, utilizzare:",
          "vorn.exe username password file PA InviaSdi CodiceTrasmittente ProgressivoInvio"};
}

}  // namespace vorn
