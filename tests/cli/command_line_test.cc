// Options before the positional arguments, and the help that lists them.
#include "cli/command_line.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "cli/cli_errors.h"

namespace vorn {
namespace {

// The options that are set, by name, in a fixed order.
std::string Describe(const Options& o) {
  std::string out;
  for (auto [set, name] : {std::pair{o.help, "help"},
                           {o.version, "version"},
                           {o.check, "check"},
                           {o.validate, "validate"},
                           {o.dry_run, "dry-run"},
                           {o.quiet, "quiet"}}) {
    if (set) out += std::string(name) + " ";
  }
  if (!o.trace.empty()) out += "trace=" + o.trace;
  return out;
}

TEST(CommandLineTest, OptionsEndAtTheFirstPositionalArgumentOrAtDoubleDash) {
  struct Case {
    std::vector<std::string> args;
    std::string options;
    std::vector<std::string> positional;
  } cases[] = {
      {{"u", "p", "f.xml"}, "", {"u", "p", "f.xml"}},
      {{"--dry-run", "--quiet", "u", "p", "f"}, "dry-run quiet ", {"u", "p", "f"}},
      {{"--check", "f", "--quiet"}, "check ", {"f", "--quiet"}},
      {{"--trace", "t.txt", "u"}, "trace=t.txt", {"u"}},
      {{"--trace=a", "--trace", "--b", "u"}, "trace=--b", {"u"}},
      {{"--validate", "--", "--u", "p"}, "validate ", {"--u", "p"}},
      {{"", "--help", "", "u", "", "p"}, "help ", {"u", "p"}},
      {{"--version", "--version"}, "version ", {}},
      {{"-", "--help"}, "", {"-", "--help"}},
  };
  for (auto& c : cases) {
    const CommandLine line = ParseCommandLine(c.args);
    EXPECT_EQ(Describe(line.options), c.options) << c.args[0];
    EXPECT_EQ(line.positional, c.positional) << c.args[0];
  }
}

TEST(CommandLineTest, WrongOptionsAreOneClearMessage) {
  struct Case {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{"--frob", "u"}, "Unknown option \"--frob\"; \"vorn --help\" lists the options"},
      {{"--help=yes"}, "The option \"--help\" takes no value"},
      {{"--trace"}, "The option \"--trace\" needs a value: --trace FILE"},
      {{"--trace="}, "The option \"--trace\" needs a value: --trace FILE"},
      {{"--Help"}, "Unknown option \"--Help\"; \"vorn --help\" lists the options"},
  };
  for (auto& c : cases) {
    try {
      ParseCommandLine(c.args);
      ADD_FAILURE() << c.args[0] << " was accepted";
    } catch (const EArgumentError& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
  }
}

std::string ReadSource(const std::string& name) {
  const char* root = std::getenv("VORN_SOURCE_DIR");
  std::ifstream in(std::string(root != nullptr ? root : "../..") + "/" + name);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every option in the help is documented in the README and the manual page,
// and every help line fits a terminal of 80 columns.
TEST(CommandLineTest, HelpReadmeAndManualPageNameTheSameOptions) {
  const std::vector<std::string> help = HelpLines("https://hub.example/Service.svc");
  const std::string readme = ReadSource("README.md");
  const std::string manual = ReadSource("vorn.1");
  ASSERT_FALSE(readme.empty());
  ASSERT_FALSE(manual.empty());
  int options = 0;
  for (const std::string& line : help) {
    EXPECT_LE(line.size(), 79u) << line;
    if (!line.starts_with("  --")) continue;
    const std::string name = line.substr(2, line.find(' ', 2) - 2);
    ++options;
    EXPECT_NE(readme.find("`" + name), std::string::npos) << name << " is not in README.md";
    // The manual page writes "-" as "\-".
    std::string roff;
    for (char c : name) roff += c == '-' ? std::string("\\-") : std::string(1, c);
    EXPECT_NE(manual.find(roff), std::string::npos) << name << " is not in vorn.1";
  }
  EXPECT_GT(options, 0);
  for (const std::string variable : {"VORN_URL", "SSL_CERT_FILE", "SSL_CERT_DIR", "https_proxy"}) {
    bool found = false;
    for (const std::string& line : help) found = found || line.find(variable) != std::string::npos;
    EXPECT_TRUE(found) << variable;
  }
}

}  // namespace
}  // namespace vorn
