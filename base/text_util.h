// Small text helpers shared by every layer.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace vorn {

// Equal ignoring the case of the ASCII letters A-Z (other bytes compare
// exactly): names, schemes, content types and keywords of the protocol.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

// `pattern` with each "%s" replaced by the next of `args`, in order; a "%s"
// left without an argument stays as it is.
std::string FormatMessage(std::string_view pattern, std::initializer_list<std::string_view> args);

}  // namespace vorn
