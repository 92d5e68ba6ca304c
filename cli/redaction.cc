#include "cli/redaction.h"

#include <array>

#include "base/text_util.h"

namespace vorn {
namespace {

bool EndsName(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '>' || c == '/' || c == '<';
}

// The offset of the ">" that ends the tag whose attributes start at `from`,
// stepping over quoted attribute values; npos when the text ends first.
size_t TagEnd(std::string_view xml, size_t from) {
  char quote = 0;
  for (size_t i = from; i < xml.size(); ++i) {
    const char c = xml[i];
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '>') {
      return i;
    }
  }
  return std::string_view::npos;
}

// The offset of the end tag that closes content starting at `from`, stepping
// over CDATA sections; the end of the text when there is none.
size_t ContentEnd(std::string_view xml, size_t from) {
  constexpr std::string_view kCdata = "<![CDATA[";
  size_t i = xml.find('<', from);
  while (i != std::string_view::npos) {
    const std::string_view rest = xml.substr(i);
    if (rest.starts_with("</")) return i;
    if (rest.starts_with(kCdata)) {
      const size_t close = xml.find("]]>", i + kCdata.size());
      if (close == std::string_view::npos) break;
      i = xml.find('<', close + 3);
    } else {
      i = xml.find('<', i + 1);
    }
  }
  return xml.size();
}

}  // namespace

std::string MaskPasswords(std::string_view xml) {
  std::string out;
  out.reserve(xml.size());
  size_t i = 0;
  while (i < xml.size()) {
    const size_t lt = xml.find('<', i);
    if (lt == std::string_view::npos) break;
    size_t name_end = lt + 1;
    while (name_end < xml.size() && !EndsName(xml[name_end])) ++name_end;
    std::string_view name = xml.substr(lt + 1, name_end - lt - 1);
    const size_t colon = name.find(':');
    if (colon != std::string_view::npos) name.remove_prefix(colon + 1);
    if (name != "Password") {
      out.append(xml.substr(i, name_end - i));
      i = name_end;
      continue;
    }
    const size_t gt = TagEnd(xml, name_end);
    if (gt == std::string_view::npos) break;  // cut inside the start tag: no content yet
    out.append(xml.substr(i, gt + 1 - i));
    i = gt + 1;
    if (xml[gt - 1] == '/') continue;  // <Password/>
    out.append(kMask);
    i = ContentEnd(xml, i);
  }
  out.append(xml.substr(i));
  return out;
}

std::string MaskCredentialHeaders(std::string_view head) {
  static constexpr std::array<std::string_view, 4> kCredentials = {
      "Authorization", "Proxy-Authorization", "Cookie", "Set-Cookie"};
  std::string out;
  out.reserve(head.size());
  while (!head.empty()) {
    const size_t nl = head.find('\n');
    const size_t length = nl == std::string_view::npos ? head.size() : nl + 1;
    std::string_view line = head.substr(0, length);
    head.remove_prefix(length);
    const size_t colon = line.find(':');
    std::string_view name = line.substr(0, colon == std::string_view::npos ? 0 : colon);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.remove_suffix(1);
    bool credential = false;
    for (std::string_view c : kCredentials) credential = credential || EqualsIgnoreCase(name, c);
    if (!credential) {
      out.append(line);
      continue;
    }
    std::string_view end = line.ends_with("\r\n") ? "\r\n" : line.ends_with('\n') ? "\n" : "";
    out.append(line.substr(0, colon + 1));
    out.append(" ");
    out.append(kMask);
    out.append(end);
  }
  return out;
}

}  // namespace vorn
