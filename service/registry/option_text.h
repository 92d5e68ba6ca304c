// Option texts: a registered text that begins with "[" holds options, each a
// name, "=" and a value quoted with ", ' or `, separated by commas:
//   [ArrayItemName="string", Namespace='http://...']
#pragma once

#include <string>
#include <string_view>

namespace vorn {

// True and `value` set when `text` is an option text holding option `name`
// (case-sensitive). A text that does not follow the syntax holds no option.
bool GetRegInfo(std::string_view text, std::string_view name, std::string& value);

// True when `text` is an option text (starts with "[").
inline bool IsOptionText(std::string_view text) { return !text.empty() && text.front() == '['; }

}  // namespace vorn
