// Arguments and a password read from standard input, as text of the request.
#include "cli/argument_text.h"

#include <gtest/gtest.h>

#include "cli/cli_errors.h"
#include "cli/password_input.h"

namespace vorn {
namespace {

TEST(ArgumentTextTest, DecodesFromTheCharsetAndKeepsWhatXmlAllows) {
  struct Case {
    std::string bytes, charset, text;
  } cases[] = {
      {"perch\xE9", "ISO-8859-1", "perché"},
      {"perch\xC3\xA9", "UTF-8", "perché"},
      {"\xA4", "ISO-8859-15", "€"},
      {"tab\tcr\rlf\n", "UTF-8", "tab\tcr\rlf\n"},
      {"\xEF\xBF\xBD \xF4\x8F\xBF\xBF", "UTF-8", "\xEF\xBF\xBD \xF4\x8F\xBF\xBF"},
      {"", "UTF-8", ""},
  };
  for (auto& c : cases) EXPECT_EQ(ArgumentText(c.bytes, "argument x", c.charset), c.text);
}

TEST(ArgumentTextTest, RefusesWhatXmlCannotCarryWithoutShowingASecret) {
  struct Case {
    std::string bytes, charset;
    bool secret;
    std::string message;
  } cases[] = {
      {"ab\x01", "UTF-8", false,
       "The character U+0001 at position 3 of argument x is not allowed in XML"},
      {"ab\x01", "UTF-8", true, "The character at position 3 of argument x is not allowed in XML"},
      {"é\xEF\xBF\xBF", "UTF-8", false,
       "The character U+FFFF at position 2 of argument x is not allowed in XML"},
      {"perch\xE9", "UTF-8", true, "Invalid UTF-8 byte sequence at byte offset 5 of argument x"},
      {"\xED\xA0\x80", "UTF-8", false,
       "Invalid UTF-8 byte sequence at byte offset 0 of argument x"},  // a surrogate
      {"a\x1B", "ISO-8859-1", false,
       "The character U+001B at position 2 of argument x is not allowed in XML"},
  };
  for (auto& c : cases) {
    try {
      ArgumentText(c.bytes, "argument x", c.charset, c.secret);
      ADD_FAILURE() << c.message;
    } catch (const EArgumentError& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
  }
}

TEST(PasswordInputTest, FirstLineEndsAtLfWithoutTheCrBeforeIt) {
  struct Case {
    std::string input, line;
  } cases[] = {
      {"pw\nmore\n", "pw"}, {"pw\r\n", "pw"}, {"pw", "pw"},       {"pw\r", "pw\r"},
      {"\npw\n", ""},       {"", ""},         {"a\rb\n", "a\rb"},
  };
  for (auto& c : cases) EXPECT_EQ(FirstLine(c.input), c.line) << c.input;
}

}  // namespace
}  // namespace vorn
