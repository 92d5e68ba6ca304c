// Hiding the password and credential headers in what is shown.
#include "cli/redaction.h"

#include <gtest/gtest.h>

namespace vorn {
namespace {

TEST(RedactionTest, PasswordElementsLoseTheirContent) {
  struct Case {
    std::string in, out;
  } cases[] = {
      {"<r><Password>pw</Password><Username>u</Username></r>",
       "<r><Password>********</Password><Username>u</Username></r>"},
      {"<NS1:Password xmlns:NS1=\"urn:x\" a='>'>p&amp;w</NS1:Password>",
       "<NS1:Password xmlns:NS1=\"urn:x\" a='>'>********</NS1:Password>"},
      {"<Password\r\n>pw</Password>", "<Password\r\n>********</Password>"},
      {"<Password><![CDATA[a</Password>b]]>c</Password>", "<Password>********</Password>"},
      {"<Password></Password><Password/>", "<Password>********</Password><Password/>"},
      {"<a><Password>one</Password><b><Password>two</Password></b></a>",
       "<a><Password>********</Password><b><Password>********</Password></b></a>"},
      // Other names are left alone.
      {"<PasswordHint>h</PasswordHint><OldPassword>o</OldPassword>",
       "<PasswordHint>h</PasswordHint><OldPassword>o</OldPassword>"},
      // A body cut short: hidden to its end.
      {"<r><Password>secr", "<r><Password>********"},
      {"<r><Password a=\"", "<r><Password a=\""},
      {"no markup", "no markup"},
      {"", ""},
  };
  for (auto& c : cases) EXPECT_EQ(MaskPasswords(c.in), c.out) << c.in;
}

TEST(RedactionTest, CredentialHeadersLoseTheirValues) {
  EXPECT_EQ(MaskCredentialHeaders("POST / HTTP/1.1\r\n"
                                  "Authorization: Basic dTpw\r\n"
                                  "proxy-authorization:Basic eDp5\r\n"
                                  "Cookie: s=1\n"
                                  "Set-Cookie: s=2\r\n"
                                  "X-Authorization-Hint: keep\r\n"
                                  "\r\n"),
            "POST / HTTP/1.1\r\n"
            "Authorization: ********\r\n"
            "proxy-authorization: ********\r\n"
            "Cookie: ********\n"
            "Set-Cookie: ********\r\n"
            "X-Authorization-Hint: keep\r\n"
            "\r\n");
  EXPECT_EQ(MaskCredentialHeaders("Authorization: Basic dTpw"), "Authorization: ********");
}

}  // namespace
}  // namespace vorn
